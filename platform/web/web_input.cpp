// The web backend's input: the page's events go through the desktop model,
// which gives each to the window a desktop would; the pointer is ours to keep
// (the browser cannot move the real one), and the pointer lock stands in for
// the desktop's grab while play hides the cursor.
#include <algorithm>

#include "platform/web/web_backend.h"
#include "platform/web/web_page.h"
#include "platform/win32.h"

namespace kv {
namespace web {

void WebBackend::PointerPosition(int* x, int* y) {
  if (x) *x = screen_.pointerX();
  if (y) *y = screen_.pointerY();
}

void WebBackend::WarpPointer(int x, int y) {
  // While locked the browser reports only movement, which is added to the
  // place set here, so nothing moved before or after the warp is lost.
  screen_.MovePointer(x, y);
}

bool WebBackend::GrabPointer(NativeWindow* window) {
  if (!screen_.Grab(screen_.Find(window))) return false;
  UpdateLock();
  return true;
}

void WebBackend::UngrabPointer() {
  screen_.Ungrab();
  UpdateLock();
}

void WebBackend::SetPointerHidden(NativeWindow* window, bool hidden) {
  screen_.SetPointerHidden(screen_.Find(window), hidden);
  web::SetCursorHidden(screen_.hiddenOver() != nullptr);
  UpdateLock();
}

void WebBackend::UpdateLock() {
  const bool want = screen_.grab() && screen_.grab() == screen_.hiddenOver();
  if (want && !lockWanted_) {
    lockWanted_ = true;
    RequestPointerLock();
  } else if (!want && lockWanted_) {
    lockWanted_ = false;
    locked_ = false;
    ExitPointerLock();
  }
}

void WebBackend::LockLost() {
  // As a desktop takes a capture away: the window that held it is told.
  lockWanted_ = false;
  locked_ = false;
  ReleaseCapture();
}

bool WebBackend::PressFrame(int x, int y) {
  const std::vector<desktop::Window*> stacking = screen_.Stacking();
  for (auto it = stacking.rbegin(); it != stacking.rend(); ++it) {
    desktop::Window* w = *it;
    if (!Framed(w)) {
      if (x >= w->x && x < w->x + w->width && y >= w->y && y < w->y + w->height) return false;
      continue;
    }
    switch (HitFrame(*w, x, y)) {
      case FramePart::kOutside:
        continue;
      case FramePart::kClient:
        return false;
      case FramePart::kCaption:
        moving_ = w;
        moveDx_ = x - w->x;
        moveDy_ = y - w->y;
        return true;
      case FramePart::kCloseBox:
        closeHeld_ = w;
        closeInside_ = true;
        dirty_ = true;
        return true;
      case FramePart::kBorder:
        return true;  // a fixed frame: nothing to do
    }
  }
  return false;
}

bool WebBackend::FrameHoldsPointer(const PageEvent& page) {
  if (!moving_ && !closeHeld_) return false;
  const bool released = page.kind == kPageUp && page.button == 1;
  if (page.kind != kPageMove && !released) return true;  // other buttons wait
  screen_.MovePointer(page.x, page.y);
  if (moving_) {
    PlaceFramed(moving_, page.x - moveDx_, page.y - moveDy_);
    dirty_ = true;
    if (released) moving_ = nullptr;
  } else {
    const bool inside = HitFrame(*closeHeld_, page.x, page.y) == FramePart::kCloseBox;
    if (inside != closeInside_) dirty_ = true;
    closeInside_ = inside;
    if (released) {
      // As a window manager's close box: the window is asked, not told.
      if (inside) screen_.QueueWindowEvent(InputEvent::kCloseRequest, closeHeld_);
      closeHeld_ = nullptr;
      dirty_ = true;
    }
  }
  return true;
}

void WebBackend::Translate(const PageEvent& page) {
  screen_.modifiers.alt = (page.mods & kPageAlt) != 0;
  screen_.modifiers.shift = (page.mods & kPageShift) != 0;
  screen_.modifiers.ctrl = (page.mods & kPageCtrl) != 0;
  if (!locked_ && (page.kind == kPageMove || page.kind == kPageDown || page.kind == kPageUp)) {
    if (FrameHoldsPointer(page)) return;
    if (page.kind == kPageDown && page.button == 1 && PressFrame(page.x, page.y)) {
      screen_.MovePointer(page.x, page.y);
      return;
    }
  }
  switch (page.kind) {
    case kPageMove:
      if (locked_)
        screen_.MovePointer(screen_.pointerX() + page.dx, screen_.pointerY() + page.dy);
      else
        screen_.MovePointer(page.x, page.y);
      screen_.QueuePointerMove();
      return;
    case kPageDown:
    case kPageUp:
      if (page.button < 1 || page.button > 3) return;
      if (!locked_) screen_.MovePointer(page.x, page.y);
      screen_.QueueButton(page.kind == kPageDown, page.button);
      return;
    case kPageKeyDown:
    case kPageKeyUp:
      if (page.key <= 0) return;
      screen_.QueueKey(page.kind == kPageKeyDown, static_cast<unsigned>(page.key),
                       static_cast<wchar_t>(page.ch), screen_.modifiers.alt);
      return;
    case kPageLock:
      locked_ = page.locked != 0;
      if (locked_ && !lockWanted_) {
        locked_ = false;
        ExitPointerLock();  // given after we stopped wanting it
      } else if (!locked_ && lockWanted_) {
        LockLost();  // Esc, or the page lost focus
      }
      return;
    case kPageLockError:
      if (lockWanted_) LockLost();
      return;
    case kPageBlur:
      screen_.QueueWindowEvent(InputEvent::kFocusLost, screen_.KeyboardTarget());
      return;
    default:
      return;
  }
}

}  // namespace web
}  // namespace kv
