// Showing a program that declares no DPI awareness on a high-DPI desktop:
// every window at a whole factor, pixel for pixel, while the program keeps
// its own coordinates. The backend multiplies going out (window geometry,
// warps, the picture) and divides coming in (pointer, screen, origins).
#pragma once

#include <cstdint>

#include "platform/backend.h"

// Xlib's own name for a connection; its header stays out of here so that
// the arithmetic below can be tested without X's macros.
typedef struct _XDisplay Display;

namespace kv {
namespace x11 {

constexpr int kMaxScale = 16;  // a desktop beyond 1536 dpi is not believed

// The factor the desktop asks for: Xft.dpi of the root window's resource
// database, divided by 96 and rounded down; 1 below 192 dpi or without it.
int DesktopScale(Display* display);
// The same from the text of a resource database ("Xft.dpi:\t192\n...").
int ScaleFromResources(const char* resources);

// The largest factor from 1 to `scale` at which a width x height window
// fits a screenWidth x screenHeight screen; 1 when none does.
int FittingScale(int scale, int width, int height, int screenWidth, int screenHeight);

// The side of the screen image behind a window, in screen pixels: held to
// the surface limit whatever the factor, so a window stretched by another
// client costs at most what an unscaled one may.
constexpr int kMaxImageSide = kMaxSurfaceSide;

// The side of the program's surface for a window side of `windowSide`
// screen pixels: it covers the whole window (a part of a pixel at the right
// or bottom edge, scaled, still gets one), at least 1, and at most what a
// screen image of kMaxImageSide holds at `scale`.
int SurfaceSide(int windowSide, int scale);

// Division rounding towards minus infinity: a pointer left of a window is
// still left of it after scaling down.
inline int FloorDiv(int value, int scale) {
  return value >= 0 ? value / scale : -((-value + scale - 1) / scale);
}

// Copies the rectangle (x, y, width, height) of `src` (already clipped to
// it) into `dst`, each pixel becoming a scale x scale block.
void ScaleRect(const uint32_t* src, int srcStride, uint32_t* dst, int dstStride, int x, int y,
               int width, int height, int scale);

}  // namespace x11
}  // namespace kv
