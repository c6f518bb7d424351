// What the game does as a native Wayland client, written once for either
// desktop (SwayDesktop, MutterDesktop): each scenario starts its compositor,
// and the test files name them for each.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <optional>
#include <string>

#include "desktops.h"
#include "native_game.h"
#include "native_steps.h"

namespace kv_compositor {

inline bool StartForNative(SwayDesktop& desktop) { return desktop.Start(); }
inline bool StartForNative(MutterDesktop& desktop) { return desktop.StartNative(); }

// The lines of standard error that are not libwayland's log of messages
// (which a desktop may have the game write).
inline std::string Said(const std::string& log) {
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

// The first frame is shown exactly as the game drew it.
template <typename Desktop>
void OpeningFrameIsShownExactly() {
  const kv_e2e::Image frame = OpeningFrame();
  ASSERT_EQ(frame.width, kPitchWidth);
  Desktop desktop;
  ASSERT_TRUE(StartForNative(desktop)) << desktop.error();
  kv_e2e::Process game;
  ASSERT_TRUE(StartNativeGame(&game, desktop.WaylandEnv()));
  desktop.Watch(&game);
  ScreenRect r;
  kv_e2e::Image shown;
  // The compositor may still be placing the window: it is found each time.
  EXPECT_TRUE(kv_e2e::Eventually([&] {
    shown = desktop.FindMain(&r) ? desktop.Grab(r) : kv_e2e::Image{};
    return PixelsThatDiffer(frame, shown) == 0;
  }, kAnswerMs, 100)) << PixelsThatDiffer(frame, shown) << " pixels differ";
  KeepOnFailure("shown", shown);
  EXPECT_EQ(Said(game.Stderr()), "");
}

// Steering by relative motion: the click on the player locks the pointer,
// fractional motion moves the player by its exact sum in either direction,
// a right click (pause) unlocks, and another program taking the focus
// unlocks (the game lets its capture go with it: on Wayland the lock is the
// capture's only trace outside the program); back in the game, play goes on
// as before.
template <typename Desktop>
void SteeringByRelativeMotionUnderAPointerLock() {
  Desktop desktop;
  ASSERT_TRUE(StartForNative(desktop)) << desktop.error();
  kv_e2e::Process game;
  // Paced, so that the computer does not score (and reset the player)
  // while the mouse is still moving.
  ASSERT_TRUE(StartNativeGame(&game, desktop.WaylandEnv(), {"--pace", "200"}));
  desktop.Watch(&game);
  ScreenRect r;
  ASSERT_TRUE(WaitForPitch(desktop, &r)) << Said(game.Stderr());
  ASSERT_FALSE(desktop.PointerLocked());
  ASSERT_TRUE(StartPlayOnTheSpot(desktop, r)) << "a click on the player took no lock";

  kv_e2e::Image shown = desktop.Grab(r);
  double x = kv_e2e::LeftPlayerX(shown, 1);
  ASSERT_NEAR(x, 150, 3) << "the player is not at its spot";
  struct Phase {
    double step;
    int count;
  };
  for (const Phase& phase : {Phase{+0.5, 100}, Phase{-0.5, 100}, Phase{+1.5, 50}}) {
    for (int i = 0; i < phase.count; ++i) {
      ASSERT_TRUE(desktop.Move(phase.step, 0));
      kv_e2e::SleepMs(8);  // a mouse's 125 reports a second
    }
    const double expected = x + phase.step * phase.count;
    double seen = -1;
    EXPECT_TRUE(kv_e2e::Eventually([&] {
      shown = desktop.Grab(r);
      seen = kv_e2e::LeftPlayerX(shown, 1);
      return std::fabs(seen - expected) <= 1;
    }, kAnswerMs, 50)) << phase.count << " moves of " << phase.step << " moved the player by "
                       << seen - x << ", not " << expected - x;
    KeepOnFailure("after-" + std::to_string(phase.step), shown);
    x = seen;
  }

  ASSERT_TRUE(desktop.Click(kRightButton));
  EXPECT_TRUE(kv_e2e::Eventually([&] { return !desktop.PointerLocked(); }, kAnswerMs, 50))
      << "a right click let go of no lock";

  // Play again where the pointer was let go, then another window.
  ASSERT_TRUE(desktop.Click(kLeftButton));
  ASSERT_TRUE(kv_e2e::Eventually([&] { return desktop.PointerLocked(); }, kAnswerMs, 50));
  ASSERT_TRUE(desktop.ShowOtherWindow());
  EXPECT_TRUE(kv_e2e::Eventually([&] { return !desktop.PointerLocked(); }, kAnswerMs, 50))
      << "the focus went, the lock stayed";
  desktop.HideOtherWindow();
  ASSERT_TRUE(desktop.Click(kRightButton) && desktop.Click(kLeftButton));
  EXPECT_TRUE(kv_e2e::Eventually([&] { return desktop.PointerLocked(); }, kAnswerMs, 50))
      << "back in the game, a click took no lock";
  EXPECT_EQ(Said(game.Stderr()), "");
}

// The menus by the mouse and by the keyboard, and the About box: it opens
// from Help, holds the main window's input while it is up (a click on the
// pitch starts nothing, and the box stays over the window), and closes with
// OK, by a click or by Enter. File, Exit by the keyboard ends the game
// with 0.
template <typename Desktop>
void MenusByClickAndByKeysAndTheModalAboutBox() {
  Desktop desktop;
  ASSERT_TRUE(StartForNative(desktop)) << desktop.error();
  kv_e2e::Process game;
  ASSERT_TRUE(StartNativeGame(&game, desktop.WaylandEnv(), {"--pace", "200"}));
  desktop.Watch(&game);
  ScreenRect r, about, drop;
  ASSERT_TRUE(WaitForPitch(desktop, &r)) << Said(game.Stderr());

  // Help, About by the mouse.
  ASSERT_TRUE(desktop.MoveTo(r.x + kHelpX, r.y + kBarMiddle) && desktop.Click(kLeftButton));
  ASSERT_TRUE(WaitForDropDown(desktop, true, &drop)) << "Help did not open";
  EXPECT_GE(drop.x, kHelpX - 20) << "the drop-down is not under Help";
  ASSERT_TRUE(desktop.MoveTo(r.x + drop.x + drop.width / 2, r.y + drop.y + drop.height / 2) &&
              desktop.Click(kLeftButton));
  ASSERT_TRUE(WaitForAboutOnTop(desktop, &about)) << "no About box";
  EXPECT_TRUE(WaitForDropDown(desktop, false));

  // Modal: the pitch takes no click while the box is up.
  ASSERT_TRUE(desktop.MoveTo(r.x + 500, r.y + 300) && desktop.Click(kLeftButton));
  ASSERT_TRUE(WaitForAboutOnTop(desktop, &about)) << "the About box went under the window";
  // "OK" lies at 114,158 (50 x 14) in dialog units, 6 x 13 pixels per 4 x 8.
  const kv_e2e::Image box = desktop.Grab(about);
  ASSERT_TRUE(desktop.MoveTo(about.x + (114 + 25) * 6 / 4, about.y + (158 + 7) * 13 / 8) &&
              desktop.Click(kLeftButton));
  EXPECT_TRUE(kv_e2e::Eventually([&] { return !desktop.FindAbout(&about); }, kAnswerMs, 50))
      << "OK did not close the box";
  KeepOnFailure("about", box);
  EXPECT_FALSE(desktop.PointerLocked()) << "the click on the pitch went through the box";

  // The same by the keys: Alt+F opens File, Right moves to Difficulty Level,
  // Escape twice leaves the menu; Alt+H, Enter opens About, Enter closes it.
  ASSERT_TRUE(desktop.Chord(KEY_LEFTALT, KEY_F));
  ASSERT_TRUE(WaitForDropDown(desktop, true, &drop)) << "Alt+F did not open File";
  EXPECT_LT(drop.x, kDifficultyX - 20);
  ASSERT_TRUE(desktop.Tap(KEY_RIGHT));
  EXPECT_TRUE(kv_e2e::Eventually([&] {
    return WaitForDropDown(desktop, true, &drop) && drop.x >= kDifficultyX - 40 &&
           drop.x < kHelpX - 20;
  }, kAnswerMs, 50)) << "Right did not move to Difficulty Level";
  ASSERT_TRUE(desktop.Tap(KEY_ESC) && desktop.Tap(KEY_ESC));
  EXPECT_TRUE(WaitForDropDown(desktop, false));
  ASSERT_TRUE(desktop.Chord(KEY_LEFTALT, KEY_H) && desktop.Tap(KEY_ENTER));
  ASSERT_TRUE(WaitForAboutOnTop(desktop, &about)) << "Alt+H, Enter opened no About box";
  ASSERT_TRUE(desktop.Tap(KEY_ENTER));
  EXPECT_TRUE(kv_e2e::Eventually([&] { return !desktop.FindAbout(&about); }, kAnswerMs, 50))
      << "Enter did not close the box";

  ASSERT_TRUE(desktop.Chord(KEY_LEFTALT, KEY_F) && desktop.Tap(KEY_X));
  std::optional<int> code = game.Wait(kAnswerMs);
  ASSERT_TRUE(code.has_value()) << "File, Exit did not end the game";
  EXPECT_EQ(*code, 0);
  EXPECT_EQ(Said(game.Stderr()), "");
}

// The close box and File, Exit by the mouse each end the game with 0; a
// match recorded on Wayland (some play, a pause, the menu) verifies
// headless like any other: the recording sits on the backend's seam.
template <typename Desktop>
void TheCloseBoxAndFileExitEndWithZeroAndARecordingVerifies() {
  Desktop desktop;
  ASSERT_TRUE(StartForNative(desktop)) << desktop.error();
  {
    kv_e2e::Process game;
    ASSERT_TRUE(StartNativeGame(&game, desktop.WaylandEnv(), {"--pace", "200"}));
    desktop.Watch(&game);
    ScreenRect r;
    ASSERT_TRUE(WaitForPitch(desktop, &r)) << Said(game.Stderr());
    ASSERT_TRUE(desktop.CloseBox());
    std::optional<int> code = game.Wait(kAnswerMs);
    ASSERT_TRUE(code.has_value()) << "the close box did not end the game";
    EXPECT_EQ(*code, 0);
    desktop.Watch(nullptr);
    // Gone from the screen too, so that the next game's pitch is not taken
    // for this one's.
    ASSERT_TRUE(kv_e2e::Eventually([&] { return !desktop.FindMain(&r); }, kAnswerMs, 50));
  }
  char dir[] = "/tmp/kv-wayland-record-XXXXXX";
  ASSERT_NE(mkdtemp(dir), nullptr);
  const std::string recording = std::string(dir) + "/match.kvr";
  kv_e2e::Process game;
  ASSERT_TRUE(StartNativeGame(&game, desktop.WaylandEnv(), {"--record", recording}));
  desktop.Watch(&game);
  ScreenRect r, drop;
  ASSERT_TRUE(WaitForPitch(desktop, &r)) << Said(game.Stderr());
  ASSERT_TRUE(StartPlayOnTheSpot(desktop, r));
  for (int i = 0; i < 40; ++i) ASSERT_TRUE(desktop.Move(i < 20 ? 2.5 : -1.25, 0.5));
  ASSERT_TRUE(desktop.Click(kRightButton));
  ASSERT_TRUE(kv_e2e::Eventually([&] { return !desktop.PointerLocked(); }, kAnswerMs, 50));
  ASSERT_TRUE(desktop.MoveTo(r.x + kFileX, r.y + kBarMiddle) && desktop.Click(kLeftButton));
  ASSERT_TRUE(WaitForDropDown(desktop, true, &drop)) << "File did not open";
  // Exit is the lower of the two items.
  ASSERT_TRUE(desktop.MoveTo(r.x + drop.x + drop.width / 2, r.y + drop.y + drop.height * 3 / 4) &&
              desktop.Click(kLeftButton));
  std::optional<int> code = game.Wait(kAnswerMs);
  ASSERT_TRUE(code.has_value()) << "File, Exit did not end the game";
  EXPECT_EQ(*code, 0);
  EXPECT_EQ(Said(game.Stderr()), "");
  desktop.Watch(nullptr);

  const kv_e2e::CommandResult verify =
      kv_e2e::Run({KelvaraPath(), "--replay", recording, "--verify"},
                  {{"DISPLAY", std::nullopt}, {"WAYLAND_DISPLAY", std::nullopt}}, 60000);
  EXPECT_EQ(verify.exitCode, 0) << verify.out << verify.err;
  EXPECT_NE(verify.out.find("matches"), std::string::npos) << verify.out;
  std::remove(recording.c_str());
  rmdir(dir);
}

}  // namespace kv_compositor
