// A whole frame of a match: the four sprites in their order and the two
// white score lines.
#include <gtest/gtest.h>

#include <climits>
#include <cwchar>
#include <string>

#include "render/scene.h"
#include "tests/render/headless_game.h"
#include "tests/render/text_probe.h"

namespace {

using crafted::At;

class SceneTest : public crafted::HeadlessGame {
 protected:
  // The pitch alone, as the scene draws it before anything else.
  static std::vector<uint32_t> PitchOnly() {
    BackBuffer plain(gWindow);
    gMatch->pitch->Draw(gSpriteDC, plain.memoryDC);
    return crafted::Snapshot(kv::gdi::BitmapPixels(plain.bitmap));
  }

  // The two score lines drawn straight from literal texts over the pitch:
  // what the scene's top rows must look like.
  static std::vector<uint32_t> ExpectedTop(const wchar_t* left, const wchar_t* right) {
    BackBuffer plain(gWindow);
    gMatch->pitch->Draw(gSpriteDC, plain.memoryDC);
    SetBkMode(plain.memoryDC, TRANSPARENT);
    SetTextColor(plain.memoryDC, RGB(255, 255, 255));
    TextOutW(plain.memoryDC, 60, 25, left, static_cast<int>(wcslen(left)));
    TextOutW(plain.memoryDC, 800, 25, right, static_cast<int>(wcslen(right)));
    return crafted::Snapshot(kv::gdi::BitmapPixels(plain.bitmap));
  }

