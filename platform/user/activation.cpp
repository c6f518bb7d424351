// Enabled state, the active window and the keyboard focus.
#include "platform/user/user_state.h"

namespace kv {
namespace user {

namespace {

// A window that may become active when another one goes away.
bool CanActivate(HWND__* w) {
  const bool dropDown = (w->style & WS_POPUP) != 0 && (w->style & WS_CAPTION) != WS_CAPTION;
  return !w->parent && w->visible && w->enabled && !w->destroying && !dropDown;
}

void MoveFocus(HWND__* to) {
  UserState& s = State();
  HWND__* from = LiveWindow(s.focus);
  if (from == to && s.focus == to) return;
  s.focus = to;
  if (from && !from->destroying) SendMessageW(from, WM_KILLFOCUS, reinterpret_cast<WPARAM>(to), 0);
  if (to && LiveWindow(to) && s.focus == to) {
    SendMessageW(to, WM_SETFOCUS, reinterpret_cast<WPARAM>(from), 0);
  }
}

}  // namespace

void Activate(HWND__* w) {
  UserState& s = State();
  HWND__* top = TopLevel(w);
  if (!top) return;
  s.active = top;
  HWND__* focus = LiveWindow(s.focus);
  if (!focus || TopLevel(focus) != top) MoveFocus(top);
}

void ActivateSuccessor(HWND__* lost) {
  UserState& s = State();
  if (s.active != lost) return;
  s.active = nullptr;
  HWND__* next = nullptr;
  if (lost->owner && LiveWindow(lost->owner) && CanActivate(lost->owner)) {
    next = lost->owner;
  } else {
    for (auto it = s.windows.rbegin(); it != s.windows.rend(); ++it) {
      if (*it != lost && CanActivate(*it)) {
        next = *it;
        break;
      }
    }
  }
  if (next) {
    Activate(next);
  } else {
    HWND__* focus = LiveWindow(s.focus);
    if (focus && IsInside(focus, lost)) s.focus = nullptr;
  }
}

void ForgetActivation(HWND__* w) {
  UserState& s = State();
  HWND__* focus = LiveWindow(s.focus);
  if (focus && IsInside(focus, w)) s.focus = nullptr;
  if (s.active == w) ActivateSuccessor(w);
}

}  // namespace user
}  // namespace kv

using kv::user::LiveWindow;
using kv::user::State;
using kv::user::UserState;

BOOL EnableWindow(HWND window, BOOL enable) {
  HWND__* w = LiveWindow(window);
  if (!w) return FALSE;
  const BOOL wasDisabled = w->enabled ? FALSE : TRUE;
  const bool on = enable != FALSE;
  if (w->enabled == on) return wasDisabled;
  UserState& s = State();
  if (!on) {
    w->enabled = false;
    // A disabled window can neither keep the keyboard nor hold the mouse:
    // otherwise a modal dialog's owner would keep the pointer grabbed and
    // the dialog could not be clicked.
    HWND__* focus = LiveWindow(s.focus);
    if (focus && kv::user::IsInside(focus, w)) SetFocus(nullptr);
    HWND__* capture = LiveWindow(s.capture);
    if (capture && kv::user::IsInside(capture, w)) ReleaseCapture();
    SendMessageW(w, WM_ENABLE, FALSE, 0);
  } else {
    w->enabled = true;
    SendMessageW(w, WM_ENABLE, TRUE, 0);
    // An owner enabled again after its dialog went (or a window that lost
    // the focus when disabled) takes the keyboard back.
    HWND__* active = LiveWindow(s.active);
    if (!w->parent && w->visible && (!active || (active == w && !LiveWindow(s.focus)))) {
      kv::user::Activate(w);
    }
  }
  return wasDisabled;
}

BOOL IsWindowEnabled(HWND window) {
  HWND__* w = LiveWindow(window);
  return w && w->enabled ? TRUE : FALSE;
}

HWND GetActiveWindow() { return LiveWindow(State().active); }

HWND GetFocus() { return LiveWindow(State().focus); }

HWND SetFocus(HWND window) {
  UserState& s = State();
  HWND previous = LiveWindow(s.focus);
  if (!window) {
    kv::user::MoveFocus(nullptr);
    return previous;
  }
  HWND__* w = LiveWindow(window);
  if (!w || w->destroying || !kv::user::AcceptsInput(w)) return nullptr;
  HWND__* top = kv::user::TopLevel(w);
  if (s.active != top) s.active = top;
  kv::user::MoveFocus(w);
  return previous;
}
