// Mouse routing, client coordinates, the capture and the cursor.
#include <climits>

#include "platform/rt/resources.h"
#include "res/resource.h"
#include "tests/user/message_log.h"

namespace kv {
namespace test {
namespace {

using PointerTest = LoggedWindowTest;

HWND ShownMain(HMENU menu = nullptr) {
  HWND w = CreateMainGeometryWindow(LoggingProc, menu);
  ShowWindow(w, SW_SHOW);
  return w;
}

HWND ShownPopup(int x, int y, int width, int height, HWND owner = nullptr) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = LoggingProc;
  wc.lpszClassName = L"KvPointerPopup";
  RegisterClassW(&wc);
  HWND w = CreateWindowExW(0, L"KvPointerPopup", L"", WS_POPUP | WS_CAPTION, x, y, width, height,
                           owner, nullptr, nullptr, nullptr);
  ShowWindow(w, SW_SHOW);
  return w;
}

// The button messages in the queue, as (window, message, x, y, wParam).
struct Press {
  HWND hwnd;
  UINT message;
  int x, y;
  WPARAM keys;
};
std::vector<Press> ButtonMessages() {
  std::vector<Press> out;
  for (const MSG& m : DrainQueue()) {
    if (m.message == WM_MOUSEMOVE) continue;
    out.push_back(Press{m.hwnd, m.message, GET_X_LPARAM(m.lParam), GET_Y_LPARAM(m.lParam), m.wParam});
  }
  return out;
}

TEST_F(PointerTest, ClicksGoToTheTopmostWindowUnderThePointerInClientCoordinates) {
  HWND main = ShownMain();  // no menu: client origin (203, 225)
  HWND popup = ShownPopup(400, 300, 100, 80);
  headless::ClickAt(410, 320, 1);      // inside the popup, which is on top
  headless::ClickAt(213, 235, 3);      // the main window only
  headless::ClickAt(1500, 1000, 1);    // the bare desktop: nobody
  std::vector<Press> got = ButtonMessages();
  ASSERT_EQ(got.size(), 4u);
  EXPECT_EQ(got[0].hwnd, popup);
  EXPECT_EQ(got[0].message, static_cast<UINT>(WM_LBUTTONDOWN));
  EXPECT_EQ(got[0].x, 10);
  EXPECT_EQ(got[0].y, 20);
  EXPECT_EQ(got[0].keys, static_cast<WPARAM>(MK_LBUTTON));
  EXPECT_EQ(got[1].message, static_cast<UINT>(WM_LBUTTONUP));
  EXPECT_EQ(got[1].keys, 0u);
  EXPECT_EQ(got[2].hwnd, main);
  EXPECT_EQ(got[2].message, static_cast<UINT>(WM_RBUTTONDOWN));
  EXPECT_EQ(got[2].x, 10);
  EXPECT_EQ(got[2].y, 10);
  EXPECT_EQ(got[2].keys, static_cast<WPARAM>(MK_RBUTTON));
  EXPECT_EQ(got[3].message, static_cast<UINT>(WM_RBUTTONUP));
}

TEST_F(PointerTest, TheCaptureTakesEveryClickWhereverThePointerIs) {
  HWND main = ShownMain();
  ShownPopup(400, 300, 100, 80);
  EXPECT_EQ(SetCapture(main), nullptr);
  EXPECT_EQ(GetCapture(), main);
  EXPECT_TRUE(headless::PointerGrabbed());
  headless::ClickAt(410, 320, 1);  // over the popup
  headless::ClickAt(3, 5, 3);      // outside every window
  std::vector<Press> got = ButtonMessages();
  ASSERT_EQ(got.size(), 4u);
  for (const Press& p : got) EXPECT_EQ(p.hwnd, main);
  EXPECT_EQ(got[0].x, 410 - 203);
  EXPECT_EQ(got[0].y, 320 - 225);
  EXPECT_EQ(got[2].message, static_cast<UINT>(WM_RBUTTONDOWN));
  EXPECT_EQ(got[2].x, -200);  // signed client coordinates
  EXPECT_EQ(got[2].y, -220);

  EXPECT_TRUE(ReleaseCapture());
  EXPECT_EQ(MessagesOf(main).back(), static_cast<UINT>(WM_CAPTURECHANGED));
  EXPECT_FALSE(headless::PointerGrabbed());
  headless::ClickAt(3, 5, 1);
  EXPECT_TRUE(ButtonMessages().empty());
}

TEST_F(PointerTest, AMenuBarPressBecomesANonClientPressWithTheScreenPoint) {
  HMENU menu = LoadMenuW(rt::ProgramInstance(), MAKEINTRESOURCEW(IDR_MAIN_MENU));
  ASSERT_NE(menu, nullptr);
  HWND main = ShownMain(menu);
  headless::MoveMouse(215, 230);  // in the bar: its rows are 225 to 244
  headless::PressButton(1);
  headless::MoveMouse(215, 245);  // the client's first row
  headless::PressButton(3);
  std::vector<MSG> got = DrainQueue();
  ASSERT_EQ(got.size(), 4u);
  EXPECT_EQ(got[0].message, static_cast<UINT>(WM_NCMOUSEMOVE));
  EXPECT_EQ(got[1].message, static_cast<UINT>(WM_NCLBUTTONDOWN));
  EXPECT_EQ(got[1].hwnd, main);
  EXPECT_EQ(got[1].wParam, static_cast<WPARAM>(HTMENU));
  EXPECT_EQ(GET_X_LPARAM(got[1].lParam), 215);
  EXPECT_EQ(GET_Y_LPARAM(got[1].lParam), 230);
  EXPECT_EQ(got[3].message, static_cast<UINT>(WM_RBUTTONDOWN));
  EXPECT_EQ(GET_Y_LPARAM(got[3].lParam), 0);
  EXPECT_EQ(got[3].wParam, static_cast<WPARAM>(MK_LBUTTON | MK_RBUTTON));
  headless::ReleaseButton(1);
  headless::ReleaseButton(3);
  DestroyWindow(main);
  DestroyMenu(menu);
}

TEST_F(PointerTest, ACaptureHoldsEvenWhenTheGrabCannotBeHad) {
  HWND main = ShownMain();
  headless::FailNextGrabs(2);  // fails right after mapping, then works
  SetCapture(main);
  EXPECT_TRUE(headless::PointerGrabbed());

  ReleaseCapture();
  headless::FailNextGrabs(1000);
  SetCapture(main);
  EXPECT_EQ(GetCapture(), main);
  EXPECT_FALSE(headless::PointerGrabbed());
  // Input that reaches the window still goes where the capture says.
  headless::ClickClient(main, 20, 30, 1);
  std::vector<Press> got = ButtonMessages();
  ASSERT_EQ(got.size(), 2u);
  EXPECT_EQ(got[0].hwnd, main);
  EXPECT_EQ(got[0].x, 20);
  headless::FailNextGrabs(0);
  SetCapture(main);  // tries again
  EXPECT_TRUE(headless::PointerGrabbed());
}

TEST_F(PointerTest, CaptureMovesWithNoticeAndADisabledWindowLosesIt) {
  HWND main = ShownMain();
  HWND popup = ShownPopup(400, 300, 100, 80);
  SetCapture(main);
  EXPECT_EQ(SetCapture(popup), main);
  ASSERT_FALSE(Log().empty());
  bool noticed = false;
  for (const Logged& l : Log()) {
    noticed |= l.hwnd == main && l.message == WM_CAPTURECHANGED &&
               l.lParam == reinterpret_cast<LPARAM>(popup);
  }
  EXPECT_TRUE(noticed);
  EXPECT_EQ(SetCapture(main), popup);
  // A modal dialog disables its owner: the owner must not keep the mouse.
  EnableWindow(main, FALSE);
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_FALSE(headless::PointerGrabbed());
  EXPECT_EQ(SetCapture(main), nullptr);  // refused while disabled
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(SetCapture(reinterpret_cast<HWND>(&noticed)), nullptr);  // not a window
}

TEST_F(PointerTest, SetCursorPosKeepsThePointerOnTheScreen) {
  ShownMain();
  POINT p;
  SetCursorPos(500, 400);
  GetCursorPos(&p);
  EXPECT_EQ(p.x, 500);
  EXPECT_EQ(p.y, 400);
  SetCursorPos(-50, 5000);
  GetCursorPos(&p);
  EXPECT_EQ(p.x, 0);
  EXPECT_EQ(p.y, 1079);
  SetCursorPos(1920, -1);
  GetCursorPos(&p);
  EXPECT_EQ(p.x, 1919);
  EXPECT_EQ(p.y, 0);
  EXPECT_FALSE(GetCursorPos(nullptr));
  EXPECT_TRUE(DrainQueue().empty());  // placing the pointer is not a motion
}

// Points the program passes may be any int: the screen point beyond the
// int range is held at its end rather than wrapped (or, in the sanitizer
// build, an abort).
TEST_F(PointerTest, ClientAndScreenPointsNeverOverflow) {
  HWND main = ShownMain();  // client origin (203, 225)
  POINT p{INT_MAX - 100, INT_MIN + 100};
  EXPECT_TRUE(ClientToScreen(main, &p));
  EXPECT_EQ(p.x, INT_MAX);
  EXPECT_EQ(p.y, INT_MIN + 100 + 225);
  p = POINT{INT_MIN + 100, INT_MAX};
  EXPECT_TRUE(ScreenToClient(main, &p));
  EXPECT_EQ(p.x, INT_MIN);
  EXPECT_EQ(p.y, INT_MAX - 225);
  // A window placed at the end of the range keeps its origin there.
  HWND far = ShownPopup(INT_MAX, INT_MIN, 10, 10);
  ASSERT_NE(far, nullptr);
  p = POINT{5, -5};
  EXPECT_TRUE(ClientToScreen(far, &p));
  EXPECT_EQ(p.x, INT_MAX);
  EXPECT_EQ(p.y, INT_MIN);
}

TEST_F(PointerTest, ShowCursorCountsAndHidesOnlyBelowZeroTellingTheBackendOnChange) {
  HWND main = ShownMain();
  SetCapture(main);
  EXPECT_EQ(ShowCursor(FALSE), -1);
  EXPECT_TRUE(headless::PointerHidden());
  EXPECT_EQ(headless::PointerVisibilityCalls(), 1);
  EXPECT_EQ(ShowCursor(FALSE), -2);
  EXPECT_EQ(ShowCursor(TRUE), -1);
  EXPECT_TRUE(headless::PointerHidden());
  EXPECT_EQ(headless::PointerVisibilityCalls(), 1);
  EXPECT_EQ(ShowCursor(TRUE), 0);
  EXPECT_FALSE(headless::PointerHidden());
  EXPECT_EQ(headless::PointerVisibilityCalls(), 2);
  EXPECT_EQ(ShowCursor(TRUE), 1);
  EXPECT_EQ(ShowCursor(FALSE), 0);
  EXPECT_FALSE(headless::PointerHidden());
  EXPECT_EQ(headless::PointerVisibilityCalls(), 2);
  // Hidden over a window that goes away: nothing is left hidden.
  ShowCursor(FALSE);
  EXPECT_TRUE(headless::PointerHidden());
  DestroyWindow(main);
  EXPECT_FALSE(headless::PointerHidden());
}

}  // namespace
}  // namespace test
}  // namespace kv
