// Window classes, creation and destruction, geometry, showing and titles.
#include <cstdlib>

#include "platform/backend.h"
#include "platform/gdi/gdi_internal.h"
#include "platform/rt/resources.h"
#include "platform/user/user_internal.h"
#include "platform/user/window.h"
#include "res/resource.h"
#include "tests/user/message_log.h"

namespace kv {
namespace test {
namespace {

using WindowTest = LoggedWindowTest;

// What the procedure could see of its window while WM_CREATE ran.
struct SeenAtCreate {
  bool live = false;
  RECT client{};
  bool surface = false;
  CREATESTRUCTW cs{};
  std::wstring name;
};
SeenAtCreate gSeen;

LRESULT CALLBACK InspectingProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  if (m == WM_CREATE) {
    gSeen.live = IsWindow(w) != FALSE;
    GetClientRect(w, &gSeen.client);
    PixelSurface s;
    gSeen.surface = user::ClientSurface(w, &s) && s.pixels != nullptr;
    gSeen.cs = *reinterpret_cast<CREATESTRUCTW*>(lp);
    gSeen.name = gSeen.cs.lpszName;
  }
  return LoggingProc(w, m, wp, lp);
}

HMENU MainMenu() {
  return LoadMenuW(rt::ProgramInstance(), MAKEINTRESOURCEW(IDR_MAIN_MENU));
}

TEST_F(WindowTest, ClassesAreUniqueByNameAndFoundByNameOrAtom) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = LoggingProc;
  wc.lpszClassName = L"Pitch";
  ATOM atom = RegisterClassW(&wc);
  EXPECT_NE(atom, 0);
  wc.lpszClassName = L"PITCH";  // names do not depend on case
  EXPECT_EQ(RegisterClassW(&wc), 0);
  wc.lpszClassName = L"Other";
  wc.lpfnWndProc = nullptr;
  EXPECT_EQ(RegisterClassW(&wc), 0);
  EXPECT_EQ(RegisterClassW(nullptr), 0);

