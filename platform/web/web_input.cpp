// The web backend's input: the page's events become the backend's, the
// pointer is ours to keep (the browser cannot move the real one), and the
// pointer lock stands in for the desktop's grab while play hides the cursor.
#include <algorithm>

#include "platform/web/web_backend.h"
#include "platform/web/web_page.h"
#include "platform/win32.h"

namespace kv {
namespace web {

void WebBackend::PointerPosition(int* x, int* y) {
  if (x) *x = pointerX_;
  if (y) *y = pointerY_;
}

void WebBackend::MovePointerTo(int x, int y) {
  pointerX_ = std::clamp(x, 0, std::max(0, screenWidth_ - 1));
  pointerY_ = std::clamp(y, 0, std::max(0, screenHeight_ - 1));
}

void WebBackend::WarpPointer(int x, int y) {
  // While locked the browser reports only movement, which is added to the
  // place set here, so nothing moved before or after the warp is lost.
  MovePointerTo(x, y);
}

bool WebBackend::GrabPointer(NativeWindow* window) {
  WebWindow* w = Find(window);
  if (!w || !w->visible) return false;
  grab_ = w;
  UpdateLock();
  return true;
}

void WebBackend::UngrabPointer() {
  grab_ = nullptr;
  UpdateLock();
}

void WebBackend::SetPointerHidden(NativeWindow* window, bool hidden) {
  WebWindow* w = Find(window);
  if (hidden) {
    if (w) hiddenOver_ = w;
  } else if (!w || hiddenOver_ == w) {
    hiddenOver_ = nullptr;
  }
  web::SetCursorHidden(hiddenOver_ != nullptr);
  UpdateLock();
}

void WebBackend::UpdateLock() {
  const bool want = grab_ && grab_ == hiddenOver_;
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

WebWindow* WebBackend::PointerTarget() {
  if (grab_) return grab_;
  if (pressedIn_) return pressedIn_;
  WebWindow* best = nullptr;
  for (auto& p : windows_) {
    WebWindow* w = p.get();
    if (!w->visible || pointerX_ < w->x || pointerY_ < w->y || pointerX_ >= w->x + w->width ||
        pointerY_ >= w->y + w->height) {
      continue;
    }
    if (!best || w->raised > best->raised) best = w;
  }
  return best;
}

WebWindow* WebBackend::KeyboardTarget() {
  WebWindow* best = nullptr;
  for (auto& p : windows_) {
    WebWindow* w = p.get();
    if (!w->visible || w->popup) continue;
    if (!best || w->raised > best->raised) best = w;
  }
  return best;
}

InputEvent WebBackend::At(InputEvent::Type type, WebWindow* target, int mods) const {
  InputEvent e;
  e.type = type;
  e.window = reinterpret_cast<NativeWindow*>(target);
  e.x = pointerX_ - target->x;
  e.y = pointerY_ - target->y;
  e.screenX = pointerX_;
  e.screenY = pointerY_;
  e.alt = (mods & kPageAlt) != 0;
  e.shift = (mods & kPageShift) != 0;
  e.ctrl = (mods & kPageCtrl) != 0;
  return e;
}

bool WebBackend::Translate(const PageEvent& page, InputEvent* out) {
  switch (page.kind) {
    case kPageMove: {
      if (locked_)
        MovePointerTo(pointerX_ + page.dx, pointerY_ + page.dy);
      else
        MovePointerTo(page.x, page.y);
      WebWindow* target = PointerTarget();
      if (!target) return false;  // over no window of ours
      *out = At(InputEvent::kMouseMove, target, page.mods);
      return true;
    }
    case kPageDown:
    case kPageUp: {
      if (page.button < 1 || page.button > 3) return false;
      if (!locked_) MovePointerTo(page.x, page.y);
      const bool down = page.kind == kPageDown;
      const unsigned bit = 1u << page.button;
      if (!down && !(buttonsHeld_ & bit)) return false;  // pressed outside the canvas
      WebWindow* target = PointerTarget();
      if (down) {
        if (!target) return false;
        buttonsHeld_ |= bit;
        if (!pressedIn_) pressedIn_ = target;
      } else {
        buttonsHeld_ &= ~bit;
        if (!buttonsHeld_) pressedIn_ = nullptr;
        if (!target) return false;
      }
      *out = At(down ? InputEvent::kButtonDown : InputEvent::kButtonUp, target, page.mods);
      out->button = page.button;
      return true;
    }
    case kPageKeyDown:
    case kPageKeyUp: {
      WebWindow* target = KeyboardTarget();
      if (!target || page.key <= 0) return false;
      *out = At(page.kind == kPageKeyDown ? InputEvent::kKeyDown : InputEvent::kKeyUp, target,
                page.mods);
      out->key = static_cast<unsigned>(page.key);
      out->ch = static_cast<wchar_t>(page.ch);
      return true;
    }
    case kPageLock:
      locked_ = page.locked != 0;
      if (locked_ && !lockWanted_) {
        locked_ = false;
        ExitPointerLock();  // given after we stopped wanting it
      } else if (!locked_ && lockWanted_) {
        LockLost();  // Esc, or the page lost focus
      }
      return false;
    case kPageLockError:
      if (lockWanted_) LockLost();
      return false;
    case kPageBlur: {
      WebWindow* target = KeyboardTarget();
      if (!target) return false;
      *out = At(InputEvent::kFocusLost, target, 0);
      return true;
    }
    default:
      return false;
  }
}

}  // namespace web
}  // namespace kv
