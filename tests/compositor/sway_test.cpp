// The game under sway, where the compositor tells more: its log shows the
// pointer lock, grim reads back what the output shows, and the output's
// scale can be set.
#include <gtest/gtest.h>
#include <X11/Xutil.h>

#include <string>

#include "desktops.h"
#include "play_steps.h"

namespace kv_compositor {
namespace {

using kv_e2e::Eventually;
using kv_e2e::Image;

const std::string kHighDpi = "Xft.dpi:\t192\n";

// Whether the picture a scale-2 output shows of a window is the window's
// own picture doubled. Only pixels whose neighbours have the same colour
// are compared: the compositor may smooth the edges between colours.
int PixelsNotDoubled(const Image& window, const Image& shown) {
  if (shown.width != 2 * window.width || shown.height != 2 * window.height)
    return window.width * window.height;
  int wrong = 0;
  for (int y = 1; y + 1 < window.height; ++y)
    for (int x = 1; x + 1 < window.width; ++x) {
      const uint32_t p = window.At(x, y);
      if (window.At(x - 1, y) != p || window.At(x + 1, y) != p || window.At(x, y - 1) != p ||
          window.At(x, y + 1) != p)
        continue;
      wrong += shown.At(2 * x, 2 * y) != p || shown.At(2 * x + 1, 2 * y + 1) != p;
    }
  return wrong;
}

// The window a second program maps: sway gives it the focus.
Window MapOtherWindow(Display* d) {
  Window w = XCreateSimpleWindow(d, DefaultRootWindow(d), 0, 0, 200, 150, 0, 0, 0x808080);
  XStoreName(d, w, "Other");
  XMapRaised(d, w);
  XSync(d, False);
  return w;
}

// The first frame the output shows is the game's own, pixel for pixel.
TEST(SwayXwayland, OpeningFrameIsShownExactly) {
  SwayDesktop desktop;
  ASSERT_TRUE(desktop.Start()) << desktop.error();
  XwaylandGame game;
  ASSERT_TRUE(game.Start(desktop.XEnv())) << game.error();
  ScreenRect r;
  ASSERT_TRUE(game.Geometry(&r));
  EXPECT_EQ(r.width, kPitchWidth);
  const Image own = game.Picture();
  ASSERT_NEAR(LeftPlayerX(own, 1), 150, 3) << "not the opening frame";
  Image shown;
  EXPECT_TRUE(Eventually([&] {
    shown = desktop.Shown(game);
    return PixelsThatDiffer(own, shown) == 0;
  }, kAnswerMs, 100)) << PixelsThatDiffer(own, shown) << " pixels differ";
  KeepOnFailure("own", own);
  KeepOnFailure("shown", shown);
}

// Xwayland keeps the pointer locked only while the game plays: the click
// that starts play takes the lock, and a right click (pause) or another
// window taking the focus lets it go.
TEST(SwayXwayland, PointerLockComesWithPlayAndGoesWithAPauseOrTheFocus) {
  SwayDesktop desktop;
  ASSERT_TRUE(desktop.Start()) << desktop.error();
  XwaylandGame game;
  ASSERT_TRUE(game.Start(desktop.XEnv(), {"--pace", "200"})) << game.error();
  auto locked = [&] { return desktop.PointerLocked(); };
  auto unlocked = [&] { return !desktop.PointerLocked(); };
  auto released = [&] { return !game.probe().PointerGrabbedElsewhere(); };
  ASSERT_FALSE(desktop.PointerLocked());

  ASSERT_TRUE(StartPlay(desktop, game));
  EXPECT_TRUE(Eventually(locked, kAnswerMs, 50)) << "a click on the pitch took no lock";

  ASSERT_TRUE(desktop.Click(kRightButton));
  EXPECT_TRUE(Eventually(unlocked, kAnswerMs, 50)) << "a right click let go of no lock";
  EXPECT_TRUE(Eventually(released, kAnswerMs, 50));

  ASSERT_TRUE(StartPlay(desktop, game));
  EXPECT_TRUE(Eventually(locked, kAnswerMs, 50)) << "a second click took no lock";
  Window other = MapOtherWindow(game.probe().display());
  desktop.sway().Msg({"[title=\"^Other$\"]", "focus"});
  EXPECT_TRUE(Eventually(unlocked, kAnswerMs, 50)) << "the focus went, the lock stayed";
  EXPECT_TRUE(Eventually(released, kAnswerMs, 50));
  XDestroyWindow(game.probe().display(), other);
}

// A desktop at 192 dpi on a scale-2 output: Xwayland's screen is 1280 x 800,
// too small for the game at twice its size, so the game shows itself at its
// own size, wholly on the screen, without a word.
TEST(SwayXwayland, OnAScaleTwoOutputTheWindowFits) {
  SwayDesktop desktop;
  SwayOutput output;
  output.width = 2560;
  output.height = 1600;
  output.scale = 2;
  ASSERT_TRUE(desktop.Start(output)) << desktop.error();
  XwaylandGame game;
  ASSERT_TRUE(game.Start(desktop.XEnv(), {}, kHighDpi)) << game.error();
  int sw = 0, sh = 0;
  game.ScreenSize(&sw, &sh);
  ASSERT_EQ(sw, 1280);
  ASSERT_EQ(sh, 800);
  ScreenRect r;
  ASSERT_TRUE(game.Geometry(&r));
  EXPECT_EQ(r.width, kPitchWidth);
  EXPECT_TRUE(r.Inside(sw, sh)) << r.x << "," << r.y << " " << r.width << "x" << r.height;
  EXPECT_EQ(game.process().Stderr(), "");
  // All of it on the output, each pixel doubled there.
  const Image own = game.Picture();
  Image shown;
  EXPECT_TRUE(Eventually([&] {
    shown = desktop.Shown(game);
    return PixelsNotDoubled(own, shown) == 0;
  }, kAnswerMs, 100)) << PixelsNotDoubled(own, shown) << " pixels are not shown doubled";
  KeepOnFailure("own", own);
  KeepOnFailure("shown", shown);
}

// --scale 2 on a screen too small for it: the game says so, once, and shows
// itself at the largest factor that fits.
TEST(SwayXwayland, AScaleTooLargeForTheScreenIsLoweredWithAWord) {
  SwayDesktop desktop;
  ASSERT_TRUE(desktop.Start()) << desktop.error();
  XwaylandGame game;
  ASSERT_TRUE(game.Start(desktop.XEnv(), {"--scale", "2"})) << game.error();
  int sw = 0, sh = 0;
  game.ScreenSize(&sw, &sh);
  ScreenRect r;
  ASSERT_TRUE(game.Geometry(&r));
  EXPECT_EQ(r.width, kPitchWidth);
  EXPECT_TRUE(r.Inside(sw, sh)) << r.x << "," << r.y << " " << r.width << "x" << r.height;
  const std::string said = game.process().Stderr();
  EXPECT_NE(said.find("--scale 2"), std::string::npos) << said;
  EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
}

}  // namespace
}  // namespace kv_compositor