  HWND byAtom = CreateWindowExW(0, MAKEINTRESOURCEW(atom), L"", WS_POPUP, 0, 0, 10, 10, nullptr,
                                nullptr, nullptr, nullptr);
  EXPECT_NE(byAtom, nullptr);
  EXPECT_EQ(CreateWindowExW(0, L"Missing", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr,
                            nullptr),
            nullptr);
  EXPECT_EQ(LoadIconW(nullptr, IDI_APPLICATION), LoadIconW(nullptr, IDI_APPLICATION));
  EXPECT_NE(LoadIconW(nullptr, IDI_APPLICATION), nullptr);
  EXPECT_NE(LoadCursorW(nullptr, IDC_ARROW), nullptr);
}

TEST_F(WindowTest, CreationDeliversNcCreateAndCreateWithTheNewWindowBeforeReturning) {
  int param = 0;
  gSeen = SeenAtCreate{};
  HWND w = CreateMainGeometryWindow(InspectingProc, nullptr, &param);
  ASSERT_NE(w, nullptr);
  std::vector<UINT> got = MessagesOf();
  ASSERT_GE(got.size(), 2u);
  EXPECT_EQ(got[0], static_cast<UINT>(WM_NCCREATE));
  EXPECT_EQ(got[1], static_cast<UINT>(WM_CREATE));
  EXPECT_EQ(Log()[0].hwnd, w);
  EXPECT_EQ(Log()[1].hwnd, w);
  // The procedure could already use its window: the game builds its back
  // buffer on the client area from inside WM_CREATE.
  EXPECT_TRUE(gSeen.live);
  EXPECT_TRUE(gSeen.surface);
  EXPECT_EQ(gSeen.client.right, 1000);
  EXPECT_EQ(gSeen.client.bottom, 620);
  EXPECT_EQ(gSeen.cs.lpCreateParams, &param);
  EXPECT_EQ(gSeen.cs.x, kMainX);
  EXPECT_EQ(gSeen.cs.cy, kMainHeight);
  EXPECT_EQ(gSeen.name, L"Kelvara");
  EXPECT_EQ(headless::VisibleWindowCount(), 0);  // not shown until asked
}

TEST_F(WindowTest, RefusedCreationReturnsNullAndLeavesNoWindow) {
  SetReply(WM_CREATE, -1);
  EXPECT_EQ(CreateMainGeometryWindow(LoggingProc), nullptr);
  EXPECT_EQ(MessagesOf(), (std::vector<UINT>{WM_NCCREATE, WM_CREATE, WM_DESTROY, WM_NCDESTROY}));
  EXPECT_FALSE(IsWindow(Log()[0].hwnd));

  Log().clear();
  SetReply(WM_CREATE, 0);
  SetReply(WM_NCCREATE, FALSE);
  EXPECT_EQ(CreateMainGeometryWindow(LoggingProc), nullptr);
  EXPECT_EQ(MessagesOf(), (std::vector<UINT>{WM_NCCREATE, WM_NCDESTROY}));
  EXPECT_FALSE(IsWindow(Log()[0].hwnd));

  // An unknown class or a size no surface can have fails cleanly.
  SetReply(WM_NCCREATE, TRUE);
  EXPECT_EQ(CreateWindowExW(0, L"Missing", nullptr, WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                            nullptr, nullptr),
            nullptr);
  Log().clear();
  WNDCLASSW wc{};
  wc.lpfnWndProc = LoggingProc;
  wc.lpszClassName = L"KvHuge";
  RegisterClassW(&wc);
  EXPECT_EQ(CreateWindowExW(0, L"KvHuge", nullptr, WS_POPUP, 0, 0, 1 << 30, 1 << 30, nullptr,
                            nullptr, nullptr, nullptr),
            nullptr);
  // Negative sizes give an empty client area, not a failure.
  EXPECT_NE(CreateWindowExW(0, L"KvHuge", nullptr, WS_SYSMENU, 0, 0, INT32_MIN, INT32_MIN + 1,
                            nullptr, nullptr, nullptr, nullptr),
            nullptr);
  EXPECT_EQ(MessagesOf().front(), static_cast<UINT>(WM_NCCREATE));
}

// A reset (a newly installed screen) leaves nothing of the windowing layer
// behind: no window, no window context, no menu, no installed backend.
TEST_F(WindowTest, AResetLeavesNothingOfTheWindowingLayerBehind) {
  const int64_t dcs = gdi::LiveDCCount();
  HWND window = CreateMainGeometryWindow(LoggingProc, MainMenu());
  ASSERT_NE(window, nullptr);
  HMENU spare = MainMenu();
  ASSERT_NE(GetDC(window), nullptr);  // kept for the window
  EXPECT_EQ(gdi::LiveDCCount(), dcs + 1);
  Backend* screen = ActiveBackend();
  ASSERT_NE(screen, nullptr);

  user::ResetWindowing();
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(gdi::LiveDCCount(), dcs);
  EXPECT_EQ(GetMenuState(spare, 0, MF_BYPOSITION), static_cast<UINT>(-1));
  EXPECT_FALSE(DestroyMenu(spare));
  EXPECT_EQ(ActiveBackend(), nullptr);
  InstallBackend(screen);  // the fixture's screen, for its teardown
}

TEST_F(WindowTest, NoDisplayMeansNoWindow) {
  // Without a backend (no X display) creation fails instead of crashing.
  unsetenv("DISPLAY");
  headless::Uninstall();
  WNDCLASSW wc{};
  wc.lpfnWndProc = LoggingProc;
  wc.lpszClassName = L"Headless-less";
  RegisterClassW(&wc);
  EXPECT_EQ(CreateWindowExW(0, L"Headless-less", L"", WS_SYSMENU, 0, 0, 100, 100, nullptr,
                            nullptr, nullptr, nullptr),
            nullptr);
  POINT p{1, 2};
  EXPECT_FALSE(GetCursorPos(&p));
  MSG m;
  EXPECT_FALSE(PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE));
  headless::Install();
}

