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

// Copies the rectangle (x, y, width, height) of `from` into `to` with each
// pixel as a factor x factor block (nearest neighbour, crisp): what a
// display shows of a surface at an integer scale. The rectangle lies in
// `from`, and its blocks in `to`.
inline void CopyScaled(const PixelSurface& from, const PixelSurface& to, int x, int y, int width,
                       int height, int factor) {
  if (width <= 0 || height <= 0 || factor < 1) return;
  const size_t rowPixels = static_cast<size_t>(width) * static_cast<size_t>(factor);
  for (int row = 0; row < height; ++row) {
    const uint32_t* in = from.pixels + static_cast<ptrdiff_t>(y + row) * from.stride + x;
    uint32_t* first = to.pixels + static_cast<ptrdiff_t>(y + row) * factor * to.stride +
                      static_cast<ptrdiff_t>(x) * factor;
    if (factor == 1) {
      std::copy_n(in, width, first);
      continue;
    }
    uint32_t* out = first;
    for (int i = 0; i < width; ++i, out += factor) std::fill_n(out, factor, in[i]);
    for (int k = 1; k < factor; ++k)
      std::copy_n(first, rowPixels, first + static_cast<ptrdiff_t>(k) * to.stride);
  }
}

}  // namespace kv
