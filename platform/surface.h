// A block of 32-bit pixels: the one pixel format of the drawing layer and of
// every display backend. A pixel is 0x00RRGGBB in a uint32_t (bytes blue,
// green, red, unused in memory, as a 32-bit device-independent bitmap).
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace kv {

struct PixelSurface {
  uint32_t* pixels = nullptr;  // top row first
  int width = 0;
  int height = 0;
  int stride = 0;  // pixels from one row to the next
};

// Copies the rectangle both surfaces have, from their top-left corners: what
// a window keeps when its surface is remade at another size, or what fits
// of one window's pixels in another's.
inline void CopyOverlap(const PixelSurface& from, const PixelSurface& to) {
  const int width = std::min(from.width, to.width), height = std::min(from.height, to.height);
  for (int y = 0; y < height; ++y)
    std::copy_n(from.pixels + static_cast<ptrdiff_t>(y) * from.stride, width,
                to.pixels + static_cast<ptrdiff_t>(y) * to.stride);
}

}  // namespace kv