TEST_F(WindowTest, DestroyTakesOwnedWindowsFirstThenSendsDestroyMessagesBeforeReturning) {
  HWND main = CreateMainGeometryWindow(LoggingProc);
  HWND dialog = CreateWindowExW(0, L"KvTestDialog", L"", WS_POPUP | WS_CAPTION, 0, 0, 50, 50,
                                main, nullptr, nullptr, nullptr);
  EXPECT_EQ(dialog, nullptr);  // class not registered yet
  WNDCLASSW wc{};
  wc.lpfnWndProc = LoggingProc;
  wc.lpszClassName = L"KvTestDialog";
  RegisterClassW(&wc);
  dialog = CreateWindowExW(0, L"KvTestDialog", L"", WS_POPUP | WS_CAPTION, 0, 0, 50, 50, main,
                           nullptr, nullptr, nullptr);
  HWND child = CreateWindowExW(0, L"KvTestDialog", L"", WS_CHILD, 5, 5, 20, 20, main, nullptr,
                               nullptr, nullptr);
  ASSERT_TRUE(main && dialog && child);
  ShowWindow(main, SW_SHOW);
  SetCapture(main);
  Log().clear();

  EXPECT_TRUE(DestroyWindow(main));
  std::vector<Logged> expected = {
      {dialog, WM_DESTROY, 0, 0}, {dialog, WM_NCDESTROY, 0, 0}, {main, WM_CAPTURECHANGED, 0, 0},
      {main, WM_DESTROY, 0, 0},   {child, WM_DESTROY, 0, 0},    {child, WM_NCDESTROY, 0, 0},
      {main, WM_NCDESTROY, 0, 0}};
  ASSERT_EQ(Log().size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(Log()[i].hwnd, expected[i].hwnd) << i;
    EXPECT_EQ(Log()[i].message, expected[i].message) << i;
  }
  EXPECT_FALSE(IsWindow(main) || IsWindow(dialog) || IsWindow(child));
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_FALSE(headless::PointerGrabbed());
  EXPECT_EQ(headless::VisibleWindowCount(), 0);
  EXPECT_FALSE(DestroyWindow(main));  // a stale handle is refused
  EXPECT_EQ(GetActiveWindow(), nullptr);
}

LRESULT CALLBACK PostsWhileDying(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  if (m == WM_DESTROY) {
    PostMessageW(w, WM_USER, 0, 0);  // addressed to a window about to go
    PostQuitMessage(3);
    DestroyWindow(w);  // re-entry is refused
  }
  return LoggingProc(w, m, wp, lp);
}

TEST_F(WindowTest, MessagesForADestroyedWindowAreDroppedButTheQuitRequestStays) {
  HWND w = CreateMainGeometryWindow(PostsWhileDying);
  PostMessageW(w, WM_USER + 1, 0, 0);
  DestroyWindow(w);
  EXPECT_EQ(MessagesOf(w).back(), static_cast<UINT>(WM_NCDESTROY));
  std::vector<MSG> left = DrainQueue();
  ASSERT_EQ(left.size(), 1u);
  EXPECT_EQ(left[0].message, static_cast<UINT>(WM_QUIT));
  EXPECT_EQ(left[0].wParam, 3u);
  EXPECT_FALSE(PostMessageW(w, WM_USER, 0, 0));
}

