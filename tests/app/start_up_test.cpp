// Start-up, the message pump and the ways out: Exit, the close box, and a
// main window that cannot be created.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform/backend.h"
#include "res/resource.h"
#include "tests/render/headless_game.h"

namespace {

using crafted::At;

class StartUpTest : public crafted::HeadlessGame {};

TEST_F(StartUpTest, WindowAsCreated) {
  ASSERT_NE(gWindow, nullptr);
  EXPECT_EQ(gInstance, crafted::TheModule().instance());
  EXPECT_NE(gMenu, nullptr);
  EXPECT_EQ(kv::headless::Title(gWindow), L"Kelvara");
  EXPECT_EQ(kv::headless::VisibleWindowCount(), 1);
  EXPECT_TRUE(GetMenuState(gMenu, IDM_EASY, MF_BYCOMMAND) & MF_CHECKED);
  // The client area holds the 1000 x 600 pitch.
  RECT client = {};
  GetClientRect(gWindow, &client);
  EXPECT_EQ(client.right - client.left, 1000);
  EXPECT_EQ(client.bottom - client.top, 600);
  // The creation message built the three objects for this window.
  ASSERT_NE(gMatch, nullptr);
  ASSERT_NE(gBackBuffer, nullptr);
  EXPECT_NE(gSpriteDC, nullptr);
  EXPECT_EQ(gMatch->window, gWindow);
  EXPECT_EQ(gBackBuffer->window, gWindow);
  EXPECT_TRUE(gMatch->stopped);

  // The first frame pauses the clock and shows the opening scene.
  RunFrame();
  EXPECT_TRUE(gClock.paused);
  kv::PixelSurface shown = kv::headless::PresentedClient(gWindow);
  EXPECT_EQ(At(shown, 500, 300), crafted::kBall);
  EXPECT_EQ(At(shown, 850, 300), crafted::kComputer);
}

TEST_F(StartUpTest, ExitEndsThePumpWithZero) {
  // Messages already queued are all dispatched, the Exit among them.
  PostMessageW(gWindow, WM_COMMAND, IDM_HARD, 0);
  PostMessageW(gWindow, WM_COMMAND, IDM_EXIT, 0);
  EXPECT_EQ(RunMessagePump(), 0);
  EXPECT_FALSE(IsWindow(gWindow));
  EXPECT_EQ(gTimeStep, 0.006f);
  // Nothing freed is left reachable: a stray frame or click finds no match.
  EXPECT_EQ(gMatch, nullptr);
  EXPECT_EQ(gBackBuffer, nullptr);
  RunFrame();
  WndProc(gWindow, WM_LBUTTONDOWN, 0, 0);
  WndProc(gWindow, WM_RBUTTONDOWN, 0, 0);
}

TEST_F(StartUpTest, CloseBoxEndsThePumpWithZero) {
  const int64_t objects = kv::gdi::LiveObjectCount();
  const int64_t dcs = kv::gdi::LiveDCCount();
  kv::headless::RequestClose(gWindow);
  EXPECT_EQ(RunMessagePump(), 0);
  EXPECT_FALSE(IsWindow(gWindow));
  // The match's eight bitmaps, the back buffer's surface and the two
  // memory contexts are gone.
  EXPECT_EQ(kv::gdi::LiveObjectCount(), objects - 9);
  EXPECT_EQ(kv::gdi::LiveDCCount(), dcs - 2);
}

TEST(WholeWinMain, ShowsTheWindowAndReturnsTheQuitCode) {
  kv::headless::Install(crafted::kStartMs);
  gClock.StartClock();
  gStatsLastMs = NowMs();
  PostQuitMessage(7);  // the pump's first look finds it
  char commandLine[] = "";
  // The show command is ignored: the window is shown all the same.
  EXPECT_EQ(WinMain(crafted::TheModule().instance(), nullptr, commandLine, SW_HIDE), 7);
  EXPECT_TRUE(IsWindow(gWindow));
  EXPECT_EQ(kv::headless::VisibleWindowCount(), 1);
  EXPECT_EQ(kv::headless::Title(gWindow), L"Kelvara");
  EXPECT_EQ(gInstance, crafted::TheModule().instance());
  EXPECT_NE(gMatch, nullptr);
  DestroyWindow(gWindow);
  crafted::DispatchPending();
  EXPECT_EQ(gMatch, nullptr);
  DestroyMenu(gMenu);
  gMenu = nullptr;
  gWindow = nullptr;
  SetCursorVisible(true);
  kv::headless::Uninstall();
}

// ---- a main window that cannot be made. Each case runs in a child process
// of its own: a window class and the display choice last for a process.

LRESULT CALLBACK RefuseCreation(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CREATE) return -1;
  return DefWindowProcW(window, message, wParam, lParam);
}

struct ErrorBoxSeen {
  std::wstring title;
  int windows = 0;
  int passes = 0;
};

void AnswerErrorBox(void* context) {
  ErrorBoxSeen& seen = *static_cast<ErrorBoxSeen*>(context);
  if (++seen.passes == 1) {
    wchar_t title[64] = {};
    GetWindowTextW(GetActiveWindow(), title, 64);
    seen.title = title;
    seen.windows = kv::headless::VisibleWindowCount();
    kv::headless::TypeKey(VK_RETURN);
  } else if (seen.passes > 100) {
    kv::headless::TypeKey(VK_ESCAPE);
  }
}

int RunWithRefusingClass() {
  kv::headless::Install(crafted::kStartMs);
  WNDCLASSW refusing = {};
  refusing.lpfnWndProc = RefuseCreation;
  refusing.lpszClassName = gWindowClassName;
  RegisterClassW(&refusing);
  ErrorBoxSeen seen;
  kv::headless::SetModalIdleHook(AnswerErrorBox, &seen);
  char commandLine[] = "";
  const int code = WinMain(crafted::TheModule().instance(), nullptr, commandLine, SW_SHOWNORMAL);
  int result = 0;
  if (code != 1) result = 10;  // a failed start is not reported as success
  else if (gWindow != nullptr || gMatch != nullptr || gMenu != nullptr) result = 11;
  else if (seen.passes == 0) result = 12;  // no message box came up
  else if (seen.title != L"Error") result = 13;
  else if (seen.windows != 1) result = 14;
  else if (seen.passes > 100) result = 15;  // it would not close
  else if (kv::headless::VisibleWindowCount() != 0) result = 16;
  kv::headless::Uninstall();
  return result;
}

int RunWithoutDisplay() {
  unsetenv("DISPLAY");
  kv::InstallBackend(nullptr);
  char commandLine[] = "";
  const int code = WinMain(crafted::TheModule().instance(), nullptr, commandLine, SW_SHOWNORMAL);
  if (code != 1) return 10;
  if (gWindow != nullptr || gMatch != nullptr || gBackBuffer != nullptr) return 11;
  return 0;
}

TEST(StartUpFailure, ClassThatRefusesCreationGivesErrorBoxAndOne) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(std::exit(RunWithRefusingClass()), ::testing::ExitedWithCode(0), "");
}

TEST(StartUpFailure, NoDisplayGivesOne) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(std::exit(RunWithoutDisplay()), ::testing::ExitedWithCode(0), "");
}

}  // namespace
