// A block of 32-bit pixels: the one pixel format of the drawing layer and of
// every display backend. A pixel is 0x00RRGGBB in a uint32_t (bytes blue,
// green, red, unused in memory, as a 32-bit device-independent bitmap).
#pragma once

#include <cstdint>

namespace kv {

struct PixelSurface {
  uint32_t* pixels = nullptr;  // top row first
  int width = 0;
  int height = 0;
  int stride = 0;  // pixels from one row to the next
};

}  // namespace kv