TEST_F(WindowTest, MainGeometryGivesAThousandBySixHundredClientBelowTheMenu) {
  HMENU menu = MainMenu();
  ASSERT_NE(menu, nullptr);
  HWND w = CreateMainGeometryWindow(LoggingProc, menu);
  ASSERT_NE(w, nullptr);
  RECT client, outer;
  GetClientRect(w, &client);
  GetWindowRect(w, &outer);
  EXPECT_EQ(client.right, 1000);
  EXPECT_EQ(client.bottom, 600);
  EXPECT_EQ(outer.left, 200);
  EXPECT_EQ(outer.top, 200);
  EXPECT_EQ(outer.right, 1207);
  EXPECT_EQ(outer.bottom, 849);

  POINT p{0, 0};
  ClientToScreen(w, &p);
  EXPECT_EQ(p.x, 203);
  EXPECT_EQ(p.y, 245);
  p = POINT{150, 300};
  ClientToScreen(w, &p);
  EXPECT_EQ(p.x, 353);
  EXPECT_EQ(p.y, 545);
  ScreenToClient(w, &p);
  EXPECT_EQ(p.x, 150);
  EXPECT_EQ(p.y, 300);

  // The surface is the menu bar plus the client area; the client view
  // starts below the bar.
  PixelSurface whole = headless::PresentedSurface(w);
  PixelSurface view = headless::PresentedClient(w);
  EXPECT_EQ(whole.width, 1000);
  EXPECT_EQ(whole.height, 620);
  EXPECT_EQ(view.width, 1000);
  EXPECT_EQ(view.height, 600);
  EXPECT_EQ(view.pixels, whole.pixels + 20 * whole.stride);
  DestroyWindow(w);
}

TEST_F(WindowTest, DestroyingAWindowTakesItsMenuAndItsDrawingContextAlong) {
  HMENU menu = MainMenu();
  HWND w = CreateMainGeometryWindow(LoggingProc, menu);
  ASSERT_NE(w, nullptr);
  HDC dc = GetDC(w);
  ASSERT_NE(dc, nullptr);
  ReleaseDC(w, dc);
  EXPECT_NE(GetMenuState(menu, IDM_EASY, MF_BYCOMMAND), static_cast<UINT>(-1));
  DestroyWindow(w);
  // The menu is gone: a stale handle reads as no menu. (The window's cached
  // DC is freed too; the leak-checking build would report it otherwise.)
  EXPECT_EQ(GetMenuState(menu, IDM_EASY, MF_BYCOMMAND), static_cast<UINT>(-1));
  EXPECT_EQ(DestroyMenu(menu), FALSE);
}

TEST_F(WindowTest, PopupsArePlacedAndSizedAsGiven) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = LoggingProc;
  wc.lpszClassName = L"KvPopup";
  RegisterClassW(&wc);
  HWND w = CreateWindowExW(0, L"KvPopup", L"About", WS_POPUP | WS_CAPTION, 300, 310, 200, 100,
                           nullptr, nullptr, nullptr, nullptr);
  RECT client;
  GetClientRect(w, &client);
  EXPECT_EQ(client.right, 200);
  EXPECT_EQ(client.bottom, 100);
  POINT p{0, 0};
  ClientToScreen(w, &p);
  EXPECT_EQ(p.x, 300);
  EXPECT_EQ(p.y, 310);
  // A frame too small for the decorations leaves an empty client area.
  HWND tiny = CreateWindowExW(0, L"KvPopup", L"", WS_SYSMENU, 0, 0, 5, 5, nullptr, nullptr,
                              nullptr, nullptr);
  ASSERT_NE(tiny, nullptr);
  GetClientRect(tiny, &client);
  EXPECT_EQ(client.right, 0);
  EXPECT_EQ(client.bottom, 0);
}

TEST_F(WindowTest, ShowPresentsAndActivatesAndUpdatePaintsOnce) {
  HWND w = CreateMainGeometryWindow(LoggingProc);
  EXPECT_EQ(headless::PresentCount(w), 0);
  EXPECT_FALSE(UpdateWindow(nullptr));
  UpdateWindow(w);  // hidden: nothing to paint
  EXPECT_EQ(MessagesOf(w).back(), static_cast<UINT>(WM_CREATE));

  EXPECT_FALSE(ShowWindow(w, SW_SHOWNORMAL));  // it was hidden
  EXPECT_EQ(headless::VisibleWindowCount(), 1);
  EXPECT_EQ(headless::PresentCount(w), 1);
  RECT r = headless::LastPresentRect(w);
  EXPECT_EQ(r.right - r.left, 1000);
  EXPECT_EQ(r.bottom - r.top, 620);
  EXPECT_EQ(GetActiveWindow(), w);
  EXPECT_EQ(GetFocus(), w);

  Log().clear();
  UpdateWindow(w);
  UpdateWindow(w);
  EXPECT_EQ(MessagesOf(w), std::vector<UINT>{WM_PAINT});

  EXPECT_TRUE(ShowWindow(w, SW_HIDE));
  EXPECT_EQ(headless::VisibleWindowCount(), 0);
  EXPECT_EQ(GetActiveWindow(), nullptr);
}

