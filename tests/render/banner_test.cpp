// The verdict at the end of a match, drawn over the last scene.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cwchar>

#include "render/banner.h"
#include "tests/render/headless_game.h"
#include "tests/render/text_probe.h"

namespace {

using crafted::At;

constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kRed = 0xFF0000;   // 0x00RRGGBB
constexpr uint32_t kBlue = 0x0000FF;

class BannerTest : public crafted::HeadlessGame {
 protected:
  // Plays a match with the given score to its end. Leaves the last scene in
  // `lastScene_` and the frame with the verdict in the back buffer.
  void PlayToEnd(int32_t left, int32_t right) {
    gMatch->leftScore = left;
    gMatch->rightScore = right;
    Frame();
    ClickLeft();
    Frame(44998);  // the last scene
    ASSERT_FALSE(gMatch->stopped);
    lastScene_ = crafted::Snapshot(Buffer());
    Frame(2);
    ASSERT_TRUE(gMatch->stopped);
  }

  // The verdict's text cell, measured in its own font.
  static SIZE VerdictExtent(const wchar_t* text) {
    HDC dc = CreateCompatibleDC(nullptr);
    HFONT font = CreateFontW(48, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                             CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, VARIABLE_PITCH, L"Arial");
    HGDIOBJ old = SelectObject(dc, font);
    SIZE extent = {};
    GetTextExtentPoint32W(dc, text, static_cast<int>(wcslen(text)), &extent);
    SelectObject(dc, old);
    DeleteObject(font);
    DeleteDC(dc);
    return extent;
  }

  // The verdict's pixels: centred on x 500, top at row 50, in its colour.
  void ExpectVerdict(const wchar_t* text, uint32_t colour) {
    EXPECT_STREQ(gBannerText, text);
    const SIZE extent = VerdictExtent(text);
    ASSERT_GT(extent.cx, 100);
    ASSERT_GT(extent.cy, 30);
    // The trophy's rectangle is left out; rows above 150 hold only the text.
    const crafted::Box box = crafted::ChangedBox(Buffer(), lastScene_, colour, 0, 0, 1000, 151);
    ASSERT_FALSE(box.empty());
    EXPECT_GT(box.exact, 20);
    EXPECT_EQ(box.wrongHue, 0);
    EXPECT_GE(box.minY, 50);
    EXPECT_LT(box.minY, 50 + extent.cy / 3);
    EXPECT_LT(box.maxY, 50 + extent.cy);
    EXPECT_LE(std::abs((box.minX + box.maxX + 1) / 2 - 500), 3);
    EXPECT_GE(box.minX, 500 - extent.cx / 2 - 1);
    EXPECT_LE(box.maxX, 500 + extent.cx / 2 + 1);
    // Nothing changed under the verdict's rows but the text.
    const crafted::Box rest = crafted::ChangedBox(Buffer(), lastScene_, colour, 0, 50 + extent.cy, 1000, 151);
    EXPECT_TRUE(rest.empty());
  }

  // Trophy pixels in its 111 x 299 rectangle at (445, 151), and around it.
  int TrophyPixels() const {
    kv::PixelSurface s = Buffer();
    int n = 0;
    for (int y = 151; y < 450; ++y)
      for (int x = 445; x < 556; ++x) n += At(s, x, y) == crafted::kTrophy;
    return n;
  }
  int ChangedOutsideTrophy() const {
    kv::PixelSurface s = Buffer();
    int n = 0;
    for (int y = 150; y < 600; ++y)
      for (int x = 0; x < 1000; ++x) {
        const bool trophy = x >= 445 && x < 556 && y >= 151 && y < 450;
        n += !trophy && At(s, x, y) != lastScene_[static_cast<size_t>(y) * 1000 + static_cast<size_t>(x)];
      }
    return n;
  }

