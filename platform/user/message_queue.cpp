// The thread's message queue: posted messages, the quit request, and
// input translated from the backend, taken in that order.
#include <algorithm>

#include "platform/rt/wall_clock.h"
#include "platform/user/user_state.h"

namespace kv {
namespace user {

namespace {

// A runaway poster gets a refusal rather than unbounded memory.
constexpr size_t kPostedLimit = 10000;

const HWND kThreadMessagesOnly = reinterpret_cast<HWND>(-1);

bool Matches(const MSG& m, HWND filter, UINT lo, UINT hi) {
  if (filter == kThreadMessagesOnly) {
    if (m.hwnd) return false;
  } else if (filter) {
    HWND__* within = LiveWindow(filter);
    if (!within || !IsInside(LiveWindow(m.hwnd), within)) return false;
  }
  if (lo != 0 || hi != 0) {
    if (m.message < lo || m.message > hi) return false;
  }
  return true;
}

bool Take(std::deque<MSG>& queue, MSG* out, HWND filter, UINT lo, UINT hi, bool remove) {
  for (auto it = queue.begin(); it != queue.end(); ++it) {
    if (Matches(*it, filter, lo, hi)) {
      *out = *it;
      if (remove) queue.erase(it);
      return true;
    }
  }
  return false;
}

}  // namespace

MSG MakeMessageAt(HWND w, UINT message, WPARAM wParam, LPARAM lParam, POINT pt) {
  MSG m{};
  m.hwnd = w;
  m.message = message;
  m.wParam = wParam;
  m.lParam = lParam;
  m.time = static_cast<DWORD>(rt::WallClockMs());
  m.pt = pt;
  return m;
}

MSG MakeMessage(HWND w, UINT message, WPARAM wParam, LPARAM lParam) {
  POINT pt{0, 0};
  if (Backend* backend = ActiveBackend()) {
    int x = 0, y = 0;
    backend->PointerPosition(&x, &y);
    pt = POINT{x, y};
  }
  return MakeMessageAt(w, message, wParam, lParam, pt);
}

void PurgeMessages(HWND w) {
  UserState& s = State();
  auto addressed = [w](const MSG& m) { return m.hwnd == w; };
  s.posted.erase(std::remove_if(s.posted.begin(), s.posted.end(), addressed), s.posted.end());
  s.input.erase(std::remove_if(s.input.begin(), s.input.end(), addressed), s.input.end());
}

void ResetQueueAndInput() {
  UserState& s = State();
  s.posted.clear();
  s.input.clear();
  s.quitPending = false;
  s.quitCode = 0;
  s.capture = nullptr;
  s.grabbed = false;
  s.active = nullptr;
  s.focus = nullptr;
  s.cursorCount = 0;
  s.cursorHiddenOn = nullptr;
  s.inactive = false;
  s.cursorOffsetX = s.cursorOffsetY = 0;
  s.buttons = 0;
  std::fill(std::begin(s.keyChars), std::end(s.keyChars), L'\0');
}

}  // namespace user
}  // namespace kv

using kv::user::LiveWindow;
using kv::user::State;
using kv::user::UserState;

BOOL PeekMessageW(LPMSG msg, HWND window, UINT filterMin, UINT filterMax, UINT removeFlags) {
  if (!msg) return FALSE;
  UserState& s = State();
  const bool remove = (removeFlags & PM_REMOVE) != 0;
  if (kv::user::Take(s.posted, msg, window, filterMin, filterMax, remove)) return TRUE;
  // The quit request comes before any input, so the pump ends without
  // running another frame; it is a thread message, outside window filters.
  if (s.quitPending && (window == nullptr || window == kv::user::kThreadMessagesOnly)) {
    *msg = kv::user::MakeMessage(nullptr, WM_QUIT, static_cast<WPARAM>(s.quitCode), 0);
    if (remove) s.quitPending = false;
    return TRUE;
  }
  if (kv::Backend* backend = kv::ActiveBackend()) kv::user::CollectInput(backend);
  return kv::user::Take(s.input, msg, window, filterMin, filterMax, remove) ? TRUE : FALSE;
}

BOOL GetMessageW(LPMSG msg, HWND window, UINT filterMin, UINT filterMax) {
  if (!msg) return -1;
  for (;;) {
    if (PeekMessageW(msg, window, filterMin, filterMax, PM_REMOVE)) {
      return msg->message == WM_QUIT ? FALSE : TRUE;
    }
    kv::Backend* backend = kv::ActiveBackend();
    if (!backend) return -1;  // nothing could ever arrive
    backend->WaitEvent(std::chrono::milliseconds(100));
  }
}

BOOL TranslateMessage(const MSG* msg) {
  if (!msg) return FALSE;
  if (msg->message != WM_KEYDOWN && msg->message != WM_SYSKEYDOWN) return FALSE;
  if (msg->wParam >= 256) return FALSE;
  // The character that the key typed when it was last pressed.
  const wchar_t ch = State().keyChars[msg->wParam];
  if (ch == 0) return FALSE;
  const UINT charMessage = msg->message == WM_KEYDOWN ? WM_CHAR : WM_SYSCHAR;
  return PostMessageW(msg->hwnd, charMessage, static_cast<WPARAM>(ch), msg->lParam);
}

LRESULT DispatchMessageW(const MSG* msg) {
  if (!msg) return 0;
  HWND__* w = LiveWindow(msg->hwnd);
  if (!w || !w->proc) return 0;
  return w->proc(w, msg->message, msg->wParam, msg->lParam);
}

BOOL PostMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (window && !LiveWindow(window)) return FALSE;
  UserState& s = State();
  if (s.posted.size() >= kv::user::kPostedLimit) return FALSE;
  s.posted.push_back(kv::user::MakeMessage(window, message, wParam, lParam));
  return TRUE;
}

LRESULT SendMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  HWND__* w = LiveWindow(window);
  if (!w || !w->proc) return 0;
  return w->proc(w, message, wParam, lParam);
}

void PostQuitMessage(int exitCode) {
  UserState& s = State();
  s.quitPending = true;
  s.quitCode = exitCode;
}
