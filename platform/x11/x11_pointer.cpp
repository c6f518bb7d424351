// The pointer: where it is, moving it, grabbing it, hiding it.
#include <X11/extensions/Xfixes.h>

#include <algorithm>

#include "platform/x11/x11_display.h"
#include "platform/x11/x11_scale.h"

namespace kv {
namespace x11 {

namespace {

// Crossing reports keep coming under the grab, so the display-level hide
// follows the pointer out of our window and back.
constexpr unsigned kGrabEvents = ButtonPressMask | ButtonReleaseMask | PointerMotionMask |
                                 EnterWindowMask | LeaveWindowMask;

}  // namespace

void X11Backend::PointerPosition(int* x, int* y) {
  int rootX = 0, rootY = 0;
  int width = 0, height = 0;
  RealScreenSize(&width, &height);
  if (!grabWindow_ || !TrackedPointer(pointerTrack_, width, height, &rootX, &rootY)) {
    Window rootReturn = None, child = None;
    int winX = 0, winY = 0;
    unsigned int mask = 0;
    const unsigned long serial = NextRequest(display_);
    // Reports the root coordinates even when it answers False (the pointer
    // on another screen); they are still the best we know.
    XQueryPointer(display_, root_, &rootReturn, &child, &rootX, &rootY, &winX, &winY, &mask);
    NotePointerReading(&pointerTrack_, serial, rootX, rootY);
  }
  if (x) *x = FloorDiv(rootX, scale_);
  if (y) *y = FloorDiv(rootY, scale_);
}

void X11Backend::WarpPointer(int x, int y) {
  int width = 0, height = 0;
  RealScreenSize(&width, &height);
  // In the program's pixels, kept on its screen.
  x = std::clamp(x, 0, std::max(width / scale_ - 1, 0));
  y = std::clamp(y, 0, std::max(height / scale_ - 1, 0));
  // The mouse control reads the pointer and then puts it back on the player.
  // An absolute warp would throw away whatever the person moved in between
  // (a round trip and more); a move by the difference from the reading keeps
  // it, and the next reading sees it. Without a reading, go absolute.
  int fromX = 0, fromY = 0;
  const unsigned long serial = NextRequest(display_);
  if (TrackedPointer(pointerTrack_, width, height, &fromX, &fromY)) {
    // Scaled up, the move is by whole program pixels from the one the
    // reading gave, so the part of a pixel the person moved within it stays
    // and counts towards the next: two screen pixels of motion are exactly
    // one of the program's, none lost.
    const int dx = (x - FloorDiv(fromX, scale_)) * scale_;
    const int dy = (y - FloorDiv(fromY, scale_)) * scale_;
    XWarpPointer(display_, None, None, 0, 0, 0, 0, dx, dy);
    if (!grabWindow_ || !NotePointerWarp(&pointerTrack_, serial, dx, dy))
      ForgetPointer(&pointerTrack_);
  } else {
    XWarpPointer(display_, None, root_, 0, 0, 0, 0, x * scale_, y * scale_);
    // Under the grab the place is known from here on; reports made before
    // this request are older than it.
    if (grabWindow_) NotePointerReading(&pointerTrack_, serial, x * scale_, y * scale_);
  }
  XFlush(display_);
}

bool X11Backend::GrabPointer(NativeWindow* window) {
  XWindowRecord* record = Find(window);
  if (!record || record->gone) return false;
  Cursor cursor = record->pointerHidden ? blankCursor_ : None;
  int status = XGrabPointer(display_, record->window, True, kGrabEvents, GrabModeAsync,
                            GrabModeAsync, None, cursor, CurrentTime);
  // A new grab starts from a fresh reading.
  PointerGrabEnded();
  if (status != GrabSuccess) return false;
  grabWindow_ = record;
  return true;
}

void X11Backend::PointerGrabEnded() {
  grabWindow_ = nullptr;
  ForgetPointer(&pointerTrack_);
}

void X11Backend::NotePointerEvent(const XEvent& event) {
  if (!grabWindow_) return;
  int x = 0, y = 0;
  Bool sameScreen = True;
  // Pointer, button and key events name the pointer's root place alike.
  auto take = [&](const auto& e) {
    x = e.x_root;
    y = e.y_root;
    sameScreen = e.same_screen;
  };
  switch (event.type) {
    case MotionNotify: take(event.xmotion); break;
    case ButtonPress:
    case ButtonRelease: take(event.xbutton); break;
    case KeyPress:
    case KeyRelease: take(event.xkey); break;
    case UnmapNotify:
    case DestroyNotify: {
      // The server ends a grab whose window leaves the screen, and says no more.
      Window gone = event.type == UnmapNotify ? event.xunmap.window : event.xdestroywindow.window;
      if (FindByX(gone) == grabWindow_) PointerGrabEnded();
      return;
    }
    default:
      return;
  }
  if (sameScreen)
    NotePointerReport(&pointerTrack_, event.xany.serial, x, y);
  else
    ForgetPointer(&pointerTrack_);  // gone to another screen: ask next time
}

void X11Backend::UngrabPointer() {
  PointerGrabEnded();
  XUngrabPointer(display_, CurrentTime);
  XFlush(display_);
}

void X11Backend::SetPointerHidden(NativeWindow* window, bool hidden) {
  XWindowRecord* record = Find(window);
  // The server counts hide requests; ours is a two-state setting.
  if (!record || record->gone || record->pointerHidden == hidden) return;
  record->pointerHidden = hidden;
  // Hidden over this window only: other programs' windows keep their cursor.
  XDefineCursor(display_, record->window, hidden ? blankCursor_ : arrowCursor_);
  // A grab made while shown keeps its cursor; give it the new one.
  if (grabWindow_ == record)
    XChangeActivePointerGrab(display_, kGrabEvents, hidden ? blankCursor_ : None, CurrentTime);
  UpdateDisplayHide();
  XFlush(display_);
}

void X11Backend::UpdateDisplayHide() {
  const bool hide = fixesUsable_ && pointerInside_ && !pointerInside_->gone &&
                    pointerInside_->pointerHidden;
  if (hide == displayHidden_) return;  // the server counts requests; ours is two-state
  displayHidden_ = hide;
  if (hide)
    XFixesHideCursor(display_, root_);
  else
    XFixesShowCursor(display_, root_);
}

void X11Backend::NoteCrossing(const XEvent& event) {
  if (event.type != EnterNotify && event.type != LeaveNotify) return;
  const XCrossingEvent& c = event.xcrossing;
  // Moving into a child window of ours is no leaving.
  if (c.detail == NotifyInferior) return;
  XWindowRecord* record = FindByX(c.window);
  if (!record) return;
  if (event.type == EnterNotify)
    pointerInside_ = record;
  else if (pointerInside_ == record)
    pointerInside_ = nullptr;
  UpdateDisplayHide();
  XFlush(display_);
}

}  // namespace x11
}  // namespace kv
