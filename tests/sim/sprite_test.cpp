// The match's sprites load their bitmaps from the program's resources and
// give them back when the match goes.
#include <gtest/gtest.h>

#include "platform/gdi/gdi_internal.h"
#include "platform/headless/headless.h"
#include "platform/rt/resources.h"
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

TEST_F(SpriteTest, MissingPicturesGiveEmptyDescriptions) {
  // No module: every load fails, and the sprites draw with zero size.
  gInstance = nullptr;
  const int64_t before = kv::gdi::LiveObjectCount();
  Match* match = new Match(nullptr, Vector2(500.0f, 300.0f));
  for (const Sprite* s : {match->pitch, match->ball, match->human, match->computer}) {
    EXPECT_EQ(s->image, nullptr);
    EXPECT_EQ(s->mask, nullptr);
    EXPECT_EQ(s->imageInfo.bmWidth, 0);
    EXPECT_EQ(s->imageInfo.bmHeight, 0);
    EXPECT_EQ(s->imageInfo.bmBits, nullptr);
    EXPECT_EQ(s->maskInfo.bmWidth, 0);
    EXPECT_EQ(s->maskInfo.bmHeight, 0);
  }
  // The rest of the match is built as usual.
  EXPECT_EQ(match->ball->circle.radius, 25.0f);
  delete match;
  EXPECT_EQ(kv::gdi::LiveObjectCount(), before);
}

}  // namespace
