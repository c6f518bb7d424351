// The game under each compositor, played with the mouse as a person plays
// it: the compositor's own relative motion, fractions and all. Each scenario
// is written once for any desktop of desktops.h.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "desktops.h"
#include "play_steps.h"

namespace kv_compositor {
namespace {

using kv_e2e::Eventually;

// A mouse reports at 125 Hz; the game draws faster, so a warp comes between
// most reports, as on a desktop.
constexpr int kReportMs = 8;

// Slow motion is as fractional as a compositor makes it; whatever the
// fractions, the player moves by their sum (to the pixel), in every
// direction.
template <typename Desktop>
void SlowMotionMovesThePlayerByItsWholeSum() {
  Desktop desktop;
  ASSERT_TRUE(desktop.Start()) << desktop.error();
  XwaylandGame game;
  // Paced, so that the computer does not score (and reset the player)
  // while the mouse is still moving.
  ASSERT_TRUE(game.Start(desktop.XEnv(), {"--pace", "200"})) << game.error();
  ASSERT_TRUE(StartPlay(desktop, game));
  kv_e2e::Image shown = desktop.Shown(game);
  double x = LeftPlayerX(shown, 1);
  ASSERT_NEAR(x, 150, 3) << "the player is not at its spot";

  struct Phase {
    double step;
    int count;
  };
  for (const Phase& phase : {Phase{+0.5, 100}, Phase{-0.5, 100}, Phase{+1.5, 50}}) {
    for (int i = 0; i < phase.count; ++i) {
      ASSERT_TRUE(desktop.Move(phase.step, 0));
      kv_e2e::SleepMs(kReportMs);
    }
    const double expected = x + phase.step * phase.count;
    double seen = -1;
    EXPECT_TRUE(Eventually([&] {
      shown = desktop.Shown(game);
      seen = LeftPlayerX(shown, 1);
      return std::fabs(seen - expected) <= 1;
    }, kAnswerMs, 50)) << phase.count << " moves of " << phase.step << " moved the player by "
                       << seen - x << ", not " << expected - x;
    KeepOnFailure("after-" + std::to_string(phase.step), shown);
    x = seen;
  }
}

// File, Exit with the mouse: the program ends with 0.
template <typename Desktop>
void FileExitEndsWithZero() {
  Desktop desktop;
  ASSERT_TRUE(desktop.Start()) << desktop.error();
  XwaylandGame game;
  ASSERT_TRUE(game.Start(desktop.XEnv())) << game.error();
  ScreenRect r;
  ASSERT_TRUE(game.Geometry(&r));
  const int menuBar = r.height - kPitchHeight;
  ASSERT_GT(menuBar, 10);
  ASSERT_TRUE(desktop.PointAt(r.x + 15, r.y + menuBar / 2));
  ASSERT_TRUE(desktop.Click(kLeftButton));
  std::optional<kv_e2e::TopWindow> menu;
  ASSERT_TRUE(Eventually([&] { return (menu = DropDown(game, r)).has_value(); }, kAnswerMs, 50))
      << "File did not open";
  // Exit is the lower of the two items.
  ASSERT_TRUE(desktop.PointAt(menu->x + menu->width / 2, menu->y + menu->height * 3 / 4));
  ASSERT_TRUE(desktop.Click(kLeftButton));
  std::optional<int> code = game.process().Wait(kAnswerMs);
  ASSERT_TRUE(code.has_value()) << "the game is still running";
  EXPECT_EQ(*code, 0) << game.process().Stderr();
}

TEST(SwayPlay, SlowMotionMovesThePlayerByItsWholeSum) {
  SlowMotionMovesThePlayerByItsWholeSum<SwayDesktop>();
}
TEST(MutterPlay, SlowMotionMovesThePlayerByItsWholeSum) {
  SlowMotionMovesThePlayerByItsWholeSum<MutterDesktop>();
}
TEST(SwayPlay, FileExitEndsWithZero) { FileExitEndsWithZero<SwayDesktop>(); }
TEST(MutterPlay, FileExitEndsWithZero) { FileExitEndsWithZero<MutterDesktop>(); }

}  // namespace
}  // namespace kv_compositor
