// The window procedure: New Game, the difficulty levels, the mouse buttons,
// commands that do nothing, and the About box.
#include <gtest/gtest.h>

#include "res/resource.h"
#include "tests/render/headless_game.h"

namespace {

using crafted::At;
using crafted::DispatchPending;

class WindowProcTest : public crafted::HeadlessGame {
 protected:
  static bool Checked(UINT id) { return (GetMenuState(gMenu, id, MF_BYCOMMAND) & MF_CHECKED) != 0; }

  // Exactly one level checked, and the time step that goes with it.
  static void ExpectLevel(UINT id, float step) {
    for (UINT level : {IDM_EASY, IDM_MEDIUM, IDM_HARD, IDM_CHAMPION})
      EXPECT_EQ(Checked(level), level == id) << "item " << level;
    EXPECT_EQ(gTimeStep, step);
  }

  // A fresh match, waiting for its first click, on a fresh black buffer.
  static void ExpectFreshMatch() {
    EXPECT_TRUE(gMatch->stopped);
    EXPECT_EQ(gMatch->leftScore, 0);
    EXPECT_EQ(gMatch->rightScore, 0);
    EXPECT_EQ(gMatch->ball->position.x, 500.0f);
    EXPECT_EQ(gMatch->ball->position.y, 300.0f);
    EXPECT_EQ(gMatch->human->position.x, 150.0f);
    EXPECT_EQ(gMatch->computer->position.x, 850.0f);
    EXPECT_TRUE(gClock.paused);
    EXPECT_EQ(gClock.Elapsed(), 0);
    EXPECT_EQ(gClock.frameCount, 0);
    EXPECT_EQ(gStatsLastMs, NowMs());
    EXPECT_EQ(gStatsElapsedMs, 0);
    kv::PixelSurface s = Buffer();
    int lit = 0;
    for (int y = 0; y < 600; ++y)
      for (int x = 0; x < 1000; ++x) lit += At(s, x, y) != 0;
    EXPECT_EQ(lit, 0);
  }
};

TEST_F(WindowProcTest, NewGameFromEveryState) {
  // Waiting, before any click.
  Frame(300);
  gMatch->leftScore = 4;
  Command(IDM_NEW_GAME);
  ExpectFreshMatch();

  // Playing: the player has moved and the title shows statistics.
  ClickLeft();
  for (int i = 0; i < 20; ++i) {
    kv::headless::MoveMouseBy(2, 1);
    DispatchPending();
    Frame(60);
  }
  ASSERT_NE(gMatch->human->position.x, 150.0f);
  const std::wstring title = kv::headless::Title(gWindow);
  ASSERT_NE(title, L"Kelvara");
  Command(IDM_NEW_GAME);
  ExpectFreshMatch();
  // Left as it was: the title, the capture and the hidden cursor.
  EXPECT_EQ(kv::headless::Title(gWindow), title);
  EXPECT_EQ(GetCapture(), gWindow);
  EXPECT_TRUE(kv::headless::PointerHidden());
  Frame(5000);  // the clock stays paused: the frame finds it so
  EXPECT_EQ(gClock.Elapsed(), 0);
  ClickLeft();
  Frame(1000);
  EXPECT_EQ(kv::headless::Title(gWindow), L"Kelvara - Time Ellapsed: 1 - FPS: 1");

  // Over: the verdict, then a full new match from the next click.
  Frame(44000);
  ASSERT_TRUE(gMatch->stopped);
  Command(IDM_NEW_GAME);
  ExpectFreshMatch();
  ClickLeft();
  Frame(44999);
  EXPECT_FALSE(gMatch->stopped);
  Frame(1);
  EXPECT_TRUE(gMatch->stopped);
}

TEST_F(WindowProcTest, DifficultyLevels) {
  ExpectLevel(IDM_EASY, 0.002f);
  Command(IDM_MEDIUM);
  ExpectLevel(IDM_MEDIUM, 0.004f);
  Command(IDM_HARD);
  ExpectLevel(IDM_HARD, 0.006f);
  Command(IDM_EASY);
  ExpectLevel(IDM_EASY, 0.002f);
  Command(IDM_CHAMPION);
  ExpectLevel(IDM_CHAMPION, 0.008f);
  Command(IDM_CHAMPION);
  ExpectLevel(IDM_CHAMPION, 0.008f);
  Command(IDM_NEW_GAME);
  ExpectLevel(IDM_CHAMPION, 0.008f);
  // A frame of play moves the ball by the new step.
  ClickLeft();
  gMatch->ball->velocity = Vector2(500.0f, 0.0f);
  Frame();
  EXPECT_EQ(gMatch->ball->position.x, 504.0f);
}

TEST_F(WindowProcTest, CommandsByLowWordOnly) {
  Frame();
  Match* match = gMatch;
  gMatch->leftScore = 3;
  for (WPARAM id : {0u, 1u, 2u, 106u, 110u, 116u, 120u, 130u, 159u, 164u, 170u, 200u, 0xFFFFu}) {
    EXPECT_EQ(SendMessageW(gWindow, WM_COMMAND, id, 0), 0) << "id " << id;
    DispatchPending();
  }
  EXPECT_EQ(gMatch, match);
  EXPECT_EQ(gMatch->leftScore, 3);
  EXPECT_TRUE(IsWindow(gWindow));
  EXPECT_EQ(kv::headless::VisibleWindowCount(), 1);
  ExpectLevel(IDM_EASY, 0.002f);

  // The high word (accelerator, control notification) is not looked at.
  EXPECT_EQ(SendMessageW(gWindow, WM_COMMAND, MAKEWPARAM(IDM_HARD, 1), 0), 0);
  ExpectLevel(IDM_HARD, 0.006f);
  // Nor does a high word alone make a command.
  SendMessageW(gWindow, WM_COMMAND, MAKEWPARAM(0, IDM_CHAMPION), 0);
  ExpectLevel(IDM_HARD, 0.006f);
  SendMessageW(gWindow, WM_COMMAND, MAKEWPARAM(IDM_NEW_GAME, 0x8000), 0);
  EXPECT_EQ(gMatch->leftScore, 0);
  EXPECT_EQ(SendMessageW(gWindow, WM_COMMAND, MAKEWPARAM(IDM_EXIT, 1), 0), 0);
  EXPECT_FALSE(IsWindow(gWindow));
  // The window's objects went with it.
  EXPECT_EQ(gMatch, nullptr);
  EXPECT_EQ(gBackBuffer, nullptr);
  EXPECT_EQ(gSpriteDC, nullptr);
}

TEST_F(WindowProcTest, MouseButtonsStartAndPause) {
  Frame();
  ASSERT_TRUE(gClock.paused);
  kv::headless::AdvanceClockMs(100);
  // Right button while already stopped: nothing changes.
  ClickRight();
  EXPECT_TRUE(gMatch->stopped);
  EXPECT_TRUE(gClock.paused);
  EXPECT_EQ(gClock.Elapsed(), 0);

  ClickLeft();
  EXPECT_FALSE(gMatch->stopped);
  EXPECT_FALSE(gClock.paused);
  EXPECT_EQ(GetCapture(), gWindow);
  EXPECT_TRUE(kv::headless::PointerHidden());
  // The cursor sits on the left player.
  POINT spot = {150, 300};
  ClientToScreen(gWindow, &spot);
  EXPECT_EQ(kv::headless::PointerX(), spot.x);
  EXPECT_EQ(kv::headless::PointerY(), spot.y);

  Frame(700);
  // A second left click during play keeps playing time as it is.
  ClickLeft();
  EXPECT_EQ(gClock.Elapsed(), 700);
  EXPECT_FALSE(gMatch->stopped);
  EXPECT_TRUE(kv::headless::PointerHidden());

  // Right button: stopped, released, shown, paused at once.
  ClickRight();
  EXPECT_TRUE(gMatch->stopped);
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_FALSE(kv::headless::PointerHidden());
  EXPECT_TRUE(gClock.paused);
  kv::headless::AdvanceClockMs(3000);
  EXPECT_EQ(gClock.Elapsed(), 700);
  ClickLeft();
  EXPECT_EQ(gClock.Elapsed(), 700);
  EXPECT_FALSE(gClock.paused);
}

// ---- the About box, driven from inside its modal loop

struct AboutScript {
  enum Close { kByEnter, kByOkButton };
  Close close = kByEnter;
  int passes = 0;
  int stage = 0;
  HWND dialog = nullptr;
  int64_t presentsAtOpen = -1;
  bool stayedOpenAfterEsc = false;
  bool stayedOpenAfterCloseBox = false;
  bool forced = false;
};

void DriveAbout(void* context) {
  AboutScript& script = *static_cast<AboutScript*>(context);
  ++script.passes;
  if (script.passes > 200) {  // never hang the suite
    script.forced = true;
    if (script.dialog != nullptr && IsWindow(script.dialog)) EndDialog(script.dialog, 0);
    return;
  }
  if (script.passes % 3 != 1) return;  // give the loop a few passes per step
  switch (script.stage) {
    case 0:
      script.dialog = GetActiveWindow();
      script.presentsAtOpen = kv::headless::PresentCount(gWindow);
      kv::headless::AdvanceClockMs(4000);  // time in the box
      kv::headless::TypeKey(VK_ESCAPE);
      script.stage = 1;
      break;
    case 1:
      script.stayedOpenAfterEsc = IsWindow(script.dialog) != 0;
      kv::headless::RequestClose(script.dialog);
      script.stage = 2;
      break;
    case 2:
      script.stayedOpenAfterCloseBox = IsWindow(script.dialog) != 0;
      if (script.close == AboutScript::kByEnter) {
        kv::headless::TypeKey(VK_RETURN);
      } else {
        HWND ok = GetDlgItem(script.dialog, IDOK);
        RECT r = {};
        GetWindowRect(ok, &r);
        kv::headless::ClickAt((r.left + r.right) / 2, (r.top + r.bottom) / 2, 1);
      }
      script.stage = 3;
      break;
    default:
      break;
  }
}

TEST_F(WindowProcTest, AboutClosesOnlyByOkOrEnter) {
  for (AboutScript::Close close : {AboutScript::kByEnter, AboutScript::kByOkButton}) {
    SCOPED_TRACE(close == AboutScript::kByEnter ? "Enter" : "OK button");
    ClickLeft();  // playing: the box does not pause the clock
    Frame();
    const int64_t elapsed = gClock.Elapsed();
    const int64_t presents = kv::headless::PresentCount(gWindow);

    AboutScript script;
    script.close = close;
    kv::headless::SetModalIdleHook(DriveAbout, &script);
    Command(MAKEWPARAM(IDM_ABOUT, 0));
    kv::headless::SetModalIdleHook(nullptr, nullptr);

    EXPECT_FALSE(script.forced);
    EXPECT_EQ(script.stage, 3);
    ASSERT_NE(script.dialog, nullptr);
    EXPECT_NE(script.dialog, gWindow);
    EXPECT_TRUE(script.stayedOpenAfterEsc);
    EXPECT_TRUE(script.stayedOpenAfterCloseBox);
    EXPECT_FALSE(IsWindow(script.dialog));
    EXPECT_EQ(kv::headless::VisibleWindowCount(), 1);
    EXPECT_EQ(script.presentsAtOpen, presents);  // no frames while it is open
    EXPECT_EQ(gClock.Elapsed(), elapsed + 4000);
    ClickRight();
  }
}

TEST_F(WindowProcTest, AboutProcedureAnswers) {
  EXPECT_EQ(AboutDlgProc(nullptr, WM_INITDIALOG, 0, 0), TRUE);
  EXPECT_EQ(AboutDlgProc(nullptr, WM_COMMAND, IDCANCEL, 0), TRUE);
  EXPECT_EQ(AboutDlgProc(nullptr, WM_COMMAND, 1234, 0), TRUE);
  EXPECT_EQ(AboutDlgProc(nullptr, WM_PAINT, 0, 0), FALSE);
  EXPECT_EQ(AboutDlgProc(nullptr, WM_CLOSE, 0, 0), FALSE);
}

}  // namespace
