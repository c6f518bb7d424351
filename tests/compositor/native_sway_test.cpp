// The game as a native Wayland client of sway: the compositor draws its
// frame, grim reads back what the output shows, and the outputs' scales
// can be changed under it.
#include <gtest/gtest.h>
#include <linux/input-event-codes.h>

#include <string>

#include "desktops.h"
#include "native_game.h"
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

// The lines of standard error that are not libwayland's log.
std::string Said(const std::string& log) {
  std::string said;
  size_t start = 0;
  while (start < log.size()) {
    size_t end = log.find('\n', start);
    if (end == std::string::npos) end = log.size();
    if (log.compare(start, 1, "[") != 0) said += log.substr(start, end - start) + "\n";
    start = end + 1;
  }
  return said;
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
  EXPECT_TRUE(Eventually([&] {
    shown = desktop.FindWindow(kTitle, &r) ? desktop.Grab(r, 2) : Image{};
    return PixelsNotScaled(frame, shown, 2) == 0;
  }, kAnswerMs, 100)) << PixelsNotScaled(frame, shown, 2) << " pixels are not crisp 2x2 blocks";
  KeepOnFailure("scale2", shown);
  EXPECT_TRUE(Asked(game.Stderr(), {"set_buffer_scale(2)"}));
  EXPECT_TRUE(Asked(game.Stderr(), {"create_buffer(", ", 2000, 1240, 8000, "}))
      << "no buffer of twice the window's size";

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

}  // namespace
}  // namespace kv_compositor