  // Rows 0 to 99 of the back buffer against `expected`.
  static int TopRowsMismatches(const std::vector<uint32_t>& expected) {
    kv::PixelSurface s = Buffer();
    int mismatches = 0;
    for (int y = 0; y < 100; ++y)
      for (int x = 0; x < 1000; ++x) mismatches += At(s, x, y) != expected[y * 1000 + x];
    return mismatches;
  }
};

TEST_F(SceneTest, SpritesInOrderAndTextOnTop) {
  gMatch->human->position = Vector2(140.0f, 70.0f);     // x 100..179, y 10..129
  gMatch->computer->position = Vector2(200.0f, 100.0f);  // x 160..239, y 40..159
  gMatch->ball->position = Vector2(170.0f, 100.0f);      // x 155..184, y 85..114
  DrawScene(gBackBuffer->memoryDC);

  kv::PixelSurface s = Buffer();
  EXPECT_EQ(At(s, 120, 120), crafted::kHuman);
  EXPECT_EQ(At(s, 170, 60), crafted::kComputer);  // the right player over the left
  EXPECT_EQ(At(s, 170, 100), crafted::kBall);     // the ball over both
  EXPECT_EQ(At(s, 230, 150), crafted::kComputer);
  EXPECT_EQ(At(s, 500, 500), crafted::PitchPixel(500, 500));
  EXPECT_EQ(At(s, 0, 0), crafted::PitchPixel(0, 0));
  EXPECT_EQ(At(s, 999, 599), crafted::PitchPixel(999, 599));

  // Where the left line crosses the left player, the text lies over it.
  int whiteOnPlayer = 0;
  for (int y = 25; y < 45; ++y)
    for (int x = 100; x < 160; ++x) whiteOnPlayer += At(s, x, y) == 0xFFFFFFu;
  EXPECT_GT(whiteOnPlayer, 0);
}

TEST_F(SceneTest, ScoreLinesAreWhiteAtTheirCorners) {
  const std::vector<uint32_t> pitch = PitchOnly();
  DrawScene(gBackBuffer->memoryDC);
  kv::PixelSurface s = Buffer();

  struct Line {
    const wchar_t* text;
    int x;
  };
  for (const Line& line : {Line{L"Left Player Score: 0", 60}, Line{L"Right Player Score: 0", 800}}) {
    SCOPED_TRACE(std::string(line.x == 60 ? "left" : "right") + " line");
    SIZE extent = {};
    ASSERT_TRUE(GetTextExtentPoint32W(gBackBuffer->memoryDC, line.text,
                                      static_cast<int>(wcslen(line.text)), &extent));
    ASSERT_GT(extent.cx, 0);
    ASSERT_GT(extent.cy, 0);
    const int half = line.x == 60 ? 0 : 500;
    const crafted::Box box = crafted::ChangedBox(s, pitch, 0xFFFFFF, half, 0, half + 500, 100);
    ASSERT_FALSE(box.empty());
    EXPECT_GT(box.exact, 0);
    EXPECT_EQ(box.wrongHue, 0);
    // Everything lies in the text's cell, which starts at the given corner.
    EXPECT_GE(box.minX, line.x);
    EXPECT_LE(box.minX, line.x + 3);
    EXPECT_GE(box.minY, 25);
    EXPECT_LT(box.minY, 25 + extent.cy / 2);
    EXPECT_LT(box.maxX, std::min(1000, line.x + static_cast<int>(extent.cx) + 1));
    EXPECT_LT(box.maxY, 25 + extent.cy);
  }
  // Only the text colour was borrowed.
  EXPECT_EQ(GetTextColor(gBackBuffer->memoryDC), RGB(0, 0, 0));
  EXPECT_EQ(GetBkMode(gBackBuffer->memoryDC), TRANSPARENT);
  EXPECT_EQ(GetTextAlign(gBackBuffer->memoryDC), static_cast<UINT>(TA_LEFT | TA_TOP));
}

TEST_F(SceneTest, GoalsRaiseTheRightLine) {
  const std::vector<uint32_t> nil = ExpectedTop(L"Left Player Score: 0", L"Right Player Score: 0");
  Frame();
  EXPECT_EQ(TopRowsMismatches(nil), 0);

  // The left player scores in the right goal box.
  ClickLeft();
  gMatch->ball->circle = Circle(930.0f, 300.0f, 25.0f);
  gMatch->ball->position = Vector2(930.0f, 300.0f);
  Frame();
  ASSERT_EQ(gMatch->leftScore, 1);
  ASSERT_EQ(gMatch->rightScore, 0);
  EXPECT_EQ(TopRowsMismatches(ExpectedTop(L"Left Player Score: 1", L"Right Player Score: 0")), 0);

  // The computer scores twice in the left one.
  for (int goal = 0; goal < 2; ++goal) {
    ClickLeft();
    gMatch->ball->circle = Circle(70.0f, 300.0f, 25.0f);
    gMatch->ball->position = Vector2(70.0f, 300.0f);
    Frame();
  }
  ASSERT_EQ(gMatch->rightScore, 2);
  EXPECT_EQ(TopRowsMismatches(ExpectedTop(L"Left Player Score: 1", L"Right Player Score: 2")), 0);
  EXPECT_STREQ(gScoreText, L"Right Player Score: 2");

  // Stopped after the goal: later frames draw the same scene again.
  const std::vector<uint32_t> settled = crafted::Snapshot(Buffer());
  Frame(1500);
  EXPECT_EQ(crafted::Snapshot(Buffer()), settled);
}

TEST_F(SceneTest, OverlongScoreIsCutNotLost) {
  gMatch->leftScore = INT_MIN;
  gMatch->rightScore = INT_MIN;
  const std::vector<uint32_t> pitch = PitchOnly();
  DrawScene(gBackBuffer->memoryDC);
  // Cut to the buffer's 29 characters, and still drawn.
  EXPECT_STREQ(gScoreText, L"Right Player Score: -21474836");
  const crafted::Box right = crafted::ChangedBox(Buffer(), pitch, 0xFFFFFF, 500, 0, 1000, 100);
  const crafted::Box left = crafted::ChangedBox(Buffer(), pitch, 0xFFFFFF, 0, 0, 500, 100);
  EXPECT_FALSE(right.empty());
  EXPECT_FALSE(left.empty());
  EXPECT_GE(right.minX, 800);
}

}  // namespace
