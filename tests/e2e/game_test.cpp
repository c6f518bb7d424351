// The real program in a real X server, driven from outside as a person
// would: xdotool for the mouse and keys, xprop for the title, import for
// what is on the screen.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <regex>
#include <string>
#include <utility>
#include <vector>

#include "game_session.h"
#include "pitch_picture.h"

namespace {

using kv_e2e::Eventually;
using kv_e2e::GameSession;
using kv_e2e::Image;
using kv_e2e::IsKitBlue;
using kv_e2e::SleepMs;

constexpr uint32_t kGrass = 0x008000;  // (0, 128, 0)

// How long the game may take to answer a click or a key. Generous: on a
// loaded machine the game, the server and the tools share two cores.
constexpr int kAnswerMs = 15000;

// Pictures a test looked at, written under the build directory when the
// test fails, so that the failure can be seen.
class KeptImages {
 public:
  ~KeptImages() {
    if (!testing::Test::HasFailure() || images_.empty()) return;
    const testing::TestInfo* info = testing::UnitTest::GetInstance()->current_test_info();
    std::string dir = std::string(KV_BUILD_DIR) + "/e2e-failures";
    std::error_code ignored;
    std::filesystem::create_directories(dir, ignored);
    for (const auto& [name, image] : images_) {
      std::string path = dir + "/" + info->name() + "-" + name + ".ppm";
      if (kv_e2e::WritePpm(image, path)) std::fprintf(stderr, "kept %s\n", path.c_str());
    }
  }
  void Keep(const std::string& name, const Image& image) { images_.emplace_back(name, image); }