  std::vector<uint32_t> lastScene_;
};

TEST_F(BannerTest, TieIsWhiteWithoutTrophy) {
  PlayToEnd(0, 0);
  ExpectVerdict(L"TOO BAD, A TIE ...", kWhite);
  EXPECT_EQ(TrophyPixels(), 0);
  EXPECT_EQ(ChangedOutsideTrophy(), 0);
  EXPECT_EQ(At(Buffer(), 500, 300), crafted::kBall);  // the last scene stays under it
}

TEST_F(BannerTest, LossIsRedWithoutTrophy) {
  PlayToEnd(1, 2);
  ExpectVerdict(L"SORRY, MAYBE NEXT TIME ...", kRed);
  EXPECT_EQ(TrophyPixels(), 0);
  EXPECT_EQ(ChangedOutsideTrophy(), 0);
}

TEST_F(BannerTest, WinIsBlueWithTrophy) {
  PlayToEnd(3, 1);
  ExpectVerdict(L"CONGRATULATIONS !!!", kBlue);
  EXPECT_EQ(TrophyPixels(), 111 * 299);
  EXPECT_EQ(ChangedOutsideTrophy(), 0);
  // The window shows the same.
  kv::PixelSurface shown = kv::headless::PresentedClient(gWindow);
  EXPECT_EQ(At(shown, 445, 151), crafted::kTrophy);
  EXPECT_EQ(At(shown, 555, 449), crafted::kTrophy);
  EXPECT_EQ(At(shown, 444, 151), At(Buffer(), 444, 151));
  EXPECT_NE(At(shown, 444, 151), crafted::kTrophy);
  EXPECT_NE(At(shown, 445, 150), crafted::kTrophy);
  EXPECT_NE(At(shown, 556, 449), crafted::kTrophy);
  EXPECT_NE(At(shown, 555, 450), crafted::kTrophy);
}

TEST_F(BannerTest, ContextKeepsColourAndFont) {
  PlayToEnd(2, 0);
  HDC dc = gBackBuffer->memoryDC;
  EXPECT_EQ(GetTextColor(dc), RGB(0, 0, 0));
  EXPECT_EQ(GetBkMode(dc), TRANSPARENT);
  EXPECT_EQ(GetTextAlign(dc), static_cast<UINT>(TA_CENTER));
  // The font in the context is the one a fresh context starts with.
  HDC fresh = CreateCompatibleDC(nullptr);
  HGDIOBJ freshFont = SelectObject(fresh, GetStockObject(SYSTEM_FONT));
  HGDIOBJ heldFont = SelectObject(dc, GetStockObject(SYSTEM_FONT));
  EXPECT_EQ(heldFont, freshFont);
  SelectObject(dc, heldFont);
  DeleteDC(fresh);
}

TEST_F(BannerTest, LongVerdictLeavesNothingBehind) {
  PlayToEnd(3, 1);
  const int64_t objects = kv::gdi::LiveObjectCount();
  const int64_t dcs = kv::gdi::LiveDCCount();
  for (int i = 1; i < 10000; ++i) Frame(1);
  const std::vector<uint32_t> settled = crafted::Snapshot(Buffer());
  Frame(1);
  EXPECT_EQ(kv::gdi::LiveObjectCount(), objects);
  EXPECT_EQ(kv::gdi::LiveDCCount(), dcs);
  EXPECT_TRUE(gMatch->stopped);
  // Drawn again and again at the same place. The smoothed rims of the
  // letters blend over themselves and settle after a few frames; nothing
  // else moves.
  EXPECT_TRUE(crafted::Snapshot(Buffer()) == settled);
  EXPECT_EQ(TrophyPixels(), 111 * 299);
  EXPECT_EQ(ChangedOutsideTrophy(), 0);
  ExpectVerdict(L"CONGRATULATIONS !!!", kBlue);
}

TEST_F(BannerTest, NewGameAfterVerdictStartsClean) {
  Frame();
  const std::vector<uint32_t> opening = crafted::Snapshot(Buffer());
  const int64_t objects = kv::gdi::LiveObjectCount();
  const int64_t dcs = kv::gdi::LiveDCCount();
  for (int round = 0; round < 20; ++round) {
    PlayToEnd(round % 3, 1);
    Command(IDM_NEW_GAME);
    Frame();
    // Left-aligned score lines in the default font again, on a fresh buffer.
    EXPECT_TRUE(crafted::Snapshot(Buffer()) == opening) << "round " << round;
  }
  EXPECT_EQ(kv::gdi::LiveObjectCount(), objects);
  EXPECT_EQ(kv::gdi::LiveDCCount(), dcs);
}

}  // namespace
