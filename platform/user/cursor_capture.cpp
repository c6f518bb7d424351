// The pointer: its position, the mouse capture and the cursor's display
// count. The game calls these every frame, so each is a few field reads
// and one backend call at most.
#include <algorithm>
#include <chrono>
#include <climits>
#include <thread>

#include "platform/user/metrics.h"
#include "platform/user/user_state.h"

namespace kv {
namespace user {

namespace {

// A grab can fail for a moment right after a window is mapped or clicked;
// try for about a tenth of a second before going on without it.
constexpr int kGrabAttempts = 20;
constexpr auto kGrabRetryDelay = std::chrono::milliseconds(5);

NativeWindow* NativeOf(HWND__* w) {
  HWND__* top = TopLevel(w);
  return top ? top->native : nullptr;
}

bool Grab(Backend* backend, NativeWindow* native) {
  for (int i = 0; i < kGrabAttempts; ++i) {
    if (backend->GrabPointer(native)) return true;
    if (i + 1 < kGrabAttempts) std::this_thread::sleep_for(kGrabRetryDelay);
  }
  return false;
}

// While the cursor is hidden, it is hidden over this window.
void HideOver(Backend* backend, NativeWindow* native) {
  UserState& s = State();
  if (s.cursorHiddenOn == native) return;
  if (s.cursorHiddenOn) backend->SetPointerHidden(s.cursorHiddenOn, false);
  s.cursorHiddenOn = native;
  if (native) backend->SetPointerHidden(native, true);
}

}  // namespace

void ForgetCapture(HWND__* w) {
  HWND__* capture = LiveWindow(State().capture);
  if (capture && IsInside(capture, w)) ReleaseCapture();
}

void ForgetCursor(HWND__* w) {
  // The backend drops the hidden state together with the window.
  UserState& s = State();
  if (w->native && s.cursorHiddenOn == w->native) s.cursorHiddenOn = nullptr;
}

}  // namespace user
}  // namespace kv

using kv::user::LiveWindow;
using kv::user::State;
using kv::user::UserState;

BOOL GetCursorPos(LPPOINT point) {
  kv::Backend* backend = kv::ActiveBackend();
  if (!point || !backend) return FALSE;
  int x = 0, y = 0;
  backend->PointerPosition(&x, &y);
  const UserState& s = State();
  point->x = kv::user::ClampCoordinate(int64_t{x} + (s.inactive ? s.cursorOffsetX : 0));
  point->y = kv::user::ClampCoordinate(int64_t{y} + (s.inactive ? s.cursorOffsetY : 0));
  return TRUE;
}

BOOL SetCursorPos(int x, int y) {
  kv::Backend* backend = kv::ActiveBackend();
  if (!backend) return FALSE;
  UserState& s = State();
  if (s.inactive) {
    // The real pointer belongs to the active program; ours is kept on the
    // screen as the real one would be.
    int width = 0, height = 0, realX = 0, realY = 0;
    backend->ScreenSize(&width, &height);
    backend->PointerPosition(&realX, &realY);
    x = std::clamp(x, 0, std::max(width - 1, 0));
    y = std::clamp(y, 0, std::max(height - 1, 0));
    s.cursorOffsetX = kv::user::ClampCoordinate(int64_t{x} - realX);
    s.cursorOffsetY = kv::user::ClampCoordinate(int64_t{y} - realY);
    return TRUE;
  }
  backend->WarpPointer(x, y);  // the backend keeps it on the screen
  return TRUE;
}

BOOL ClientToScreen(HWND window, LPPOINT point) {
  HWND__* w = LiveWindow(window);
  if (!w || !point) return FALSE;
  int x = 0, y = 0;
  kv::user::ClientOrigin(w, &x, &y);
  point->x = kv::user::ClampCoordinate(int64_t{point->x} + x);
  point->y = kv::user::ClampCoordinate(int64_t{point->y} + y);
  return TRUE;
}

BOOL ScreenToClient(HWND window, LPPOINT point) {
  HWND__* w = LiveWindow(window);
  if (!w || !point) return FALSE;
  int x = 0, y = 0;
  kv::user::ClientOrigin(w, &x, &y);
  point->x = kv::user::ClampCoordinate(int64_t{point->x} - x);
  point->y = kv::user::ClampCoordinate(int64_t{point->y} - y);
  return TRUE;
}

HWND GetCapture() { return LiveWindow(State().capture); }

HWND SetCapture(HWND window) {
  UserState& s = State();
  HWND previous = LiveWindow(s.capture);
  if (!window) {
    ReleaseCapture();
    return previous;
  }
  HWND__* w = LiveWindow(window);
  if (!w || w->destroying || !kv::user::AcceptsInput(w)) return previous;
  kv::Backend* backend = kv::ActiveBackend();
  if (previous == w && (s.grabbed || !backend)) return previous;
  s.capture = w;
  if (previous && previous != w) {
    SendMessageW(previous, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(w));
    if (s.capture != w) return previous;  // the loser took it back
  }
  kv::NativeWindow* native = kv::user::NativeOf(w);
  if (backend && native) {
    // The capture holds even without the grab: input that reaches the
    // window still goes to it, and the next SetCapture tries again.
    s.grabbed = kv::user::Grab(backend, native);
    if (s.cursorCount < 0) kv::user::HideOver(backend, native);
  }
  return previous;
}

BOOL ReleaseCapture() {
  UserState& s = State();
  HWND previous = LiveWindow(s.capture);
  s.capture = nullptr;
  if (s.grabbed) {
    s.grabbed = false;
    if (kv::Backend* backend = kv::ActiveBackend()) backend->UngrabPointer();
  }
  if (previous) SendMessageW(previous, WM_CAPTURECHANGED, 0, 0);
  return TRUE;
}

int ShowCursor(BOOL show) {
  UserState& s = State();
  const bool wasHidden = s.cursorCount < 0;
  if (show) {
    if (s.cursorCount < INT_MAX) ++s.cursorCount;
  } else {
    if (s.cursorCount > INT_MIN) --s.cursorCount;
  }
  const bool hidden = s.cursorCount < 0;
  kv::Backend* backend = kv::ActiveBackend();
  if (hidden != wasHidden && backend) {
    if (hidden) {
      // Over the window that holds the mouse, else the active one.
      HWND__* over = LiveWindow(s.capture);
      if (!over) over = LiveWindow(s.active);
      if (!over) {
        for (HWND__* w : s.windows) {
          if (w->native && w->visible) {
            over = w;
            break;
          }
        }
      }
      kv::user::HideOver(backend, over ? kv::user::NativeOf(over) : nullptr);
    } else {
      kv::user::HideOver(backend, nullptr);
    }
  }
  return s.cursorCount;
}
