// Block transfers: the raster operations bit by bit, and clipping.
#include <gtest/gtest.h>

#include "tests/gdi/gdi_test_util.h"

using gdi_test::Canvas;
using gdi_test::SameImage;

namespace {

uint32_t Combine(uint32_t src, uint32_t dst, DWORD rop) {
  Canvas s(1, 1, src), d(1, 1, dst);
  EXPECT_TRUE(BitBlt(d.dc, 0, 0, 1, 1, s.dc, 0, 0, rop));
  return d.At(0, 0);
}

TEST(RasterOps, CombineEveryBitOfEveryChannel) {
  EXPECT_EQ(Combine(0xFEDCBA98, 0x89ABCDEF, SRCCOPY), 0xFEDCBA98u);
  EXPECT_EQ(Combine(0xFEDCBA98, 0x89ABCDEF, SRCPAINT), 0xFFFFFFFFu);
  EXPECT_EQ(Combine(0xFEDCBA98, 0x89ABCDEF, SRCAND), 0x88888888u);
  EXPECT_EQ(Combine(0xFEDCBA98, 0x89ABCDEF, 0x00660046), 0x77777777u);  // SRCINVERT
  EXPECT_EQ(Combine(0xFEDCBA98, 0x89ABCDEF, 0x00330008), 0x01234567u);  // NOTSRCCOPY
  EXPECT_EQ(Combine(0xFEDCBA98, 0x89ABCDEF, 0x00550009), 0x76543210u);  // DSTINVERT
  EXPECT_EQ(Combine(0xFEDCBA98, 0x89ABCDEF, 0x00000042), 0x00000000u);  // BLACKNESS
}

TEST(RasterOps, MaskedSpriteLeavesBackgroundUnderWhiteAndPictureUnderBlack) {
  // The two-step sprite draw: AND with the mask, then OR with the picture.
  Canvas mask(2, 1), picture(2, 1), target(2, 1, 0x00336699);
  mask.At(0, 0) = 0x00FFFFFF;
  mask.At(1, 0) = 0;
  picture.At(0, 0) = 0;
  picture.At(1, 0) = 0x00C08040;
  BitBlt(target.dc, 0, 0, 2, 1, mask.dc, 0, 0, SRCAND);
  BitBlt(target.dc, 0, 0, 2, 1, picture.dc, 0, 0, SRCPAINT);
  EXPECT_EQ(target.At(0, 0), 0x00336699u);
  EXPECT_EQ(target.At(1, 0), 0x00C08040u);
}

TEST(RasterOps, PatternOperationsAndBadContextsAreRefused) {
  Canvas s(2, 2), d(2, 2, 7);
  EXPECT_FALSE(BitBlt(d.dc, 0, 0, 2, 2, s.dc, 0, 0, 0x00F00021));  // PATCOPY
  EXPECT_FALSE(BitBlt(d.dc, 0, 0, 2, 2, nullptr, 0, 0, SRCCOPY));
  int notADC = 0;
  EXPECT_FALSE(BitBlt(reinterpret_cast<HDC>(&notADC), 0, 0, 2, 2, s.dc, 0, 0, SRCCOPY));
  EXPECT_FALSE(BitBlt(d.dc, 0, 0, 2, 2, reinterpret_cast<HDC>(&notADC), 0, 0, SRCCOPY));
  for (uint32_t p : d.pixels) EXPECT_EQ(p, 7u);
}

// A source of distinct pixels, so any shift or wrap shows.
constexpr int kSrcW = 6, kSrcH = 5, kDstW = 10, kDstH = 8;
constexpr uint32_t kBackground = 0x00101010;
uint32_t SourcePixel(int x, int y) { return 0x00A00000u | (x << 8) | y; }

// What a clipped copy must give, one pixel at a time.
std::vector<uint32_t> ExpectedCopy(int x, int y, int w, int h, int sx, int sy) {
  std::vector<uint32_t> out(kDstW * kDstH, kBackground);
  for (int j = 0; j < h; ++j)
    for (int i = 0; i < w; ++i) {
      const int64_t dx = int64_t{x} + i, dy = int64_t{y} + j, px = int64_t{sx} + i,
                    py = int64_t{sy} + j;
      if (dx >= 0 && dy >= 0 && dx < kDstW && dy < kDstH && px >= 0 && py >= 0 && px < kSrcW &&
          py < kSrcH)
        out[dy * kDstW + dx] = SourcePixel(static_cast<int>(px), static_cast<int>(py));
    }
  return out;
}

TEST(BitBltClipping, NothingWrapsOrShiftsAtAnyEdge) {
  struct Case {
    const char* name;
    int x, y, w, h, sx, sy;
  } cases[] = {
      {"inside", 2, 1, 6, 5, 0, 0},
      {"left_edge", -2, 1, 6, 5, 0, 0},
      {"top_edge", 1, -3, 6, 5, 0, 0},
      {"right_edge", 7, 2, 6, 5, 0, 0},
      {"bottom_edge", 3, 6, 6, 5, 0, 0},
      {"all_corners", -1, -1, 12, 10, 0, 0},
      {"outside_left", -6, 0, 6, 5, 0, 0},
      {"outside_right", 10, 0, 6, 5, 0, 0},
      {"outside_top", 0, -5, 6, 5, 0, 0},
      {"outside_bottom", 0, 8, 6, 5, 0, 0},
      {"negative_source", 3, 3, 6, 5, -2, -1},
      {"source_past_end", 0, 0, 8, 8, 3, 2},
      {"source_wholly_outside", 0, 0, 4, 4, 6, 0},
      {"huge_offsets", 2147483600, -2147483600, 100, 100, -2147483600, 2147483600},
  };
  Canvas src(kSrcW, kSrcH);
  for (int y = 0; y < kSrcH; ++y)
    for (int x = 0; x < kSrcW; ++x) src.At(x, y) = SourcePixel(x, y);
  for (const Case& c : cases) {
    Canvas dst(kDstW, kDstH, kBackground);
    EXPECT_TRUE(BitBlt(dst.dc, c.x, c.y, c.w, c.h, src.dc, c.sx, c.sy, SRCCOPY)) << c.name;
    EXPECT_TRUE(SameImage(std::string("clip_") + c.name, dst.pixels,
                          ExpectedCopy(c.x, c.y, c.w, c.h, c.sx, c.sy), kDstW, kDstH));
  }
}

TEST(BitBltClipping, LeftEdgeKeepsSourceAligned) {
  // A sprite whose left edge is at -1: destination column 0 shows source column 1.
  Canvas src(kSrcW, kSrcH);
  for (int y = 0; y < kSrcH; ++y)
    for (int x = 0; x < kSrcW; ++x) src.At(x, y) = SourcePixel(x, y);
  Canvas dst(kDstW, kDstH, kBackground);
  BitBlt(dst.dc, -1, 0, kSrcW, kSrcH, src.dc, 0, 0, SRCCOPY);
  EXPECT_EQ(dst.At(0, 0), SourcePixel(1, 0));
  EXPECT_EQ(dst.At(4, 4), SourcePixel(5, 4));
  EXPECT_EQ(dst.At(5, 0), kBackground);
}

TEST(BitBltClipping, OverlappingCopyWithinOneSurface) {
  Canvas c(8, 8);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) c.At(x, y) = static_cast<uint32_t>(y * 8 + x);
  std::vector<uint32_t> expected = c.pixels;
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 5; ++x) expected[(y + 2) * 8 + x + 3] = c.pixels[y * 8 + x];
  BitBlt(c.dc, 3, 2, 5, 5, c.dc, 0, 0, SRCCOPY);  // down and right over itself
  EXPECT_TRUE(SameImage("overlap_down", c.pixels, expected, 8, 8));

  std::vector<uint32_t> before = c.pixels;
  expected = before;
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 5; ++x) expected[y * 8 + x] = before[(y + 2) * 8 + x + 3];
  BitBlt(c.dc, 0, 0, 5, 5, c.dc, 3, 2, SRCCOPY);  // up and left over itself
  EXPECT_TRUE(SameImage("overlap_up", c.pixels, expected, 8, 8));
}

