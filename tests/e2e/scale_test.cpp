// The program on a high-DPI desktop: every window at the factor the
// desktop's Xft.dpi asks for (or --scale gives), pixel for pixel, with the
// game's own coordinates unchanged.
#include <gtest/gtest.h>
// After gtest, whose own None the X headers' macro would break.
#include <X11/Xlib.h>

#include <algorithm>
#include <string>
#include <vector>

#include "game_session.h"
#include "pitch_picture.h"

namespace {

using kv_e2e::Eventually;
using kv_e2e::GameSession;
using kv_e2e::Image;
using kv_e2e::LeftPlayerX;

constexpr int kAnswerMs = 15000;
constexpr int kW = GameSession::kClientWidth, kH = GameSession::kClientHeight;
const std::string kHighDpi = "Xft.dpi:\t192\n";

// Room for a window twice the size, so that all of it can be read back.
bool StartScaled(GameSession& s, const std::vector<std::string>& args, const std::string& res) {
  s.SetScreenSize(3000, 2000);
  return s.Start(args, res);
}

Image WindowPicture(GameSession& s) {
  return s.probe().CaptureSettled(s.window(), s.windowInfo().width, s.windowInfo().height,
                                  kAnswerMs);
}

// Every pixel of `big` is the pixel of `small` it covers.
int PixelsNotScaled(const Image& small, const Image& big, int scale) {
  int wrong = 0;
  for (int y = 0; y < big.height; ++y)
    for (int x = 0; x < big.width; ++x) wrong += big.At(x, y) != small.At(x / scale, y / scale);
  return wrong;
}

TEST(HighDpi, DesktopAt192DpiShowsTheOpeningFrameTwiceAsLarge) {
  Image plain;
  {
    GameSession s;
    ASSERT_TRUE(StartScaled(s, {}, "")) << s.error();
    EXPECT_EQ(s.windowInfo().width, kW);
    plain = WindowPicture(s);
    ASSERT_FALSE(plain.pixels.empty());
  }
  GameSession s;
  ASSERT_TRUE(StartScaled(s, {}, kHighDpi)) << s.error();
  ASSERT_EQ(s.windowInfo().width, 2 * plain.width);
  ASSERT_EQ(s.windowInfo().height, 2 * plain.height);
  const Image big = WindowPicture(s);
  ASSERT_EQ(big.width, 2 * plain.width);
  EXPECT_EQ(PixelsNotScaled(plain, big, 2), 0);
}

// 120 pixels of real motion are 60 of the game's: the pointer's place within
// a game pixel is kept from one reading to the next, not lost at each warp.
TEST(HighDpi, PointerMotionIsHalvedAndNothingLost) {
  GameSession s;
  ASSERT_TRUE(StartScaled(s, {}, kHighDpi)) << s.error();
  const int left = s.windowInfo().x;
  const int top = s.windowInfo().y + s.windowInfo().height - 2 * kH;
  Image shot = WindowPicture(s);
  ASSERT_FALSE(shot.pixels.empty());
  const double before = LeftPlayerX(shot, 2);
  ASSERT_NEAR(before, 150, 15);
  ASSERT_TRUE(s.Xdotool({"mousemove", std::to_string(left + 1200), std::to_string(top + 900),
                         "click", "1"}));
  ASSERT_TRUE(Eventually([&] { return s.probe().PointerGrabbedElsewhere(); }, kAnswerMs));
  int px = 0, py = 0;
  s.probe().PointerPosition(&px, &py);
  // Onto the player, at its place doubled.
  EXPECT_NEAR(px, left + 2 * 150, 4);
  EXPECT_NEAR(py, top + 2 * 300, 4);
  // Move to a place, not by an amount, until the game has taken it in (it
  // puts the pointer back on the player every frame).
  const std::string targetX = std::to_string(px + 120), targetY = std::to_string(py);
  double after = -1;
  EXPECT_TRUE(Eventually([&] {
    if (!s.Xdotool({"mousemove", targetX, targetY})) return false;
    shot = s.probe().Capture(s.window(), 0, 0, s.windowInfo().width, s.windowInfo().height);
    after = shot.pixels.empty() ? -1 : LeftPlayerX(shot, 2);
    return after > before + 40;
  }, kAnswerMs, 200)) << "the player stayed near x " << before << " (now " << after << ")";
  EXPECT_NEAR(after - before, 60, 8);
}

TEST(HighDpi, ScaleOneOverridesTheDesktop) {
  GameSession s;
  ASSERT_TRUE(StartScaled(s, {"--scale", "1"}, kHighDpi)) << s.error();
  EXPECT_EQ(s.windowInfo().width, kW);
}

TEST(HighDpi, ScaleTwoWithoutADesktopSetting) {
  GameSession s;
  ASSERT_TRUE(StartScaled(s, {"--scale=2"}, "")) << s.error();
  EXPECT_EQ(s.windowInfo().width, 2 * kW);
  EXPECT_GT(s.windowInfo().height, 2 * kH);
}

// A factor whose window the screen cannot hold is lowered to the largest
// that fits: the desktop's without a word, a given one with one line.
TEST(HighDpi, AScaleTooLargeForTheScreenIsLowered) {
  struct Case {
    int screenWidth, screenHeight;
    std::vector<std::string> args;
    std::string resources;
    int factor;            // what the window is shown at
    const char* said;      // in the one line on standard error, or null for none
  };
  const Case cases[] = {
      {1920, 1080, {}, kHighDpi, 1, nullptr},
      {1920, 1080, {"--scale", "2"}, "", 1, "--scale 2"},
      {2500, 1600, {"--scale", "3"}, "", 2, "showing it at 2"},
      {2000, 1240, {"--scale", "2"}, "", 2, nullptr},  // exactly fits
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.screenWidth << "x" << c.screenHeight << " "
                                    << (c.args.empty() ? "Xft.dpi 192" : c.args[1]));
    GameSession s;
    s.SetScreenSize(c.screenWidth, c.screenHeight);
    ASSERT_TRUE(s.Start(c.args, c.resources)) << s.error();
    EXPECT_EQ(s.windowInfo().width, c.factor * kW);
    const std::string said = s.game().Stderr();
    if (c.said) {
      EXPECT_NE(said.find(c.said), std::string::npos) << said;
      EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
    } else {
      EXPECT_EQ(said, "");
    }
  }
}

TEST(HighDpi, BadScaleIsRefusedBeforeAnyWindow) {
  for (const char* bad : {"0", "5", "two"}) {
    kv_e2e::Process game;
    ASSERT_TRUE(game.Start({kv_e2e::KelvaraPath(), "--scale", bad}));
    std::optional<int> code = game.Wait(kAnswerMs);
    ASSERT_TRUE(code.has_value()) << bad;
    EXPECT_EQ(*code, 2) << bad;
    EXPECT_NE(game.Stderr().find("for --scale: a whole number from 1 to 4"), std::string::npos)
        << bad;
  }
}

}  // namespace
