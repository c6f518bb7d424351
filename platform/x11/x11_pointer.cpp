// The pointer: where it is, moving it, grabbing it, hiding it.
#include <X11/extensions/Xfixes.h>

#include <algorithm>
#include <cmath>

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
  int width = 0, height = 0;
  RealScreenSize(&width, &height);
  double rootX = 0, rootY = 0;
  if (!grabWindow_ || !TrackedPointer(pointerTrack_, width, height, &rootX, &rootY)) {
    Window rootReturn = None, child = None;
    int readX = 0, readY = 0, winX = 0, winY = 0;
    unsigned int mask = 0;
    const unsigned long serial = NextRequest(display_);
    // Reports the root coordinates even when it answers False (the pointer
    // on another screen); they are still the best we know. Whole pixels
    // only, also through XInput 2: only events carry the fraction.
    XQueryPointer(display_, root_, &rootReturn, &child, &readX, &readY, &winX, &winY, &mask);
    NotePointerReading(&pointerTrack_, serial, readX, readY);
    rootX = readX;
    rootY = readY;
  }
  if (x) *x = FloorDiv(static_cast<int>(std::floor(rootX)), scale_);
  if (y) *y = FloorDiv(static_cast<int>(std::floor(rootY)), scale_);
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
  // it, and the next reading sees it. The move keeps the pointer's place
  // within a program pixel too (scaled up, two screen pixels of motion are
  // one of the program's), and the track carries the fraction the server
  // drops at the warp. Without a reading, go absolute.
  PendingWarp warp;
  warp.serial = NextRequest(display_);
  if (PlanPointerWarp(pointerTrack_, width, height, scale_, x, y, &warp)) {
    XWarpPointer(display_, None, None, 0, 0, 0, 0, warp.dx, warp.dy);
    if (!grabWindow_ || !NotePointerWarp(&pointerTrack_, warp)) ForgetPointer(&pointerTrack_);
  } else {
    XWarpPointer(display_, None, root_, 0, 0, 0, 0, x * scale_, y * scale_);
    // Under the grab the place is known from here on; reports made before
    // this request are older than it.
    if (grabWindow_) NotePointerReading(&pointerTrack_, warp.serial, x * scale_, y * scale_);
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
  // Another client's event (XSendEvent) says nothing of the server's pointer.
  if (!grabWindow_ || event.xany.send_event) return;
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
  NotePointerPlace(event.xany.serial, sameScreen, x, y, PointerReport::kWhole);
}

void X11Backend::NotePointerPlace(unsigned long serial, bool sameScreen, double x, double y,
                                  PointerReport kind) {
  if (!grabWindow_) return;
  if (sameScreen)
    NotePointerReport(&pointerTrack_, serial, x, y, kind);
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
  if ((event.type != EnterNotify && event.type != LeaveNotify) || event.xany.send_event) return;
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