TEST(BitBltFormats, MonochromeAndColourConvertThroughContextColours) {
  Canvas colour(3, 1, 0x00445566);
  HDC mem = CreateCompatibleDC(nullptr);
  HBITMAP mono = CreateCompatibleBitmap(mem, 3, 1);  // a new context makes monochrome bitmaps
  HGDIOBJ old = SelectObject(mem, mono);
  SetPixel(mem, 0, 0, RGB(255, 255, 255));
  SetPixel(mem, 1, 0, RGB(0, 0, 0));
  SetPixel(mem, 2, 0, RGB(200, 210, 220));  // nearer white
  EXPECT_EQ(GetPixel(mem, 2, 0), RGB(255, 255, 255));
  // Black takes the destination's text colour, white its background colour.
  SetTextColor(colour.dc, RGB(1, 2, 3));
  SetBkColor(colour.dc, RGB(9, 8, 7));
  BitBlt(colour.dc, 0, 0, 3, 1, mem, 0, 0, SRCCOPY);
  EXPECT_EQ(colour.At(0, 0), 0x00090807u);
  EXPECT_EQ(colour.At(1, 0), 0x00010203u);
  EXPECT_EQ(colour.At(2, 0), 0x00090807u);
  // Colour to monochrome: white where the source is its background colour.
  colour.At(1, 0) = 0x00112233;
  SetBkColor(colour.dc, RGB(0x11, 0x22, 0x33));
  BitBlt(mem, 0, 0, 3, 1, colour.dc, 0, 0, SRCCOPY);
  EXPECT_EQ(GetPixel(mem, 0, 0), 0u);
  EXPECT_EQ(GetPixel(mem, 1, 0), RGB(255, 255, 255));
  SelectObject(mem, old);
  EXPECT_TRUE(DeleteObject(mono));
  EXPECT_TRUE(DeleteDC(mem));
}

}  // namespace
