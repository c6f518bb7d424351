// The match's sprites load their bitmaps from the program's resources and
// give them back when the match goes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <new>

#include "platform/gdi/gdi_internal.h"
#include "platform/headless/headless.h"
#include "platform/rt/resources.h"
#include "res/resource.h"
#include "sim/match.h"
#include "state/globals.h"

namespace {

class SpriteTest : public testing::Test {
 protected:
  void SetUp() override { kv::headless::Install(); }
  void TearDown() override {
    gInstance = nullptr;
    kv::headless::Uninstall();
  }
};

void ExpectSize(const Sprite* s, LONG width, LONG height) {
  ASSERT_NE(s->image, nullptr);
  ASSERT_NE(s->mask, nullptr);
  EXPECT_NE(s->image, s->mask);
  EXPECT_EQ(s->imageInfo.bmWidth, width);
  EXPECT_EQ(s->imageInfo.bmHeight, height);
  EXPECT_EQ(s->maskInfo.bmWidth, width);
  EXPECT_EQ(s->maskInfo.bmHeight, height);
}

TEST_F(SpriteTest, MatchLoadsItsPicturesAndReleasesThemAll) {
  gInstance = kv::rt::ProgramInstance();
  const int64_t before = kv::gdi::LiveObjectCount();
  Match* match = new Match(nullptr, Vector2(500.0f, 300.0f));
  EXPECT_EQ(match->instance, gInstance);
  EXPECT_EQ(match->ball->instance, gInstance);
  ExpectSize(match->pitch, 1000, 600);
  ExpectSize(match->ball, 30, 30);
  ExpectSize(match->human, 80, 120);
  ExpectSize(match->computer, 80, 120);
  EXPECT_EQ(kv::gdi::LiveObjectCount(), before + 8);
  delete match;
  EXPECT_EQ(kv::gdi::LiveObjectCount(), before);
}

TEST_F(SpriteTest, MissingPicturesDrawNothingAndLeaveNoGarbage) {
  // No module: both loads fail and the platform writes no description. The
  // sprite is built over memory full of garbage, as a heap block may be, so
  // only the sprite's own clearing can give empty descriptions.
  gInstance = nullptr;
  const int64_t before = kv::gdi::LiveObjectCount();
  alignas(Sprite) unsigned char storage[sizeof(Sprite)];
  std::memset(storage, 0xA5, sizeof storage);
  Sprite* s = new (storage) Sprite(nullptr, Circle(20.0f, 20.0f, 25.0f), IDB_BALL, IDB_BALL_MASK,
                                   Vector2(20.0f, 20.0f), Vector2(0.0f, 0.0f));
  static const BITMAP empty = {};  // static: its padding is zero as well
  EXPECT_EQ(s->image, nullptr);
  EXPECT_EQ(s->mask, nullptr);
  EXPECT_EQ(std::memcmp(&s->imageInfo, &empty, sizeof empty), 0);
  EXPECT_EQ(std::memcmp(&s->maskInfo, &empty, sizeof empty), 0);

  // Drawn with zero size: the target keeps every pixel.
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = 40;
  info.bmiHeader.biHeight = -40;  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP pixels = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  ASSERT_NE(pixels, nullptr);
  uint32_t* p = static_cast<uint32_t*>(bits);
  std::fill(p, p + 40 * 40, 0x00FFFFFFu);
  HDC target = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(target, pixels);
  HDC spriteDC = CreateCompatibleDC(nullptr);
  s->Draw(spriteDC, target);
  EXPECT_EQ(std::count(p, p + 40 * 40, 0x00FFFFFFu), 40 * 40);
  DeleteDC(spriteDC);
  SelectObject(target, old);
  DeleteObject(pixels);
  DeleteDC(target);

  s->~Sprite();
  EXPECT_EQ(kv::gdi::LiveObjectCount(), before);
}

}  // namespace
