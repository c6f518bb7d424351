// The frame step: the end of the match, the title refresh, stopped frames,
// the computer player's cooldown and a goal inside the step.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "render/banner.h"
#include "res/resource.h"
#include "tests/render/headless_game.h"

namespace {

using crafted::At;
using crafted::DispatchPending;
using crafted::kStartMs;

class FrameTest : public crafted::HeadlessGame {
 protected:
  void SetUp() override {
    crafted::HeadlessGame::SetUp();
    gBannerText[0] = L'\0';
  }

  // The first frame pauses the clock (the new match is stopped); the click
  // resumes it at once, so playing time is 0 at kStartMs.
  static void StartPlaying() {
    Frame();
    ClickLeft();
    ASSERT_FALSE(gMatch->stopped);
    ASSERT_EQ(gClock.Elapsed(), 0);
  }

  static std::wstring Title() { return kv::headless::Title(gWindow); }

  static bool CursorShown() { return !kv::headless::PointerHidden(); }
};

TEST_F(FrameTest, MatchEndsAtFortyFiveSeconds) {
  StartPlaying();
  Frame(44999);
  EXPECT_FALSE(gMatch->stopped);
  EXPECT_EQ(gClock.frameCount, 1);
  EXPECT_EQ(gBannerText[0], L'\0');
  EXPECT_EQ(GetCapture(), gWindow);
  EXPECT_FALSE(CursorShown());

  Frame(1);
  EXPECT_TRUE(gMatch->stopped);
  EXPECT_TRUE(gClock.paused);
  EXPECT_EQ(gClock.Elapsed(), 45000);
  EXPECT_EQ(gClock.frameCount, 1);
  EXPECT_STREQ(gBannerText, L"TOO BAD, A TIE ...");
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_TRUE(CursorShown());

  // Over stays over: the clock stands, every frame still presents.
  const int64_t presents = kv::headless::PresentCount(gWindow);
  Frame(5000);
  Frame(5000);
  EXPECT_EQ(gClock.Elapsed(), 45000);
  EXPECT_EQ(kv::headless::PresentCount(gWindow), presents + 2);

  // A click after the end resumes play for one frame only.
  ClickLeft();
  EXPECT_FALSE(gMatch->stopped);
  EXPECT_FALSE(CursorShown());
  Frame(3);
  EXPECT_TRUE(gMatch->stopped);
  EXPECT_TRUE(CursorShown());
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(gClock.Elapsed(), 45003);
  EXPECT_EQ(gClock.frameCount, 1);
}

TEST_F(FrameTest, TitleRefreshedOnceASecond) {
  StartPlaying();
  Frame(999);
  EXPECT_EQ(Title(), L"Kelvara");
  EXPECT_EQ(gStatsElapsedMs, 999);
  EXPECT_EQ(gStatsLastMs, kStartMs);

  Frame(1);
  EXPECT_EQ(Title(), L"Kelvara - Time Ellapsed: 1 - FPS: 2");
  EXPECT_EQ(gStatsLastMs, kStartMs + 1000);
  EXPECT_EQ(gStatsElapsedMs, 0);

  Frame(999);
  EXPECT_EQ(Title(), L"Kelvara - Time Ellapsed: 1 - FPS: 2");
  Frame(1);
  EXPECT_EQ(Title(), L"Kelvara - Time Ellapsed: 2 - FPS: 2");
}

TEST_F(FrameTest, TitleFigures) {
  StartPlaying();
  gClock.frameCount = 42999;
  Frame(12500);
  EXPECT_EQ(Title(), L"Kelvara - Time Ellapsed: 12 - FPS: 3583");

  // Under a second of play: zero seconds, rate 0.
  ClickRight();
  Command(IDM_NEW_GAME);
  StartPlaying();
  gStatsLastMs -= 1000;
  Frame(400);
  EXPECT_EQ(Title(), L"Kelvara - Time Ellapsed: 0 - FPS: 0");

  // The system clock set back: a negative playing time, rate 0.
  gClock.startMs += 2500;
  Frame(1000);
  EXPECT_EQ(gClock.Elapsed(), -1100);
  EXPECT_EQ(Title(), L"Kelvara - Time Ellapsed: -1 - FPS: 0");
}

TEST_F(FrameTest, StoppedFrameOnlyDrawsAndPresents) {
  Frame();
  ASSERT_TRUE(gMatch->stopped);
  gMatch->ball->velocity = Vector2(300.0f, 100.0f);
  gMatch->computerCooldown = 0.05f;
  kv::headless::MoveMouseBy(40, 25);
  DispatchPending();
  const int64_t presents = kv::headless::PresentCount(gWindow);

  for (int i = 0; i < 3; ++i) Frame(2000);

  EXPECT_EQ(gClock.frameCount, 0);
  EXPECT_EQ(gMatch->computerCooldown, 0.05f);
  EXPECT_EQ(gMatch->ball->position.x, 500.0f);
  EXPECT_EQ(gMatch->ball->position.y, 300.0f);
  EXPECT_EQ(gMatch->human->position.x, 150.0f);
  EXPECT_EQ(gMatch->computer->position.x, 850.0f);
  EXPECT_EQ(gClock.Elapsed(), 0);
  EXPECT_EQ(Title(), L"Kelvara");
  EXPECT_EQ(gStatsElapsedMs, 6000);
  EXPECT_EQ(kv::headless::PresentCount(gWindow), presents + 3);
  // What is shown is the drawn scene.
  kv::PixelSurface shown = kv::headless::PresentedClient(gWindow);
  EXPECT_EQ(At(shown, 500, 300), crafted::kBall);
  EXPECT_EQ(At(shown, 150, 300), crafted::kHuman);
  EXPECT_EQ(At(shown, 300, 500), crafted::PitchPixel(300, 500));

  // The stop lasted more than a second: the first play frame refreshes.
  ClickLeft();
  Frame();
  EXPECT_EQ(Title(), L"Kelvara - Time Ellapsed: 0 - FPS: 0");
  EXPECT_EQ(gClock.frameCount, 1);
  EXPECT_LT(gMatch->computerCooldown, 0.05f);
}

TEST_F(FrameTest, CooldownRunsOutByTheStep) {
  struct Level {
    WPARAM command;
    int frames;
  };
  for (const Level& level : {Level{IDM_EASY, 51}, Level{IDM_MEDIUM, 25}, Level{IDM_HARD, 17},
                             Level{IDM_CHAMPION, 13}}) {
    SCOPED_TRACE(::testing::Message() << "level " << level.command);
    Command(level.command);
    Command(IDM_NEW_GAME);
    StartPlaying();
    gMatch->computerCooldown = 0.1f;
    for (int i = 1; i < level.frames; ++i) Frame();
    EXPECT_GT(gMatch->computerCooldown, 0.0f);
    EXPECT_EQ(gMatch->computer->position.x, 850.0f);  // frozen while it runs
    Frame();
    const float last = gMatch->computerCooldown;
    EXPECT_LE(last, 0.0f);
    // At or below zero it is left alone.
    Frame();
    EXPECT_EQ(gMatch->computerCooldown, last);
    ClickRight();
  }
  // Exactly zero and below zero are left alone as well.
  Command(IDM_NEW_GAME);
  StartPlaying();
  for (float start : {0.0f, -0.25f}) {
    gMatch->computerCooldown = start;
    Frame();
    EXPECT_EQ(gMatch->computerCooldown, start);
  }
}

TEST_F(FrameTest, GoalInsideTheStepSkipsTheRefresh) {
  StartPlaying();
  gMatch->ball->circle = Circle(930.0f, 300.0f, 25.0f);
  gMatch->ball->position = Vector2(930.0f, 300.0f);
  gMatch->computerCooldown = 0.05f;
  Frame(1500);

  EXPECT_EQ(gMatch->leftScore, 1);
  EXPECT_TRUE(gMatch->stopped);
  EXPECT_LT(gMatch->computerCooldown, 0.05f);  // still counted down in that frame
  EXPECT_GT(gMatch->computerCooldown, 0.04f);
  EXPECT_EQ(Title(), L"Kelvara");
  EXPECT_EQ(gStatsLastMs, kStartMs);
  EXPECT_EQ(gStatsElapsedMs, 1500);
  EXPECT_FALSE(gClock.paused);  // the next frame pauses it
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_TRUE(CursorShown());

  Frame(700);
  EXPECT_TRUE(gClock.paused);
  EXPECT_EQ(gClock.Elapsed(), 2200);
  Frame(5000);
  EXPECT_EQ(gClock.Elapsed(), 2200);
  EXPECT_EQ(gClock.frameCount, 1);
}

}  // namespace
