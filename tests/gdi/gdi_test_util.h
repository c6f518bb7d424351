// Small helpers for the drawing-layer tests: surfaces over plain memory and
// an image comparison that leaves both pictures behind when they differ.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/gdi/gdi_internal.h"
#include "platform/win32.h"

namespace gdi_test {

// A block of 32-bit pixels (0x00RRGGBB) with a device context drawing into it.
struct Canvas {
  std::vector<uint32_t> pixels;
  kv::PixelSurface surface;
  HDC dc = nullptr;

  Canvas(int width, int height, uint32_t fill = 0)
      : pixels(static_cast<size_t>(width) * height, fill) {
    surface = kv::PixelSurface{pixels.data(), width, height, width};
    dc = kv::gdi::CreateSurfaceDC(surface);
  }
  ~Canvas() { DeleteDC(dc); }
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  uint32_t& At(int x, int y) { return pixels[static_cast<size_t>(y) * surface.width + x]; }
  int width() const { return surface.width; }
  int height() const { return surface.height; }
};

// The smallest box holding every pixel that differs from `background`;
// empty (right < left) when there is none.
struct Box {
  int left = 0, top = 0, right = -1, bottom = -1;  // inclusive
  bool empty() const { return right < left; }
};
inline Box InkBox(const Canvas& c, uint32_t background) {
  Box b{c.surface.width, c.surface.height, -1, -1};
  for (int y = 0; y < c.surface.height; ++y)
    for (int x = 0; x < c.surface.width; ++x)
      if (c.pixels[static_cast<size_t>(y) * c.surface.width + x] != background) {
        b.left = std::min(b.left, x);
        b.top = std::min(b.top, y);
        b.right = std::max(b.right, x);
        b.bottom = std::max(b.bottom, y);
      }
  return b;
}

inline void WritePpm(const std::string& path, const std::vector<uint32_t>& px, int w, int h) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return;
  std::fprintf(f, "P6\n%d %d\n255\n", w, h);
  for (uint32_t p : px) {
    const unsigned char rgb[3] = {static_cast<unsigned char>(p >> 16),
                                  static_cast<unsigned char>(p >> 8),
                                  static_cast<unsigned char>(p)};
    std::fwrite(rgb, 1, 3, f);
  }
  std::fclose(f);
}

// Compares two pictures of the same size; on a mismatch writes both under
// the build directory and reports the first differing pixel.
inline ::testing::AssertionResult SameImage(const std::string& name,
                                            const std::vector<uint32_t>& actual,
                                            const std::vector<uint32_t>& expected, int w,
                                            int h) {
  for (size_t i = 0; i < actual.size(); ++i) {
    if (actual[i] != expected[i]) {
      const std::string base = std::string(KV_BUILD_DIR) + "/gdi_" + name;
      WritePpm(base + "_actual.ppm", actual, w, h);
      WritePpm(base + "_expected.ppm", expected, w, h);
      char msg[160];
      std::snprintf(msg, sizeof msg, "%s: pixel (%d,%d) is %08X, expected %08X", name.c_str(),
                    static_cast<int>(i % w), static_cast<int>(i / w), actual[i], expected[i]);
      return ::testing::AssertionFailure() << msg << " (images written to " << base << "_*.ppm)";
    }
  }
  return ::testing::AssertionSuccess();
}

}  // namespace gdi_test
