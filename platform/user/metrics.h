// Window geometry: how an outer window rectangle maps onto the native
// surface (menu bar plus client area) and back. The frame and caption sizes
// are those of a classic fixed-border window, so that the main window's
// outer 1007 x 649 leaves exactly a 1000 x 600 client area below its menu.
#pragma once

#include <climits>
#include <cstdint>

#include "platform/backend.h"
#include "platform/win32.h"

namespace kv {
namespace user {

constexpr int kFrameLeft = 3;
constexpr int kFrameTop = 3;
constexpr int kFrameRight = 4;
constexpr int kFrameBottom = 4;
constexpr int kCaptionHeight = 22;

// No surface side may exceed the backends' limit.
using kv::kMaxSurfaceSide;

// Size and default place used for CW_USEDEFAULT.
constexpr int kDefaultX = 100;
constexpr int kDefaultY = 100;
constexpr int kDefaultWidth = 640;
constexpr int kDefaultHeight = 480;

// Overlapped windows get our frame and caption; popups (dialogs, drop-downs)
// are placed and sized as given, their decoration left to the window manager;
// child windows live inside their parent's client area.
inline bool HasFrame(DWORD style) { return (style & (WS_POPUP | WS_CHILD)) == 0; }

struct Geometry {
  int surfaceX = 0, surfaceY = 0;           // screen place of the native surface
  int surfaceWidth = 0, surfaceHeight = 0;  // menu bar plus client area
  int clientWidth = 0, clientHeight = 0;
  bool fits = true;                         // false: larger than any surface may be
};

// A side length from a request: negative becomes empty, and anything past
// the limit is held just above it (so the caller can tell, without overflow).
inline int ClampSide(int64_t v) {
  if (v < 0) return 0;
  return v > kMaxSurfaceSide ? kMaxSurfaceSide + 1 : static_cast<int>(v);
}

// A sum or difference of coordinates held to the int range: the program may
// pass any int, and a backend or a recording any coordinate a screen can
// have, so no such sum may overflow.
inline int ClampCoordinate(int64_t v) {
  return v < INT_MIN ? INT_MIN : v > INT_MAX ? INT_MAX : static_cast<int>(v);
}

// The native surface for a window created at (x, y) with the outer size
// (width, height) and a menu bar of `menuBarHeight` rows (0 without a menu).
inline Geometry ComputeGeometry(DWORD style, int x, int y, int width, int height,
                                int menuBarHeight) {
  Geometry g;
  if (HasFrame(style)) {
    g.surfaceX = ClampCoordinate(int64_t{x} + kFrameLeft);
    g.surfaceY = ClampCoordinate(int64_t{y} + kFrameTop + kCaptionHeight);
    g.clientWidth = ClampSide(int64_t(width) - kFrameLeft - kFrameRight);
    g.clientHeight = ClampSide(int64_t(height) - kFrameTop - kCaptionHeight - menuBarHeight -
                               kFrameBottom);
  } else {
    g.surfaceX = x;
    g.surfaceY = y;
    g.clientWidth = ClampSide(width);
    g.clientHeight = ClampSide(int64_t(height) - menuBarHeight);
  }
  g.surfaceWidth = g.clientWidth;
  g.surfaceHeight = g.clientHeight + menuBarHeight;
  g.fits = g.surfaceWidth <= kMaxSurfaceSide && g.surfaceHeight <= kMaxSurfaceSide;
  return g;
}

// The outer rectangle of a window whose surface (clientWidth x
// menuBarHeight + clientHeight) sits at the screen point (sx, sy).
inline RECT OuterRect(DWORD style, int sx, int sy, int clientWidth, int clientHeight,
                      int menuBarHeight) {
  RECT r;
  const int64_t x = sx, y = sy;
  if (HasFrame(style)) {
    r.left = ClampCoordinate(x - kFrameLeft);
    r.top = ClampCoordinate(y - kFrameTop - kCaptionHeight);
    r.right = ClampCoordinate(x + clientWidth + kFrameRight);
    r.bottom = ClampCoordinate(y + menuBarHeight + clientHeight + kFrameBottom);
  } else {
    r.left = sx;
    r.top = sy;
    r.right = ClampCoordinate(x + clientWidth);
    r.bottom = ClampCoordinate(y + menuBarHeight + clientHeight);
  }
  return r;
}

}  // namespace user
}  // namespace kv
