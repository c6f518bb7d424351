// The score lines in the System font keep inside the pitch's markings: the
// right one ends before the right goal line (column 956) even at two digits.
#include <gtest/gtest.h>

#include <string>

#include "render/scene.h"
#include "tests/render/headless_game.h"
#include "tests/render/text_probe.h"

namespace {

class ScoreMetricsTest : public crafted::HeadlessGame {};

TEST_F(ScoreMetricsTest, TwoDigitScoresStayBetweenTheGoalLines) {
  // The pitch alone, to tell the text's pixels from it.
  std::vector<uint32_t> pitch;
  {
    BackBuffer plain(gWindow);
    gMatch->pitch->Draw(gSpriteDC, plain.memoryDC);
    pitch = crafted::Snapshot(kv::gdi::BitmapPixels(plain.bitmap));
  }
  gMatch->leftScore = 99;
  gMatch->rightScore = 99;
  DrawScene(gBackBuffer->memoryDC);

  SIZE right{}, left{};
  ASSERT_TRUE(GetTextExtentPoint32W(gBackBuffer->memoryDC, L"Right Player Score: 99", 22, &right));
  ASSERT_TRUE(GetTextExtentPoint32W(gBackBuffer->memoryDC, L"Left Player Score: 99", 21, &left));
  // The interface's System font: a 16-pixel cell, about 154 pixels for the
  // right line.
  EXPECT_EQ(right.cy, 16);
  EXPECT_GE(right.cx, 140);
  EXPECT_LT(800 + right.cx, 956);
  EXPECT_LT(left.cx, right.cx);

  const crafted::Box r = crafted::ChangedBox(Buffer(), pitch, 0xFFFFFF, 500, 0, 1000, 100);
  const crafted::Box l = crafted::ChangedBox(Buffer(), pitch, 0xFFFFFF, 0, 0, 500, 100);
  ASSERT_FALSE(r.empty());
  ASSERT_FALSE(l.empty());
  EXPECT_LT(r.maxX, 956) << "the right score line crosses the goal line";
  EXPECT_GE(r.minX, 800);
  EXPECT_GE(l.minX, 60);
  EXPECT_LE(l.minX, 61);
  EXPECT_LT(l.maxX, 499) << "the left score line reaches the halfway line";
}

// The System face draws the characters asked for: a hyphen is a flat bar
// and a vertical bar a tall thin one, whatever the face's design. A face
// whose character map is not in force draws other glyphs for the same codes.
TEST_F(ScoreMetricsTest, SystemFontDrawsTheCharactersAskedFor) {
  std::vector<uint32_t> pitch;
  {
    BackBuffer plain(gWindow);
    gMatch->pitch->Draw(gSpriteDC, plain.memoryDC);
    pitch = crafted::Snapshot(kv::gdi::BitmapPixels(plain.bitmap));
  }
  const HDC dc = gBackBuffer->memoryDC;
  const HGDIOBJ previous = SelectObject(dc, GetStockObject(SYSTEM_FONT));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(255, 255, 255));
  auto drawn = [&](const wchar_t* text) {
    gMatch->pitch->Draw(gSpriteDC, dc);
    EXPECT_TRUE(TextOutW(dc, 300, 200, text, 1));
    return crafted::ChangedBox(Buffer(), pitch, 0xFFFFFF, 280, 180, 340, 240);
  };
  const crafted::Box hyphen = drawn(L"-");
  ASSERT_FALSE(hyphen.empty());
  EXPECT_GE(hyphen.maxX - hyphen.minX + 1, 3);
  EXPECT_LE(hyphen.maxY - hyphen.minY + 1, 2) << "'-' is not a flat bar";
  const crafted::Box bar = drawn(L"|");
  ASSERT_FALSE(bar.empty());
  EXPECT_LE(bar.maxX - bar.minX + 1, 2) << "'|' is not a thin bar";
  EXPECT_GE(bar.maxY - bar.minY + 1, 8);
  SelectObject(dc, previous);
}

}  // namespace
