// Finding drawn text on a surface: the pixels that differ from what was
// there before, and their bounding box.
#pragma once

#include <algorithm>
#include <climits>
#include <cstdint>
#include <vector>

#include "platform/surface.h"

namespace crafted {

struct Box {
  int minX = INT_MAX, minY = INT_MAX, maxX = INT_MIN, maxY = INT_MIN;
  int count = 0;       // changed pixels
  int exact = 0;       // changed pixels exactly of the expected colour
  int wrongHue = 0;    // changed pixels that the colour cannot have made
  bool empty() const { return count == 0; }
};

inline std::vector<uint32_t> Snapshot(const kv::PixelSurface& s) {
  std::vector<uint32_t> copy(static_cast<size_t>(s.width) * static_cast<size_t>(s.height));
  for (int y = 0; y < s.height; ++y)
    std::copy_n(s.pixels + static_cast<size_t>(y) * static_cast<size_t>(s.stride), s.width,
                copy.begin() + static_cast<long>(y) * s.width);
  return copy;
}

// Text of `colour` (0x00RRGGBB) blended over `before`: each channel can only
// have moved toward the colour's channel.
inline bool TowardColour(uint32_t before, uint32_t after, uint32_t colour) {
  for (int shift = 0; shift <= 16; shift += 8) {
    const int b = (before >> shift) & 0xFF, a = (after >> shift) & 0xFF, c = (colour >> shift) & 0xFF;
    if (a < std::min(b, c) || a > std::max(b, c)) return false;
  }
  return true;
}

// Changed pixels inside [x0, x1) x [y0, y1).
inline Box ChangedBox(const kv::PixelSurface& s, const std::vector<uint32_t>& before, uint32_t colour,
                      int x0, int y0, int x1, int y1) {
  Box box;
  for (int y = y0; y < y1; ++y) {
    for (int x = x0; x < x1; ++x) {
      const uint32_t was = before[static_cast<size_t>(y) * static_cast<size_t>(s.width) + static_cast<size_t>(x)];
      const uint32_t now = s.pixels[static_cast<size_t>(y) * static_cast<size_t>(s.stride) + static_cast<size_t>(x)];
      if (was == now) continue;
      ++box.count;
      box.exact += now == colour;
      box.wrongHue += !TowardColour(was, now, colour);
      box.minX = std::min(box.minX, x);
      box.minY = std::min(box.minY, y);
      box.maxX = std::max(box.maxX, x);
      box.maxY = std::max(box.maxY, y);
    }
  }
  return box;
}

}  // namespace crafted
