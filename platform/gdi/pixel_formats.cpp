// The primitive tables of the two pixel formats.
#include <algorithm>

#include "platform/gdi/pixel_format.h"

namespace kv {
namespace gdi {
namespace {

constexpr uint32_t kWhite = 0x00FFFFFF;

void FillRect(const PixelSurface& s, const RECT& r, uint32_t pixel) {
  const int n = r.right - r.left;
  for (int y = r.top; y < r.bottom; ++y) std::fill_n(Row(s, y) + r.left, n, pixel);
}

// ---- 32-bit colour: COLORREF 0x00BBGGRR <-> pixel 0x00RRGGBB
uint32_t ColorToPixel32(COLORREF c) {
  return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}
COLORREF PixelToColor32(uint32_t p) {
  return ((p & 0xFF) << 16) | (p & 0xFF00) | ((p >> 16) & 0xFF);
}

void DrawCoverage32(const PixelSurface& s, const RECT& r, const uint8_t* map, int mapStride,
                    int mapX, int mapY, COLORREF color, bool antialias) {
  const uint32_t tr = GetRValue(color), tg = GetGValue(color), tb = GetBValue(color);
  const uint32_t solid = ColorToPixel32(color);
  for (int y = r.top; y < r.bottom; ++y) {
    const uint8_t* cov = map + static_cast<ptrdiff_t>(mapY + y - r.top) * mapStride + mapX;
    uint32_t* d = Row(s, y) + r.left;
    const int n = r.right - r.left;
    for (int i = 0; i < n; ++i) {
      const uint32_t a = cov[i];
      if (a == 0) continue;
      if (!antialias || a == 255) {
        if (antialias || a >= 128) d[i] = solid;
        continue;
      }
      // Blend each channel toward the text colour by the coverage, rounded.
      const uint32_t p = d[i];
      const uint32_t pr = (p >> 16) & 0xFF, pg = (p >> 8) & 0xFF, pb = p & 0xFF;
      const uint32_t inv = 255 - a;
      const uint32_t nr = (tr * a + pr * inv + 127) / 255;
      const uint32_t ng = (tg * a + pg * inv + 127) / 255;
      const uint32_t nb = (tb * a + pb * inv + 127) / 255;
      d[i] = (nr << 16) | (ng << 8) | nb;
    }
  }
}

// ---- 1-bit monochrome: a colour becomes the nearer of black and white
uint32_t ColorToPixel1(COLORREF c) {
  const int r = GetRValue(c), g = GetGValue(c), b = GetBValue(c);
  const int toBlack = r * r + g * g + b * b;
  const int toWhite = (255 - r) * (255 - r) + (255 - g) * (255 - g) + (255 - b) * (255 - b);
  return toWhite <= toBlack ? kWhite : 0;
}
COLORREF PixelToColor1(uint32_t p) { return (p & kWhite) ? 0x00FFFFFF : 0; }

void DrawCoverage1(const PixelSurface& s, const RECT& r, const uint8_t* map, int mapStride,
                   int mapX, int mapY, COLORREF color, bool) {
  const uint32_t pixel = ColorToPixel1(color);
  for (int y = r.top; y < r.bottom; ++y) {
    const uint8_t* cov = map + static_cast<ptrdiff_t>(mapY + y - r.top) * mapStride + mapX;
    uint32_t* d = Row(s, y) + r.left;
    for (int i = 0; i < r.right - r.left; ++i)
      if (cov[i] >= 128) d[i] = pixel;
  }
}

const PixelFormat kColor{32, ColorToPixel32, PixelToColor32, FillRect, DrawCoverage32};
const PixelFormat kMono{1, ColorToPixel1, PixelToColor1, FillRect, DrawCoverage1};

}  // namespace

const PixelFormat& ColorFormat() { return kColor; }
const PixelFormat& MonochromeFormat() { return kMono; }

}  // namespace gdi
}  // namespace kv
