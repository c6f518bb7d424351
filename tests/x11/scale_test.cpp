// The high-DPI factor from the desktop's resources, and the scaled copy.
#include "platform/x11/x11_scale.h"

#include <gtest/gtest.h>

#include <vector>

namespace kv {
namespace x11 {
namespace {

TEST(DesktopScale, IsXftDpiOver96RoundedDownFrom192) {
  EXPECT_EQ(ScaleFromResources(nullptr), 1);
  EXPECT_EQ(ScaleFromResources(""), 1);
  EXPECT_EQ(ScaleFromResources("Xft.dpi:\t96\n"), 1);
  EXPECT_EQ(ScaleFromResources("Xft.dpi:\t191\n"), 1);
  EXPECT_EQ(ScaleFromResources("Xft.antialias:\t1\nXft.dpi:\t192\nXcursor.size:\t48\n"), 2);
  EXPECT_EQ(ScaleFromResources("Xft.dpi: 287.9\n"), 2);
  EXPECT_EQ(ScaleFromResources("Xft.dpi:\t288\n"), 3);
  EXPECT_EQ(ScaleFromResources("Xft.dpi:\t384\n"), 4);
  // Nonsense counts as no setting at all.
  EXPECT_EQ(ScaleFromResources("Xft.dpi:\thigh\n"), 1);
  EXPECT_EQ(ScaleFromResources("Xft.dpi:\t-192\n"), 1);
  EXPECT_EQ(ScaleFromResources("Xft.dpi:\t1e30\n"), 1);
  EXPECT_EQ(ScaleFromResources("Other.dpi:\t192\n"), 1);
}

// The game's 1000 x 620 window: a factor that does not fit is lowered to the
// largest that does, down to 1 (which is kept even where nothing fits).
TEST(FittingScale, IsTheLargestAtWhichTheWindowFits) {
  EXPECT_EQ(FittingScale(2, 1000, 620, 1920, 1080), 1);  // 2000 wide
  EXPECT_EQ(FittingScale(2, 1000, 620, 2000, 1240), 2);  // exactly
  EXPECT_EQ(FittingScale(2, 1000, 620, 2000, 1239), 1);  // a row short
  EXPECT_EQ(FittingScale(4, 1000, 620, 3840, 2160), 3);
  EXPECT_EQ(FittingScale(3, 1000, 620, 2560, 1600), 2);
  EXPECT_EQ(FittingScale(1, 1000, 620, 800, 600), 1);
  EXPECT_EQ(FittingScale(16, 30000, 30000, 32767, 32767), 1);  // no overflow
}

// The surface covers the window, and the screen image it is shown through
// stays within the surface limit at every factor, however large the window.
TEST(SurfaceSide, CoversTheWindowWithinTheImageLimit) {
  EXPECT_EQ(SurfaceSide(1000, 1), 1000);
  EXPECT_EQ(SurfaceSide(121, 2), 61);  // a part of a pixel gets one
  EXPECT_EQ(SurfaceSide(0, 2), 1);
  EXPECT_EQ(SurfaceSide(-1, 3), 1);
  EXPECT_EQ(SurfaceSide(32767, 1), kMaxSurfaceSide);
  EXPECT_EQ(SurfaceSide(32767, 4), kMaxSurfaceSide / 4);
  EXPECT_EQ(SurfaceSide(2147483647, 2), kMaxSurfaceSide / 2);  // no overflow
  for (int scale = 1; scale <= kMaxScale; ++scale) {
    EXPECT_LE(SurfaceSide(65535, scale) * scale, kMaxSurfaceSide) << "at " << scale;
    EXPECT_GT((SurfaceSide(65535, scale) + 1) * scale, kMaxSurfaceSide) << "at " << scale;
  }
}

TEST(FloorDiv, RoundsTowardsMinusInfinity) {
  EXPECT_EQ(FloorDiv(5, 2), 2);
  EXPECT_EQ(FloorDiv(4, 2), 2);
  EXPECT_EQ(FloorDiv(0, 3), 0);
  EXPECT_EQ(FloorDiv(-1, 2), -1);
  EXPECT_EQ(FloorDiv(-2, 2), -1);
  EXPECT_EQ(FloorDiv(-3, 2), -2);
}

// Only the rectangle is copied, each pixel to its block; the rest of the
// destination is left as it was.
TEST(ScaleRect, CopiesEachPixelToItsBlockOnly) {
  for (int scale : {2, 3}) {
    const int w = 5, h = 4;
    std::vector<uint32_t> src(w * h);
    for (int i = 0; i < w * h; ++i) src[i] = 0x100u + i;
    const int dw = w * scale, dh = h * scale;
    std::vector<uint32_t> dst(dw * dh, 0xDEADu);
    ScaleRect(src.data(), w, dst.data(), dw, 1, 1, 3, 2, scale);
    for (int y = 0; y < dh; ++y)
      for (int x = 0; x < dw; ++x) {
        const int sx = x / scale, sy = y / scale;
        const bool inside = sx >= 1 && sx < 4 && sy >= 1 && sy < 3;
        EXPECT_EQ(dst[y * dw + x], inside ? src[sy * w + sx] : 0xDEADu)
            << "scale " << scale << " at " << x << "," << y;
      }
  }
}

}  // namespace
}  // namespace x11
}  // namespace kv