 private:
  std::vector<std::pair<std::string, Image>> images_;
};

#define START_GAME(session)                              \
  GameSession session;                                   \
  ASSERT_TRUE(session.Start()) << session.error()

// Mean x (client pixels) of the kit's blue in the left half of the pitch,
// where only the person's player plays; -1 when there is none.
double LeftPlayerX(const GameSession& s, const Image& screen) {
  double sum = 0;
  int count = 0;
  for (int y = 15; y < 586; ++y)
    for (int x = 45; x < 495; ++x)
      if (IsKitBlue(s.ClientPixel(screen, x, y))) {
        sum += x;
        ++count;
      }
  return count > 50 ? sum / count : -1;
}

// The drop-down of a menu: an override-redirect window beside the main one.
std::optional<kv_e2e::TopWindow> DropDown(GameSession& s) {
  for (const auto& w : s.probe().MappedTopLevels())
    if (w.overrideRedirect && w.id != s.window()) return w;
  return std::nullopt;
}

// Opens a menu with its access key and waits until the drop-down is up, so
// that the next key goes to the menu and not to the game.
bool OpenMenu(GameSession& s, const std::string& keys) {
  return s.Key(keys) && Eventually([&] { return DropDown(s).has_value(); }, kAnswerMs, 50);
}

// White pixels where the score lines are written.
int ScoreTextPixels(const GameSession& s, const Image& screen) {
  int white = 0;
  for (int y = 25; y < 45; ++y)
    for (int px = 60; px < 200; ++px) white += s.ClientPixel(screen, px, y) == 0xFFFFFFu;
  return white;
}

// The statistics line of the title: playing seconds, or -1 if the title is
// something else.
int TitleSeconds(const std::string& title) {
  static const std::regex line("^Kelvara - Time Ellapsed: (\\d+) - FPS: (\\d+)$");
  std::smatch m;
  if (!std::regex_match(title, m, line)) return -1;
  return std::stoi(m[1].str());
}

// The window comes up named "Kelvara" (in both title properties) with the
// pitch drawn in its client area and the menu bar above it.
TEST(KelvaraProgram, ShowsItsWindowWithThePitch) {
  START_GAME(s);
  EXPECT_EQ(s.Title(), "Kelvara");
  EXPECT_EQ(s.probe().TextProperty(s.window(), "_NET_WM_NAME"), "Kelvara");
  EXPECT_EQ(s.windowInfo().width, GameSession::kClientWidth);
  EXPECT_GT(s.windowInfo().height, GameSession::kClientHeight) << "no room for the menu bar";
  Image screen;
  KeptImages kept;
  // Wait for a whole frame on the screen, not just its first strokes.
  bool drawn = Eventually([&] {
    screen = s.Screenshot();
    return screen.width == 1920 && s.ClientPixel(screen, 250, 100) == kGrass &&
           LeftPlayerX(s, screen) >= 0 && ScoreTextPixels(s, screen) > 40;
  }, kAnswerMs, 200);
  kept.Keep("screen", screen);
  ASSERT_EQ(s.ClientPixel(screen, 250, 100), kGrass) << "no grass at client (250, 100)";
  EXPECT_TRUE(drawn);
  EXPECT_EQ(s.ClientPixel(screen, 700, 500), kGrass);
  EXPECT_EQ(s.ClientPixel(screen, 300, 16), 0xFFFFFFu) << "the top touchline";
  // The person's player stands at its spot on the left.
  double x = LeftPlayerX(s, screen);
  EXPECT_NEAR(x, 150, 15);
  // Both score lines are drawn in white near the top.
  EXPECT_GT(ScoreTextPixels(s, screen), 40) << "no score text";
}

// A left click starts play: the pointer jumps onto the left player and is
// grabbed; moving the mouse moves the player; the title starts counting;
// a right click releases the pointer and freezes the title.
TEST(KelvaraProgram, MouseStartsSteersAndPausesPlay) {
  START_GAME(s);
  ASSERT_TRUE(Eventually([&] { return s.ClientPixel(s.Screenshot(), 250, 100) == kGrass; },
                         kAnswerMs, 200));
  EXPECT_FALSE(s.probe().PointerGrabbedElsewhere());
  ASSERT_TRUE(s.ClickClient(600, 450, 1));
  ASSERT_TRUE(Eventually([&] { return s.probe().PointerGrabbedElsewhere(); }, kAnswerMs))
      << "the game holds no pointer grab";
  int px = 0, py = 0;
  s.probe().PointerPosition(&px, &py);
  EXPECT_NEAR(px, s.clientX() + 150, 2);
  EXPECT_NEAR(py, s.clientY() + 300, 2);

  KeptImages kept;
  Image shot = s.Screenshot();
  kept.Keep("before-move", shot);
  double before = LeftPlayerX(s, shot);
  // The game reads the pointer and puts it back on the player every frame;
  // a motion that lands between the two is lost, as it would be on Windows.
  // So move to a place, not by an amount, and again until the player shows
  // it: once taken in, the pointer sits there and a repeat moves nothing.
  const std::string targetX = std::to_string(px + 100), targetY = std::to_string(py);
  double after = -1;
  int moves = 0, failedMoves = 0, pointerX = -1;
  EXPECT_TRUE(Eventually([&] {
    ++moves;
    if (!s.Xdotool({"mousemove", targetX, targetY})) {
      ++failedMoves;
      return false;
    }
    int y = 0;
    s.probe().PointerPosition(&pointerX, &y);
    shot = s.Screenshot();
    after = LeftPlayerX(s, shot);
    return after > before + 80;
  }, kAnswerMs, 200)) << "the player stayed near x " << before << " (now " << after << ") after "
                      << moves << " moves (" << failedMoves << " failed), the pointer at x "
                      << pointerX << ", target " << targetX;
  kept.Keep("after-move", shot);
  EXPECT_NEAR(after - before, 100, 15);

  // Once a second the title shows the statistics. A goal stops play and
  // the counting with it, so click again while waiting.
  std::string title;
  ASSERT_TRUE(Eventually([&] {
    title = s.Title();
    if (TitleSeconds(title) >= 0) return true;
    s.Click(1);
    return false;
  }, 2 * kAnswerMs, 400)) << "title: " << title;
  std::string first = title;
  EXPECT_TRUE(Eventually([&] {
    s.Click(1);
    return s.Title() != first;
  }, 2 * kAnswerMs, 500)) << "the title stopped at " << first;

  ASSERT_TRUE(s.Click(3));
  ASSERT_TRUE(Eventually([&] { return !s.probe().PointerGrabbedElsewhere(); }, kAnswerMs))
      << "the pointer stays grabbed after a right click";
  SleepMs(300);
  std::string paused = s.Title();
  EXPECT_GE(TitleSeconds(paused), 0) << paused;
  SleepMs(2500);
  EXPECT_EQ(s.Title(), paused) << "the title changed while paused";
  EXPECT_TRUE(s.game().Running());
}

// The Difficulty menu driven from the keyboard: Alt+D opens its drop-down,
// Down and Return choose Medium, and the check mark has moved the next time
// the drop-down opens.
TEST(KelvaraProgram, DifficultyMenuFromTheKeyboardMovesTheCheckMark) {
  START_GAME(s);
  auto dropDown = [&] { return DropDown(s); };
  auto openAndCapture = [&](Image* image, kv_e2e::TopWindow* where) {
    if (!OpenMenu(s, "alt+d")) return false;
    std::optional<kv_e2e::TopWindow> d = dropDown();
    if (!d) return false;
    *where = *d;
    // Mapped is not yet drawn: wait for the picture to settle.
    *image = s.probe().CaptureSettled(d->id, d->width, d->height, kAnswerMs);
    return image->width == d->width;
  };

  Image before, after;
  KeptImages kept;
  kv_e2e::TopWindow at1, at2;
  ASSERT_TRUE(openAndCapture(&before, &at1)) << "Alt+D opened no drop-down";
  kept.Keep("menu-before", before);
  EXPECT_GE(at1.x, s.clientX());
  EXPECT_LT(at1.y, s.clientY() + 100) << "the drop-down should hang from the menu bar";
  ASSERT_TRUE(s.Key("Down"));
  ASSERT_TRUE(s.Key("Return"));
  ASSERT_TRUE(Eventually([&] { return !dropDown().has_value(); }, kAnswerMs))
      << "the menu stayed open";
  ASSERT_TRUE(openAndCapture(&after, &at2));
  kept.Keep("menu-after", after);
  EXPECT_EQ(at1.x, at2.x);
  EXPECT_EQ(at1.height, at2.height);

  // Four items of equal height. The check mark sits in the left margin:
  // compare that margin row by row between the two pictures.
  ASSERT_EQ(before.width, after.width);
  ASSERT_EQ(before.height, after.height);
  int rowHeight = before.height / 4;
  auto marginDiffers = [&](int item) {
    int differ = 0;
    for (int y = item * rowHeight + 2; y < (item + 1) * rowHeight - 2; ++y)
      for (int x = 2; x < std::min(20, before.width); ++x) differ += before.At(x, y) != after.At(x, y);
    return differ;
  };
  EXPECT_GT(marginDiffers(0), 5) << "Easy kept its look";
  EXPECT_GT(marginDiffers(1), 5) << "Medium kept its look";
  EXPECT_EQ(marginDiffers(2), 0) << "Hard changed";
  EXPECT_EQ(marginDiffers(3), 0) << "Champion changed";
  ASSERT_TRUE(s.Key("Escape"));
  s.Key("Escape");
  EXPECT_TRUE(Eventually([&] { return !dropDown().has_value(); }, kAnswerMs));
  EXPECT_TRUE(s.game().Running());
}

// Help, About: the box opens, Escape does not close it, Return (OK) does.
TEST(KelvaraProgram, AboutBoxClosesOnlyThroughOk) {
  START_GAME(s);
  auto aboutBox = [&]() -> std::optional<kv_e2e::TopWindow> {
    for (const auto& w : s.probe().MappedTopLevels())
      if (!w.overrideRedirect && w.id != s.window() && w.name == "Kelvara") return w;
    return std::nullopt;
  };
  ASSERT_TRUE(OpenMenu(s, "alt+h")) << "Alt+H opened no drop-down";
  ASSERT_TRUE(s.Key("Return"));
  std::optional<kv_e2e::TopWindow> box;
  ASSERT_TRUE(Eventually([&] { return (box = aboutBox()).has_value(); }, kAnswerMs))
      << "no About box";
  EXPECT_EQ(s.probe().TransientFor(box->id), s.window());
  // Keys go to the box only once it holds the focus.
  ASSERT_TRUE(s.probe().WaitForFocus(box->id, kAnswerMs)) << "the About box has no focus";
  ASSERT_TRUE(s.Key("Escape"));
  SleepMs(800);
  EXPECT_TRUE(aboutBox().has_value()) << "Escape closed the About box";
  ASSERT_TRUE(s.Key("Return"));
  EXPECT_TRUE(Eventually([&] { return !aboutBox().has_value(); }, kAnswerMs))
      << "Return did not close the About box";
  EXPECT_TRUE(s.game().Running());
  EXPECT_TRUE(s.probe().FindMapped("Kelvara").has_value());
}

// File, Exit ends the program with 0.
TEST(KelvaraProgram, FileExitEndsWithZero) {
  START_GAME(s);
  ASSERT_TRUE(OpenMenu(s, "alt+f")) << "Alt+F opened no drop-down";
  ASSERT_TRUE(s.Key("x"));
  auto code = s.WaitExit(kAnswerMs);
  ASSERT_TRUE(code.has_value()) << "still running after File, Exit";
  EXPECT_EQ(*code, 0) << s.game().Stderr();
}

// The close box: a window manager sends WM_DELETE_WINDOW.
TEST(KelvaraProgram, CloseRequestEndsWithZero) {
  START_GAME(s);
  s.probe().SendDeleteWindow(s.window());
  auto code = s.WaitExit(kAnswerMs);
  ASSERT_TRUE(code.has_value()) << "still running after the close request";
  EXPECT_EQ(*code, 0) << s.game().Stderr();
}

// A tool that destroys the window outright (xdotool windowclose) ends the
// program as the close box would, not with a crash.
TEST(KelvaraProgram, WindowDestroyedFromOutsideEndsWithZero) {
  START_GAME(s);
  ASSERT_TRUE(s.Xdotool({"windowclose", std::to_string(s.window())}));
  auto code = s.WaitExit(kAnswerMs);
  ASSERT_TRUE(code.has_value()) << "still running after its window was destroyed";
  EXPECT_EQ(*code, 0) << s.game().Stderr();
}

// The X server going away ends the program with a message and status 1:
// the program could not finish what it was doing.
TEST(KelvaraProgram, LostServerEndsWithOne) {
  START_GAME(s);
  ASSERT_TRUE(s.ClickClient(600, 450, 1));  // playing: frames run flat out
  ASSERT_TRUE(Eventually([&] { return s.probe().PointerGrabbedElsewhere(); }, kAnswerMs))
      << "play did not start";
  s.CloseProbe();
  s.server().Kill();
  auto code = s.WaitExit(kAnswerMs);
  ASSERT_TRUE(code.has_value()) << "still running without its server";
  EXPECT_EQ(*code, 1) << s.game().Stderr();
  EXPECT_NE(s.game().Stderr().find("lost"), std::string::npos) << s.game().Stderr();
}

// Without a display the window cannot be made: the failure message box
// falls back to standard error, and the program ends with 1.
TEST(KelvaraProgram, WithoutADisplayReportsTheFailureAndExitsOne) {
  kv_e2e::CommandResult r =
      kv_e2e::Run({kv_e2e::KelvaraPath()}, {{"DISPLAY", std::nullopt}, {"WAYLAND_DISPLAY", std::nullopt}}, 20000);
  ASSERT_FALSE(r.timedOut);
  EXPECT_EQ(r.exitCode, 1) << r.err;
  EXPECT_NE(r.err.find("Window Creation Failed."), std::string::npos) << r.err;
}

// A whole match: 45 seconds of play, restarted after every goal, end with
// the verdict drawn at the top centre and the pointer set free.
TEST(KelvaraProgram, AWholeMatchEndsWithTheVerdict) {
  START_GAME(s);
  ASSERT_TRUE(s.ClickClient(600, 450, 1));
  // Pixels of one verdict colour in the band where the verdict is written
  // (rows 50 to 98, around the halfway line, which is left out).
  auto verdictPixels = [&](const Image& screen) {
    int white = 0, red = 0, blue = 0;
    for (int y = 50; y < 100; ++y)
      for (int x = 300; x < 700; ++x) {
        if (x >= 497 && x <= 502) continue;
        uint32_t p = s.ClientPixel(screen, x, y);
        white += p == 0xFFFFFFu;
        red += p == 0xFF0000u;
        blue += p == 0x0000FFu;
      }
    return std::max(white, std::max(red, blue));
  };
  EXPECT_LT(verdictPixels(s.Screenshot()), 800);

  std::string title;
  int seconds = 0;
  bool over = false;
  KeptImages kept;
  Image last;
  long long deadline = kv_e2e::MonotonicMs() + 120000;
  while (!over && kv_e2e::MonotonicMs() < deadline) {
    // A goal stops play until the next click.
    s.Click(1);
    SleepMs(1000);
    title = s.Title();
    seconds = std::max(seconds, TitleSeconds(title));
    if (seconds >= 44) {
      last = s.Screenshot();
      over = verdictPixels(last) >= 800;
    }
  }
  kept.Keep("end", last);
  ASSERT_TRUE(over) << "no verdict; last title " << title;
  EXPECT_GE(seconds, 44);
  EXPECT_LE(seconds, 46);
  // Over: the verdict stays, play does not resume, the pointer is free.
  EXPECT_TRUE(Eventually([&] { return !s.probe().PointerGrabbedElsewhere(); }, kAnswerMs));
  std::string final = s.Title();
  SleepMs(1500);
  EXPECT_EQ(s.Title(), final);
  EXPECT_GE(verdictPixels(s.Screenshot()), 800);
  EXPECT_TRUE(s.game().Running());
}

}  // namespace
