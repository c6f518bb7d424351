// The back buffer and the masked draw of one sprite, on the crafted pictures.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "tests/render/headless_game.h"

namespace {

using crafted::At;

class SpriteDrawTest : public crafted::HeadlessGame {};

// Every pixel of the 1000 x 600 surface: the probe's own pixel inside the
// rectangle at (left, top), black elsewhere.
void ExpectProbeAt(const kv::PixelSurface& s, int left, int top) {
  ASSERT_EQ(s.width, 1000);
  ASSERT_EQ(s.height, 600);
  int mismatches = 0;
  for (int y = 0; y < s.height; ++y) {
    for (int x = 0; x < s.width; ++x) {
      const int px = x - left, py = y - top;
      const bool inside = px >= 0 && px < 30 && py >= 0 && py < 30;
      const uint32_t expected = inside ? crafted::ProbePixel(px, py) : 0u;
      if (At(s, x, y) != expected && mismatches++ < 5) {
        ADD_FAILURE() << "pixel (" << x << ", " << y << ") is " << std::hex << At(s, x, y)
                      << ", expected " << expected << " for a sprite at (" << std::dec << left
                      << ", " << top << ")";
      }
    }
  }
  EXPECT_EQ(mismatches, 0);
}

void FillSolid(HDC dc, COLORREF colour) {
  HBRUSH brush = CreateSolidBrush(colour);
  HGDIOBJ oldBrush = SelectObject(dc, brush);
  HGDIOBJ oldPen = SelectObject(dc, GetStockObject(NULL_PEN));
  Rectangle(dc, -1, -1, 1001, 601);
  SelectObject(dc, oldPen);
  SelectObject(dc, oldBrush);
  DeleteObject(brush);
}

TEST_F(SpriteDrawTest, NewBackBufferIsBlackAndPresentsBlack) {
  Frame();  // the window now shows the pitch
  kv::PixelSurface shown = kv::headless::PresentedClient(gWindow);
  ASSERT_EQ(shown.width, 1000);
  ASSERT_EQ(shown.height, 600);
  ASSERT_EQ(At(shown, 500, 10), crafted::PitchPixel(500, 10));

  BackBuffer buffer(gWindow);
  EXPECT_EQ(buffer.width, 1000);
  EXPECT_EQ(buffer.height, 600);
  EXPECT_EQ(buffer.window, gWindow);
  const int64_t presents = kv::headless::PresentCount(gWindow);
  buffer.Present();
  EXPECT_EQ(kv::headless::PresentCount(gWindow), presents + 1);

  shown = kv::headless::PresentedClient(gWindow);
  kv::PixelSurface own = kv::gdi::BitmapPixels(buffer.bitmap);
  ASSERT_EQ(own.width, 1000);
  ASSERT_EQ(own.height, 600);
  int nonBlack = 0;
  for (int y = 0; y < 600; ++y)
    for (int x = 0; x < 1000; ++x) nonBlack += (At(shown, x, y) != 0) + (At(own, x, y) != 0);
  EXPECT_EQ(nonBlack, 0);
}

TEST_F(SpriteDrawTest, BackBuffersLeaveNothingBehind) {
  const int64_t objects = kv::gdi::LiveObjectCount();
  const int64_t dcs = kv::gdi::LiveDCCount();
  for (int i = 0; i < 200; ++i) {
    BackBuffer* buffer = new BackBuffer(gWindow);
    buffer->Present();
    delete buffer;
  }
  EXPECT_EQ(kv::gdi::LiveObjectCount(), objects);
  EXPECT_EQ(kv::gdi::LiveDCCount(), dcs);
}

TEST_F(SpriteDrawTest, PositionTruncatesTowardZeroAndHalvesBySize) {
  struct Case {
    float x, y;
    int left, top;
  };
  const Case cases[] = {
      {15.0f, 15.0f, 0, 0},        // covers 0..29 exactly
      {14.99f, 15.0f, -1, 0},      // first column clipped, not shifted
      {-0.5f, 15.0f, -15, 0},      // -0.5 truncates to 0, not -1
      {15.0f, -0.5f, 0, -15},
      {15.99f, 14.99f, 0, -1},
      {985.0f, 585.0f, 970, 570},  // flush with the bottom-right corner
      {999.9f, 599.9f, 984, 584},  // clipped on the right and at the bottom
  };
  Sprite probe(crafted::TheModule().instance(), Circle(), crafted::kProbe, crafted::kProbeMask,
               Vector2(), Vector2());
  ASSERT_EQ(probe.imageInfo.bmWidth, 30);
  ASSERT_EQ(probe.imageInfo.bmHeight, 30);
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "position (" << c.x << ", " << c.y << ")");
    BackBuffer buffer(gWindow);
    probe.position = Vector2(c.x, c.y);
    probe.Draw(gSpriteDC, buffer.memoryDC);
    ExpectProbeAt(kv::gdi::BitmapPixels(buffer.bitmap), c.left, c.top);
  }
}

