// The one translator from backend events to window messages: the mouse goes
// to the window that holds the capture or else to the window under the
// pointer, keys to the window with the focus, a close box to the window it
// belongs to; a disabled window gets nothing. While a menu is tracked its
// window takes every pointer and keyboard message, and every message made
// goes to the menu loop first (menu_track.cpp), which runs on them as the
// interface's own menu loop runs on the queue.
#include "platform/user/metrics.h"
#include "platform/user/user_state.h"

namespace kv {
namespace user {

namespace {

constexpr LPARAM kAltContextBit = LPARAM(1) << 29;
constexpr LPARAM kKeyUpBits = (LPARAM(1) << 30) | (LPARAM(1) << 31);

void Queue(HWND__* w, UINT message, WPARAM wParam, LPARAM lParam, int sx, int sy) {
  UserState& s = State();
  if (s.menuTracker) {
    // Not stamped: the menu reads no time, and a recording keeps every
    // clock reading the program takes.
    MSG m{};
    m.hwnd = w;
    m.message = message;
    m.wParam = wParam;
    m.lParam = lParam;
    m.pt = POINT{sx, sy};
    s.menuInput.push_back(m);
    return;
  }
  s.input.push_back(MakeMessageAt(w, message, wParam, lParam, POINT{sx, sy}));
}

WPARAM MouseKeys(const InputEvent& ev) {
  WPARAM keys = State().buttons;
  if (ev.shift) keys |= MK_SHIFT;
  if (ev.ctrl) keys |= MK_CONTROL;
  return keys;
}

unsigned ButtonFlag(int button) {
  switch (button) {
    case 1: return MK_LBUTTON;
    case 2: return MK_MBUTTON;
    case 3: return MK_RBUTTON;
    default: return 0;
  }
}

UINT ButtonMessage(int button, bool down) {
  switch (button) {
    case 1: return down ? WM_LBUTTONDOWN : WM_LBUTTONUP;
    case 2: return down ? WM_MBUTTONDOWN : WM_MBUTTONUP;
    case 3: return down ? WM_RBUTTONDOWN : WM_RBUTTONUP;
    default: return 0;
  }
}

void TranslateMouse(const InputEvent& ev) {
  UserState& s = State();
  const unsigned flag = ButtonFlag(ev.button);
  if (ev.type == InputEvent::kButtonDown) s.buttons |= flag;
  if (ev.type == InputEvent::kButtonUp) s.buttons &= ~flag;
  UINT message = WM_MOUSEMOVE;
  if (ev.type != InputEvent::kMouseMove) {
    message = ButtonMessage(ev.button, ev.type == InputEvent::kButtonDown);
    if (message == 0) return;  // a button the interface has no message for
  }

  if (s.menuTracker) {
    // The menu takes the pointer wherever it is, and looks only at the
    // screen point (lParam carries it too, as on the non-client area).
    Queue(s.menuWindow, message, MouseKeys(ev), MAKELPARAM(ev.screenX, ev.screenY), ev.screenX,
          ev.screenY);
    return;
  }
  HWND__* target = LiveWindow(s.capture);
  int cx = 0, cy = 0;
  if (target) {
    // The capture takes everything, wherever the pointer is.
    int ox = 0, oy = 0;
    ClientOrigin(target, &ox, &oy);
    cx = ClampCoordinate(int64_t{ev.screenX} - ox);
    cy = ClampCoordinate(int64_t{ev.screenY} - oy);
  } else {
    target = WindowOfNative(ev.window);
    if (!target) return;
    if (ev.y < target->menuBarHeight) {
      if (!target->visible || !AcceptsInput(target)) return;
      // The menu bar is the non-client area; the menu part takes it from here.
      const LPARAM screenPoint = MAKELPARAM(ev.screenX, ev.screenY);
      if (ev.type == InputEvent::kMouseMove) {
        Queue(target, WM_NCMOUSEMOVE, HTMENU, screenPoint, ev.screenX, ev.screenY);
      } else if (ev.button == 1) {
        Queue(target, ev.type == InputEvent::kButtonDown ? WM_NCLBUTTONDOWN : WM_NCLBUTTONUP,
              HTMENU, screenPoint, ev.screenX, ev.screenY);
      }
      return;
    }
    cx = ev.x;
    cy = ClampCoordinate(int64_t{ev.y} - target->menuBarHeight);
  }
  if (!target->visible || !AcceptsInput(target)) return;
  Queue(target, message, MouseKeys(ev), MAKELPARAM(cx, cy), ev.screenX, ev.screenY);
}

void TranslateKey(const InputEvent& ev) {
  UserState& s = State();
  HWND__* target = nullptr;
  if (s.menuTracker) {
    target = s.menuWindow;  // the menu takes every key
  } else {
    target = LiveWindow(s.focus);
    if (!target) target = LiveWindow(s.active);
    if (!target) target = WindowOfNative(ev.window);
    if (!target || !AcceptsInput(target)) return;
  }
  const bool down = ev.type == InputEvent::kKeyDown;
  const bool sys = ev.alt || ev.key == VK_F10 || ev.key == VK_MENU;
  if (down && ev.key < 256) s.keyChars[ev.key] = ev.ch;
  UINT message = down ? (sys ? WM_SYSKEYDOWN : WM_KEYDOWN) : (sys ? WM_SYSKEYUP : WM_KEYUP);
  LPARAM lParam = 1;  // repeat count
  if (ev.alt) lParam |= kAltContextBit;
  if (!down) lParam |= kKeyUpBits;
  Queue(target, message, ev.key, lParam, ev.screenX, ev.screenY);
}

// Another program took the activation: the window loses the mouse capture
// (with the usual notice), a menu closes, and the pointer is no longer ours
// to move.
void Deactivated(HWND__* w, const InputEvent& ev) {
  UserState& s = State();
  if (!w) return;
  s.inactive = true;
  HWND__* capture = LiveWindow(s.capture);
  if (capture && TopLevel(capture) == TopLevel(w)) ReleaseCapture();
  if (s.menuTracker) Queue(s.menuWindow, WM_CANCELMODE, 0, 0, ev.screenX, ev.screenY);
}

void Reactivated() {
  UserState& s = State();
  s.inactive = false;
  s.cursorOffsetX = s.cursorOffsetY = 0;
}

}  // namespace

void TranslateEvent(const InputEvent& ev) {
  switch (ev.type) {
    case InputEvent::kMouseMove:
      TranslateMouse(ev);
      return;
    case InputEvent::kButtonDown:
      // A click activates the window it lands in before it is delivered.
      if (WindowOfNative(ev.window)) Reactivated();
      TranslateMouse(ev);
      return;
    case InputEvent::kButtonUp:
      TranslateMouse(ev);
      return;
    case InputEvent::kKeyDown:
    case InputEvent::kKeyUp:
      TranslateKey(ev);
      return;
    case InputEvent::kNone:
      return;
    default:
      break;
  }
  UserState& s = State();
  if (IsMenuWindow(ev.window)) {
    // The drop-down: shown again, or the menu ends as when the focus goes.
    if (ev.type == InputEvent::kExpose || ev.type == InputEvent::kResized) {
      RedrawMenuWindow();
    } else if (ev.type != InputEvent::kFocusGained) {
      Queue(s.menuWindow, WM_CANCELMODE, 0, 0, ev.screenX, ev.screenY);
    }
    return;
  }
  HWND__* w = WindowOfNative(ev.window);
  if (!w) return;  // a window that is gone, or none of ours
  switch (ev.type) {
    case InputEvent::kCloseRequest:
      if (AcceptsInput(w)) Queue(w, WM_CLOSE, 0, 0, ev.screenX, ev.screenY);
      return;
    case InputEvent::kWindowGone:
      // A dialog without its native window could never be answered: it is
      // destroyed, which ends its modal loop and gives the owner back its
      // input. Any other window takes it as the close box.
      if (w->dialog) {
        DestroyWindow(w);
      } else if (AcceptsInput(w)) {
        Queue(w, WM_CLOSE, 0, 0, ev.screenX, ev.screenY);
      }
      return;
    case InputEvent::kExpose:
      // Our surfaces keep the last frame, so showing it again is enough.
      PresentWhole(w);
      return;
    case InputEvent::kFocusLost:
      Deactivated(w, ev);
      return;
    case InputEvent::kFocusGained:
      Reactivated();
      return;
    case InputEvent::kResized:
      TakeResizedSurface(ev.window);
      return;
    default:
      return;
  }
}

bool TranslateNextEvent(Backend* backend) {
  InputEvent ev;
  if (!backend->PollEvent(&ev)) return false;
  TranslateEvent(ev);
  return true;
}

void CollectInput(Backend* backend) {
  while (TranslateNextEvent(backend)) {
  }
}

}  // namespace user
}  // namespace kv
