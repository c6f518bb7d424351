// The pointer: where it is, moving it, grabbing it, hiding it.
#include <X11/extensions/Xfixes.h>

#include <algorithm>

#include "platform/x11/x11_display.h"

namespace kv {
namespace x11 {

void X11Backend::PointerPosition(int* x, int* y) {
  Window rootReturn = None, child = None;
  int rootX = 0, rootY = 0, winX = 0, winY = 0;
  unsigned int mask = 0;
  // Reports the root coordinates even when it answers False (the pointer
  // on another screen); they are still the best we know.
  XQueryPointer(display_, root_, &rootReturn, &child, &rootX, &rootY, &winX, &winY, &mask);
  if (x) *x = rootX;
  if (y) *y = rootY;
  pointerReadValid_ = true;
  pointerReadX_ = rootX;
  pointerReadY_ = rootY;
}

void X11Backend::WarpPointer(int x, int y) {
  int width = 0, height = 0;
  ScreenSize(&width, &height);
  x = std::clamp(x, 0, std::max(width - 1, 0));
  y = std::clamp(y, 0, std::max(height - 1, 0));
  // The mouse control reads the pointer and then puts it back on the player.
  // An absolute warp would throw away whatever the person moved in between
  // (a round trip and more); a move by the difference from the reading keeps
  // it, and the next reading sees it. Without a fresh reading, go absolute.
  if (pointerReadValid_) {
    XWarpPointer(display_, None, None, 0, 0, 0, 0, x - pointerReadX_, y - pointerReadY_);
  } else {
    XWarpPointer(display_, None, root_, 0, 0, 0, 0, x, y);
  }
  pointerReadValid_ = false;
  XFlush(display_);
}

bool X11Backend::GrabPointer(NativeWindow* window) {
  XWindowRecord* record = Find(window);
  if (!record || record->gone) return false;
  Cursor cursor = (record->pointerHidden && !fixesUsable_) ? blankCursor_ : None;
  int status = XGrabPointer(display_, record->window, True,
                            ButtonPressMask | ButtonReleaseMask | PointerMotionMask,
                            GrabModeAsync, GrabModeAsync, None, cursor, CurrentTime);
  return status == GrabSuccess;
}

void X11Backend::UngrabPointer() {
  XUngrabPointer(display_, CurrentTime);
  XFlush(display_);
}

void X11Backend::SetPointerHidden(NativeWindow* window, bool hidden) {
  XWindowRecord* record = Find(window);
  // The server counts hide requests; ours is a two-state setting.
  if (!record || record->gone || record->pointerHidden == hidden) return;
  record->pointerHidden = hidden;
  if (fixesUsable_) {
    if (hidden)
      XFixesHideCursor(display_, record->window);
    else
      XFixesShowCursor(display_, record->window);
  } else {
    if (hidden)
      XDefineCursor(display_, record->window, blankCursor_);
    else
      XUndefineCursor(display_, record->window);
    // A grab made while shown keeps its cursor; give it the new one.
    XChangeActivePointerGrab(display_, ButtonPressMask | ButtonReleaseMask | PointerMotionMask,
                             hidden ? blankCursor_ : None, CurrentTime);
  }
  XFlush(display_);
}

}  // namespace x11
}  // namespace kv