TEST_F(SpriteDrawTest, PositionsFarOffThePitchDrawNothing) {
  Sprite probe(crafted::TheModule().instance(), Circle(), crafted::kProbe, crafted::kProbeMask,
               Vector2(), Vector2());
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  const Vector2 positions[] = {{nan, 300.0f}, {300.0f, nan}, {inf, -inf}, {3.0e9f, -3.0e9f}};
  BackBuffer buffer(gWindow);
  for (const Vector2& p : positions) {
    probe.position = p;
    probe.Draw(gSpriteDC, buffer.memoryDC);
  }
  ExpectProbeAt(kv::gdi::BitmapPixels(buffer.bitmap), -1000, -1000);
}

TEST_F(SpriteDrawTest, MaskDecidesPixelByPixel) {
  BackBuffer buffer(gWindow);
  const uint32_t background = 0xA0C060;
  FillSolid(buffer.memoryDC, RGB(0xA0, 0xC0, 0x60));
  Sprite half(crafted::TheModule().instance(), Circle(), crafted::kHalf, crafted::kHalfMask,
              Vector2(15.0f, 15.0f), Vector2());
  half.Draw(gSpriteDC, buffer.memoryDC);

  kv::PixelSurface s = kv::gdi::BitmapPixels(buffer.bitmap);
  // Black mask: the picture exactly. White mask over black picture: the
  // background untouched.
  EXPECT_EQ(At(s, 0, 0), crafted::kHalfColour);
  EXPECT_EQ(At(s, 14, 29), crafted::kHalfColour);
  EXPECT_EQ(At(s, 15, 0), background);
  EXPECT_EQ(At(s, 29, 29), background);
  EXPECT_EQ(At(s, 30, 0), background);
  // A non-black picture pixel under white mask is ORed in and brightens.
  EXPECT_EQ(At(s, 20, 10), background | crafted::kStray);
  // A grey mask pixel is ANDed bit by bit; no blending.
  EXPECT_EQ(At(s, 20, 20), background & crafted::kGrey);

  // The pitch's mask is black everywhere: every pixel becomes the pitch.
  gMatch->pitch->Draw(gSpriteDC, buffer.memoryDC);
  int mismatches = 0;
  for (int y = 0; y < 600; ++y)
    for (int x = 0; x < 1000; ++x) mismatches += At(s, x, y) != crafted::PitchPixel(x, y);
  EXPECT_EQ(mismatches, 0);
}

TEST_F(SpriteDrawTest, SpriteContextGetsItsOwnBitmapBack) {
  Sprite probe(crafted::TheModule().instance(), Circle(), crafted::kProbe, crafted::kProbeMask,
               Vector2(100.0f, 100.0f), Vector2());
  const int64_t objects = kv::gdi::LiveObjectCount();
  const int64_t dcs = kv::gdi::LiveDCCount();
  probe.Draw(gSpriteDC, gBackBuffer->memoryDC);

  // Whatever the sprite context holds now is neither of the sprite's bitmaps.
  HBITMAP scratch = CreateCompatibleBitmap(gBackBuffer->memoryDC, 4, 4);
  HGDIOBJ held = SelectObject(gSpriteDC, scratch);
  EXPECT_NE(held, nullptr);
  EXPECT_NE(held, static_cast<HGDIOBJ>(probe.image));
  EXPECT_NE(held, static_cast<HGDIOBJ>(probe.mask));
  SelectObject(gSpriteDC, held);
  DeleteObject(scratch);
  EXPECT_EQ(kv::gdi::LiveObjectCount(), objects);
  EXPECT_EQ(kv::gdi::LiveDCCount(), dcs);
}

}  // namespace
