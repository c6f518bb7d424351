// Rectangles: outline in the pen, inside in the brush, right and bottom
// edges excluded.
#include <gtest/gtest.h>

#include "tests/gdi/gdi_test_util.h"

using gdi_test::Canvas;
using gdi_test::SameImage;

namespace {

constexpr uint32_t kBg = 0x00123456;
constexpr uint32_t kPenPx = 0x00000000;    // the default black pen
constexpr uint32_t kBrushPx = 0x00FF0000;  // RGB(255, 0, 0) as a pixel

// The picture of a rectangle drawn by hand: outline on columns l and r-1
// and rows t and b-1, the brush inside.
std::vector<uint32_t> Expected(int w, int h, int l, int t, int r, int b, bool pen, bool brush) {
  std::vector<uint32_t> out(w * h, kBg);
  for (int y = t; y < b; ++y)
    for (int x = l; x < r; ++x) {
      if (x < 0 || y < 0 || x >= w || y >= h) continue;
      const bool edge = x == l || x == r - 1 || y == t || y == b - 1;
      if (edge && pen) out[y * w + x] = kPenPx;
      else if (!edge && brush) out[y * w + x] = kBrushPx;
    }
  return out;
}

TEST(Rectangle, OutlineInPenInsideInBrushRightAndBottomExcluded) {
  struct Case {
    const char* name;
    int l, t, r, b;
  } cases[] = {
      {"whole", 0, 0, 10, 8},       {"small", 2, 2, 5, 5},
      {"reversed", 5, 5, 2, 2},     {"clipped_top_left", -5, -5, 3, 3},
      {"clipped_bottom_right", 6, 4, 14, 12},
      {"line", 1, 1, 9, 2},         {"outside", 20, 20, 30, 30},
  };
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
  for (const Case& c : cases) {
    Canvas canvas(10, 8, kBg);
    HGDIOBJ old = SelectObject(canvas.dc, red);
    EXPECT_TRUE(Rectangle(canvas.dc, c.l, c.t, c.r, c.b));
    SelectObject(canvas.dc, old);
    const int l = std::min(c.l, c.r), r = std::max(c.l, c.r);
    const int t = std::min(c.t, c.b), b = std::max(c.t, c.b);
    EXPECT_TRUE(SameImage(std::string("rect_") + c.name, canvas.pixels,
                          Expected(10, 8, l, t, r, b, true, true), 10, 8));
  }
  EXPECT_TRUE(DeleteObject(red));
}

TEST(Rectangle, NullBrushAndNullPenPaintNothingOfTheirPart) {
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
  {
    Canvas canvas(10, 8, kBg);
    SelectObject(canvas.dc, GetStockObject(NULL_BRUSH));
    Rectangle(canvas.dc, 1, 1, 9, 7);
    EXPECT_TRUE(SameImage("rect_null_brush", canvas.pixels,
                          Expected(10, 8, 1, 1, 9, 7, true, false), 10, 8));
  }
  {
    // Without a pen the filled area is one pixel smaller on the right and
    // at the bottom, as on the platform.
    Canvas canvas(10, 8, kBg);
    SelectObject(canvas.dc, red);
    SelectObject(canvas.dc, GetStockObject(NULL_PEN));
    Rectangle(canvas.dc, 1, 1, 9, 7);
    std::vector<uint32_t> expected(80, kBg);
    for (int y = 1; y < 6; ++y)
      for (int x = 1; x < 8; ++x) expected[y * 10 + x] = kBrushPx;
    EXPECT_TRUE(SameImage("rect_null_pen", canvas.pixels, expected, 10, 8));
    SelectObject(canvas.dc, GetStockObject(WHITE_BRUSH));
  }
  {
    Canvas canvas(10, 8, kBg);
    SelectObject(canvas.dc, GetStockObject(NULL_BRUSH));
    SelectObject(canvas.dc, GetStockObject(NULL_PEN));
    Rectangle(canvas.dc, 0, 0, 10, 8);
    for (uint32_t p : canvas.pixels) ASSERT_EQ(p, kBg);
  }
  EXPECT_TRUE(DeleteObject(red));
}

TEST(Rectangle, BlackBrushWithDefaultPenClearsABackBufferWhole) {
  HDC mem = CreateCompatibleDC(nullptr);
  Canvas window(1000, 600, 0x00FFFFFF);
  HBITMAP surface = CreateCompatibleBitmap(window.dc, 1000, 600);
  HGDIOBJ oldBitmap = SelectObject(mem, surface);
  // Start from white so that a missed pixel shows.
  SelectObject(mem, GetStockObject(WHITE_BRUSH));
  Rectangle(mem, 0, 0, 1000, 600);
  HGDIOBJ oldBrush = SelectObject(mem, GetStockObject(BLACK_BRUSH));
  Rectangle(mem, 0, 0, 1000, 600);
  SelectObject(mem, oldBrush);
  kv::PixelSurface px = kv::gdi::BitmapPixels(surface);
  ASSERT_EQ(px.width, 1000);
  ASSERT_EQ(px.height, 600);
  int nonBlack = 0;
  for (int y = 0; y < 600; ++y)
    for (int x = 0; x < 1000; ++x) nonBlack += (px.pixels[y * px.stride + x] & 0x00FFFFFF) != 0;
  EXPECT_EQ(nonBlack, 0);
  SelectObject(mem, oldBitmap);
  EXPECT_TRUE(DeleteObject(surface));
  EXPECT_TRUE(DeleteDC(mem));
}

}  // namespace