TEST_F(WindowTest, TitlesAreKeptAndShownAndCopiedWithinCapacity) {
  HWND w = CreateMainGeometryWindow(LoggingProc);
  EXPECT_EQ(headless::Title(w), L"Kelvara");
  EXPECT_TRUE(SetWindowTextW(w, L"Kelvara - Time Ellapsed: 12 - FPS: 900"));
  EXPECT_EQ(headless::Title(w), L"Kelvara - Time Ellapsed: 12 - FPS: 900");
  wchar_t buf[8];
  EXPECT_EQ(GetWindowTextW(w, buf, 8), 7);
  EXPECT_STREQ(buf, L"Kelvara");
  EXPECT_EQ(GetWindowTextW(w, buf, 0), 0);
  SetWindowTextW(w, nullptr);
  EXPECT_EQ(GetWindowTextW(w, buf, 8), 0);
  EXPECT_STREQ(buf, L"");
  DestroyWindow(w);
  EXPECT_EQ(GetWindowTextW(w, buf, 8), 0);
  EXPECT_FALSE(SetWindowTextW(w, L"x"));
}

TEST_F(WindowTest, DefaultHandlingClosesOnRequestAndIgnoresTheRest) {
  HWND w = CreateMainGeometryWindow(LoggingProc);
  ShowWindow(w, SW_SHOW);
  EXPECT_EQ(DefWindowProcW(w, WM_USER, 1, 2), 0);
  EXPECT_EQ(DefWindowProcW(w, WM_LBUTTONDOWN, 0, 0), 0);
  EXPECT_TRUE(IsWindow(w));
  Log().clear();
  SendMessageW(w, WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_FALSE(IsWindow(w));
  EXPECT_EQ(MessagesOf(w),
            (std::vector<UINT>{WM_SYSCOMMAND, WM_CLOSE, WM_DESTROY, WM_NCDESTROY}));
}

TEST_F(WindowTest, ClientPresentsAreClippedAndPlacedBelowTheMenuBar) {
  HMENU menu = MainMenu();
  HWND w = CreateMainGeometryWindow(LoggingProc, menu);
  ShowWindow(w, SW_SHOW);
  int64_t before = headless::PresentCount(w);
  user::PresentClient(w, 10, 20, 30, 40);
  RECT r = headless::LastPresentRect(w);
  EXPECT_EQ(headless::PresentCount(w), before + 1);
  EXPECT_EQ(r.left, 10);
  EXPECT_EQ(r.top, 40);
  EXPECT_EQ(r.right, 40);
  EXPECT_EQ(r.bottom, 80);
  user::PresentClient(w, -5, -5, 5000, 5000);
  r = headless::LastPresentRect(w);
  EXPECT_EQ(r.left, 0);
  EXPECT_EQ(r.top, 20);
  EXPECT_EQ(r.right, 1000);
  EXPECT_EQ(r.bottom, 620);
  user::PresentClient(w, 2000, 0, 10, 10);  // nothing of it is on the window
  EXPECT_EQ(headless::PresentCount(w), before + 2);
  PixelSurface s;
  EXPECT_FALSE(user::ClientSurface(reinterpret_cast<HWND>(&s), &s));  // not a window
  DestroyWindow(w);
  DestroyMenu(menu);
}

TEST_F(WindowTest, InstallingAgainDropsEarlierWindowsAndClasses) {
  HWND w = CreateMainGeometryWindow(LoggingProc);
  PostQuitMessage(1);
  headless::Install();
  EXPECT_FALSE(IsWindow(w));
  MSG m;
  EXPECT_FALSE(PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE));
  EXPECT_NE(CreateMainGeometryWindow(LoggingProc), nullptr);  // the class registers anew
}

}  // namespace
}  // namespace test
}  // namespace kv
