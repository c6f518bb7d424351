// Window records are freed by the time the program ends, destroyed ones
// included (they are kept a while so that a stale handle stays dead). The
// leak checker of the sanitizer build sees what a plain build cannot: each
// case ends a child process the way the program does, without any reset.
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/headless/headless.h"
#include "platform/win32.h"

namespace {

LRESULT CALLBACK PlainProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  return DefWindowProcW(w, m, wp, lp);
}

int OpenAndCloseWindowsThenExit() {
  kv::headless::Install();
  WNDCLASSW wc{};
  wc.lpfnWndProc = PlainProc;
  wc.lpszClassName = L"ExitFreesWindows";
  RegisterClassW(&wc);
  HWND main = CreateWindowExW(0, L"ExitFreesWindows", L"Kelvara", WS_SYSMENU, 200, 200, 1007, 649,
                              nullptr, nullptr, nullptr, nullptr);
  if (!main) return 3;
  // Like the About box: an owned window made and destroyed, then the main one.
  HWND about = CreateWindowExW(0, L"ExitFreesWindows", L"About", WS_POPUP, 210, 210, 300, 200,
                               main, nullptr, nullptr, nullptr);
  if (!about) return 4;
  DestroyWindow(about);
  if (IsWindow(about)) return 5;
  DestroyWindow(main);
  if (IsWindow(main)) return 6;
  return 0;
}

TEST(ProgramExit, LeavesNoWindowRecordBehind) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(std::exit(OpenAndCloseWindowsThenExit()), ::testing::ExitedWithCode(0), "");
}

}  // namespace
