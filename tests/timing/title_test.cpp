// The statistics line of the window title.
#include <gtest/gtest.h>

#include <cwchar>
#include <string>

#include "platform/headless/headless.h"
#include "state/globals.h"
#include "tests/support/headless_window.h"
#include "tests/timing/fake_wall_clock.h"
#include "timing/match_clock.h"
#include "timing/title_format.h"
#include "timing/title_stats.h"

namespace {

std::wstring Format(int64_t elapsedMs, int64_t frames) {
  WCHAR text[256];
  FormatTitle(text, 256, L"Kelvara", elapsedMs, frames);
  return text;
}

TEST(TitleFormat, SecondsAndWholeFramesPerSecond) {
  EXPECT_EQ(Format(12500, 43000), L"Kelvara - Time Ellapsed: 12 - FPS: 3583");
  EXPECT_EQ(Format(45000, 90000), L"Kelvara - Time Ellapsed: 45 - FPS: 2000");
  EXPECT_EQ(Format(45999, 89999), L"Kelvara - Time Ellapsed: 45 - FPS: 1999");
  // Under a second of play there is no rate yet, nor without frames.
  EXPECT_EQ(Format(999, 5000), L"Kelvara - Time Ellapsed: 0 - FPS: 0");
  EXPECT_EQ(Format(7000, 0), L"Kelvara - Time Ellapsed: 7 - FPS: 0");
  // Truncated seconds make the early rate run high.
  EXPECT_EQ(Format(1999, 4321), L"Kelvara - Time Ellapsed: 1 - FPS: 4321");
  // A clock set back: a negative time with its sign, and no rate.
  EXPECT_EQ(Format(-1500, 100), L"Kelvara - Time Ellapsed: -1 - FPS: 0");
  EXPECT_EQ(Format(-999, 100), L"Kelvara - Time Ellapsed: 0 - FPS: 0");
  // The extremes still fit.
  EXPECT_EQ(Format(INT64_MAX, INT64_MAX),
            L"Kelvara - Time Ellapsed: 9223372036854775 - FPS: 1000");
  EXPECT_EQ(Format(INT64_MIN, 1), L"Kelvara - Time Ellapsed: -9223372036854775 - FPS: 0");
}

TEST(TitleFormat, NeverWritesPastTheBuffer) {
  WCHAR text[20];
  for (WCHAR& c : text) c = L'#';
  FormatTitle(text, 16, L"Kelvara", 12500, 43000);
  EXPECT_LT(std::wcslen(text), 16u);
  for (int i = 16; i < 20; ++i) EXPECT_EQ(text[i], L'#') << i;

  // A title longer than the whole buffer.
  std::wstring longTitle(600, L'K');
  WCHAR full[256];
  FormatTitle(full, 256, longTitle.c_str(), 1000, 1);
  EXPECT_LT(std::wcslen(full), 256u);
}

TEST(UpdateTitle, FormatsTheProgramClockIntoTheTitleBuffer) {
  FakeWallClock wall;
  const MatchClock saved = gClock;
  wall.Set(2000000);
  gClock.StartClock();
  wall.Advance(12500);
  gClock.frameCount = 43000;
  UpdateTitle();  // no window yet: the text is still formatted
  EXPECT_EQ(std::wstring(gTitleText), L"Kelvara - Time Ellapsed: 12 - FPS: 3583");
  // Paused time does not count.
  gClock.PauseClock();
  wall.Advance(30000);
  UpdateTitle();
  EXPECT_EQ(std::wstring(gTitleText), L"Kelvara - Time Ellapsed: 12 - FPS: 3583");
  gClock = saved;
}

}  // namespace

namespace {

LRESULT CALLBACK PlainProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  return DefWindowProcW(w, m, wp, lp);
}

TEST(UpdateTitle, PutsTheLineIntoTheMainWindowsTitle) {
  kv::headless::Install(3000000);  // its clock is the wall clock now
  HWND window = kv::test::CreateMainGeometryWindow(&PlainProc);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(kv::headless::Title(window), L"Kelvara");
  const MatchClock saved = gClock;
  gWindow = window;
  gClock.StartClock();
  kv::headless::AdvanceClockMs(45999);
  gClock.frameCount = 89999;
  UpdateTitle();
  EXPECT_EQ(kv::headless::Title(window), L"Kelvara - Time Ellapsed: 45 - FPS: 1999");
  WCHAR text[256] = {};
  GetWindowTextW(window, text, 256);
  EXPECT_EQ(std::wstring(text), L"Kelvara - Time Ellapsed: 45 - FPS: 1999");
  gWindow = nullptr;
  gClock = saved;
  DestroyWindow(window);
  kv::headless::Uninstall();
}

}  // namespace
