// One table of drawing primitives per pixel format. Every primitive is given
// rectangles already clipped to its surface and never empty: clipping is done
// once, by the caller.
//
// Both formats keep one uint32_t per pixel so that raster operations work on
// either without conversion: the colour format holds 0x00RRGGBB, the
// monochrome format holds 0 (black) or 0x00FFFFFF (white).
#pragma once

#include <cstdint>

#include "platform/surface.h"
#include "platform/win32.h"

namespace kv {
namespace gdi {

// A raster operation of source and destination as data: each result pixel is
// (dst AND and(src)) XOR xor(src), where and(src) = (src & and1) | (~src & and0)
// and likewise for xor. Any of the sixteen source/destination operations fits.
struct RopMasks {
  uint32_t and0, and1, xor0, xor1;
  bool usesSource;
};

// Decodes a ternary raster operation code; false when it needs a pattern.
bool DecodeRop(DWORD rop, RopMasks* out);

// Applies `rop` to one row of `count` pixels.
void RopRow(uint32_t* dst, const uint32_t* src, int count, const RopMasks& rop);

struct PixelFormat {
  int bitsPerPixel;
  uint32_t (*colorToPixel)(COLORREF color);
  COLORREF (*pixelToColor)(uint32_t pixel);
  // Sets every pixel of `rect` to `pixel`.
  void (*fillRect)(const PixelSurface& surface, const RECT& rect, uint32_t pixel);
  // Draws a coverage map (0..255 per pixel) in `color`. `rect` is where the
  // map's pixel (mapX, mapY) lands at its top-left corner.
  void (*drawCoverage)(const PixelSurface& surface, const RECT& rect, const uint8_t* map,
                       int mapStride, int mapX, int mapY, COLORREF color, bool antialias);
};

const PixelFormat& ColorFormat();       // 32 bits, the display's format
const PixelFormat& MonochromeFormat();  // 1 bit

inline uint32_t* Row(const PixelSurface& s, int y) {
  return s.pixels + static_cast<ptrdiff_t>(y) * s.stride;
}

}  // namespace gdi
}  // namespace kv
