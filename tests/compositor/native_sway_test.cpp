// The game as a native Wayland client of sway: the compositor draws its
// frame, grim reads back what the output shows, and the outputs' scales
// can be changed under it.
#include <gtest/gtest.h>
#include <linux/input-event-codes.h>

#include <X11/Xlib.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <optional>
#include <regex>
#include <string>

#include "desktops.h"
#include "native_game.h"
#include "native_scenarios.h"
#include "native_steps.h"
#include "play_steps.h"

namespace kv_compositor {
namespace {

using kv_e2e::Eventually;
using kv_e2e::Image;

constexpr char kTitle[] = "Kelvara";

// What the game asked of the compositor, from libwayland's own log of its
// requests (WAYLAND_DEBUG): whether one line holds every one of `parts`.
bool Asked(const std::string& log, std::initializer_list<const char*> parts) {
  size_t start = 0;
  while (start < log.size()) {
    size_t end = log.find('\n', start);
    if (end == std::string::npos) end = log.size();
    const std::string line = log.substr(start, end - start);
    bool all = line.find(" -> ") != std::string::npos;
    for (const char* part : parts) all = all && line.find(part) != std::string::npos;
    if (all) return true;
    start = end + 1;
  }
  return false;
}

bool WaitForWindow(SwayDesktop& desktop, ScreenRect* r) {
  return Eventually([&] { return desktop.FindWindow(kTitle, r); }, kAnswerMs, 50);
}

// The first frame is shown exactly as drawn; at output scale 2 each of its
// pixels is a crisp 2 x 2 block, drawn so by the game into a buffer of
// scale 2 (a compositor that enlarges a buffer of scale 1 blurs it with its
// GL renderer, though sway's software one here would not); moved to an
// output of scale 1, it is drawn at 1 again. The window is sway's own
// (xdg-shell), named for the program.
TEST(SwayNative, OpeningFrameIsExactAndCrispAtEveryScale) {
  const Image frame = OpeningFrame();
  ASSERT_EQ(frame.width, kPitchWidth);
  SwayDesktop desktop;
  ASSERT_TRUE(desktop.Start()) << desktop.error();
  kv_e2e::Process game;
  kv_e2e::EnvChanges env = desktop.WaylandEnv();
  env["WAYLAND_DEBUG"] = "client";
  ASSERT_TRUE(StartNativeGame(&game, env));
  ScreenRect r;
  ASSERT_TRUE(WaitForWindow(desktop, &r)) << game.Stderr();
  EXPECT_EQ(r.width, frame.width);
  EXPECT_EQ(r.height, frame.height);
  bool named = false;
  for (const SwayView& v : desktop.sway().Views())
    named = named || (v.title == kTitle && v.appId == "kelvara" && v.shell == "xdg_shell");
  EXPECT_TRUE(named) << "not a native window with the program's app_id";

  // Sway may still be placing the window: where it is is read each time.
  Image shown;
  EXPECT_TRUE(Eventually([&] {
    shown = desktop.FindWindow(kTitle, &r) ? desktop.Grab(r) : Image{};
    return PixelsThatDiffer(frame, shown) == 0;
  }, kAnswerMs, 100)) << PixelsThatDiffer(frame, shown) << " pixels differ at scale 1";
  KeepOnFailure("scale1", shown);

  ASSERT_EQ(desktop.sway().Msg({"output", "HEADLESS-1", "mode", "2560x1600", "scale", "2"}).exitCode, 0);
  // Sway's own nearest-neighbour scaling of a buffer of scale 1 would look
  // the same: the game must have made its buffers of scale 2 itself.
  EXPECT_TRUE(Eventually([&] {
    const std::string log = game.Stderr();
    return Asked(log, {"set_buffer_scale(2)"}) && Asked(log, {"create_buffer(", ", 2000, 1240, 8000, "});
  }, kAnswerMs, 50)) << "no buffer of twice the window's size at scale 2";
  EXPECT_TRUE(Eventually([&] {
    shown = desktop.FindWindow(kTitle, &r) ? desktop.Grab(r, 2) : Image{};
    return PixelsNotScaled(frame, shown, 2) == 0;
  }, kAnswerMs, 100)) << PixelsNotScaled(frame, shown, 2) << " pixels are not crisp 2x2 blocks";
  KeepOnFailure("scale2", shown);

  // A second output, of scale 1, beside the first; the window moves there.
  ASSERT_EQ(desktop.sway().Msg({"create_output"}).exitCode, 0);
  ASSERT_EQ(desktop.sway().Msg({"output", "HEADLESS-2", "mode", "1280x800", "position", "1280", "0",
                                "scale", "1"}).exitCode, 0);
  ASSERT_EQ(desktop.sway().Msg({"[title=\"^Kelvara$\"]", "move", "to", "output", "HEADLESS-2"}).exitCode, 0);
  EXPECT_TRUE(Eventually([&] {
    shown = desktop.FindWindow(kTitle, &r) && r.x >= 1280 ? desktop.Grab(r, 1) : Image{};
    return PixelsThatDiffer(frame, shown) == 0;
  }, kAnswerMs, 100)) << PixelsThatDiffer(frame, shown) << " pixels differ on the second output";
  KeepOnFailure("moved", shown);
  EXPECT_EQ(Said(game.Stderr()), "");
}

TEST(SwayNative, SteeringByRelativeMotionUnderAPointerLock) {
  SteeringByRelativeMotionUnderAPointerLock<SwayDesktop>();
}
TEST(SwayNative, MenusByClickAndByKeysAndTheModalAboutBox) {
  MenusByClickAndByKeysAndTheModalAboutBox<SwayDesktop>();
}
TEST(SwayNative, TheCloseBoxAndFileExitEndWithZeroAndARecordingVerifies) {
  TheCloseBoxAndFileExitEndWithZeroAndARecordingVerifies<SwayDesktop>();
}

// In a Wayland session, where an X11 program would run through Xwayland,
// the game is a Wayland client of its own; KELVARA_BACKEND=x11 asks for X11
// even there. A compositor that goes away ends the game with a line and 1,
// after the recording it was making is finished.
TEST(SwayNative, NativeInAWaylandSessionX11WhenAskedAndALostCompositorEndsWithOne) {
  SwayDesktop desktop;
  ASSERT_TRUE(desktop.Start()) << desktop.error();
  const auto shellOfTheGame = [&] {
    for (const SwayView& v : desktop.sway().Views())
      if (v.title == kTitle) return v.shell;
    return std::string();
  };
  kv_e2e::EnvChanges both = desktop.WaylandEnv();
  both["DISPLAY"] = desktop.XEnv().at("DISPLAY");
  both["KELVARA_BACKEND"] = std::nullopt;
  {
    kv_e2e::EnvChanges asked = both;
    asked["KELVARA_BACKEND"] = "x11";
    kv_e2e::Process game;
    ASSERT_TRUE(game.Start({KelvaraPath()}, asked));
    EXPECT_TRUE(Eventually([&] { return shellOfTheGame() == "xwayland"; }, kAnswerMs, 50))
        << game.Stderr();
  }
  ASSERT_TRUE(Eventually([&] { return shellOfTheGame().empty(); }, kAnswerMs, 50));
  char dir[] = "/tmp/kv-wayland-lost-XXXXXX";
  ASSERT_NE(mkdtemp(dir), nullptr);
  const std::string recording = std::string(dir) + "/lost.kvr";
  kv_e2e::Process game;
  ASSERT_TRUE(game.Start({KelvaraPath(), "--record", recording}, both));
  EXPECT_TRUE(Eventually([&] { return shellOfTheGame() == "xdg_shell"; }, kAnswerMs, 50))
      << game.Stderr();
  ScreenRect r;
  ASSERT_TRUE(WaitForPitch(desktop, &r));

  const std::string socket = desktop.sway().waylandSocket();
  desktop.StopCompositor();
  std::optional<int> code = game.Wait(kAnswerMs);
  ASSERT_TRUE(code.has_value()) << "the game outlived its compositor";
  EXPECT_EQ(*code, 1);
  EXPECT_EQ(game.Stderr().rfind("kelvara: the connection to the Wayland compositor \"" + socket +
                                "\" was lost", 0), 0u) << game.Stderr();
  EXPECT_NE(game.Stderr().find("where the display was lost"), std::string::npos) << game.Stderr();
  const kv_e2e::CommandResult verify =
      kv_e2e::Run({KelvaraPath(), "--replay", recording, "--verify"},
                  {{"DISPLAY", std::nullopt}, {"WAYLAND_DISPLAY", std::nullopt}}, 60000);
  EXPECT_EQ(verify.exitCode, 0) << verify.out << verify.err;
  EXPECT_NE(verify.out.find("matches up to where its display was lost"), std::string::npos)
      << verify.out << verify.err;
  std::remove(recording.c_str());
  rmdir(dir);
}

// The playing seconds the title shows, or -1 when it shows something else.
int TitleSeconds(const std::string& title) {
  static const std::regex line("^Kelvara - Time Ellapsed: (\\d+) - FPS: (\\d+)$");
  std::smatch m;
  return std::regex_match(title, m, line) ? std::stoi(m[1].str()) : -1;
}

// Pixels of one verdict colour in the band where the verdict is written
// (rows 50 to 99 of the pitch, around the halfway line, which is left out).
int VerdictPixels(const Image& shown) {
  if (shown.height < kPitchHeight || shown.width < kPitchWidth) return 0;
  const int top = shown.height - kPitchHeight;
  int white = 0, red = 0, blue = 0;
  for (int y = 50; y < 100; ++y)
    for (int x = 300; x < 700; ++x) {
      if (x >= 497 && x <= 502) continue;
      const uint32_t p = shown.At(x, top + y);
      white += p == 0xFFFFFFu;
      red += p == 0xFF0000u;
      blue += p == 0x0000FFu;
    }
  return std::max(white, std::max(red, blue));
}

// A whole match at the pace that makes Easy real time: 45 seconds of play
// (the clock's own, restarted after each goal with a click) end with the
// verdict and the pointer let go.
TEST(SwayNative, AWholeMatchEndsWithTheVerdict) {
  SwayDesktop desktop;
  ASSERT_TRUE(desktop.Start()) << desktop.error();
  kv_e2e::Process game;
  ASSERT_TRUE(StartNativeGame(&game, desktop.WaylandEnv(), {"--pace", "500"}));
  ScreenRect r;
  ASSERT_TRUE(WaitForPitch(desktop, &r)) << game.Stderr();
  ASSERT_TRUE(StartPlayOnTheSpot(desktop, r));

  std::string title;
  int seconds = -1;
  bool over = false;
  Image last;
  const long long deadline = kv_e2e::MonotonicMs() + 120000;
  while (!over && kv_e2e::MonotonicMs() < deadline) {
    ASSERT_TRUE(desktop.Click(kLeftButton));  // a goal stops play until the next click
    kv_e2e::SleepMs(300);
    if (!desktop.FindMain(&r, &title)) continue;
    seconds = std::max(seconds, TitleSeconds(title));
    if (seconds >= 44) {
      last = desktop.Grab(r);
      over = VerdictPixels(last) >= 800;
    }
  }
  KeepOnFailure("end", last);
  ASSERT_TRUE(over) << "no verdict; the last title was " << title;
  EXPECT_GE(seconds, 44);
  EXPECT_LE(seconds, 46);
  EXPECT_TRUE(Eventually([&] { return !desktop.PointerLocked(); }, kAnswerMs, 50))
      << "the pointer stayed locked after the match";
  EXPECT_TRUE(game.Running());
  EXPECT_EQ(game.Stderr(), "");
}

}  // namespace
}  // namespace kv_compositor
