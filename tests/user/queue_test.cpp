// The message queue: order, filters, the quit request, keys, translation,
// waiting, and what happens to input for a disabled window.
#include "tests/user/message_log.h"

namespace kv {
namespace test {
namespace {

using QueueTest = LoggedWindowTest;

HWND ShownWindow() {
  HWND w = CreateMainGeometryWindow(LoggingProc);
  ShowWindow(w, SW_SHOW);
  return w;
}

TEST_F(QueueTest, PostedMessagesComeFirstThenTheQuitRequestThenInput) {
  HWND w = ShownWindow();
  headless::MoveMouseClient(w, 100, 100);
  PostMessageW(w, WM_USER, 1, 0);
  PostMessageW(nullptr, WM_USER + 1, 0, 0);  // a thread message
  PostQuitMessage(5);
  PostMessageW(w, WM_USER + 2, 0, 0);

  MSG m;
  // Looking leaves the message where it is.
  ASSERT_TRUE(PeekMessageW(&m, nullptr, 0, 0, PM_NOREMOVE));
  EXPECT_EQ(m.message, static_cast<UINT>(WM_USER));
  std::vector<MSG> got = DrainQueue();
  std::vector<UINT> order;
  for (const MSG& g : got) order.push_back(g.message);
  EXPECT_EQ(order, (std::vector<UINT>{WM_USER, WM_USER + 1, WM_USER + 2, WM_QUIT, WM_MOUSEMOVE}));
  EXPECT_EQ(got[0].hwnd, w);
  EXPECT_EQ(got[0].wParam, 1u);
  EXPECT_EQ(got[1].hwnd, nullptr);
  EXPECT_EQ(got[3].wParam, 5u);
  EXPECT_EQ(got[3].hwnd, nullptr);
  EXPECT_FALSE(PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE));
  EXPECT_FALSE(PeekMessageW(nullptr, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(QueueTest, FiltersSelectByWindowAndRange) {
  HWND a = ShownWindow();
  WNDCLASSW wc{};
  wc.lpfnWndProc = LoggingProc;
  wc.lpszClassName = L"KvQueueB";
  RegisterClassW(&wc);
  HWND b = CreateWindowExW(0, L"KvQueueB", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr,
                      nullptr);
  ASSERT_NE(b, nullptr);
  PostMessageW(a, WM_USER, 0, 0);
  PostMessageW(b, WM_USER + 1, 0, 0);
  PostMessageW(a, WM_COMMAND, 0, 0);
  PostQuitMessage(0);

  MSG m;
  ASSERT_TRUE(PeekMessageW(&m, b, 0, 0, PM_REMOVE));
  EXPECT_EQ(m.message, static_cast<UINT>(WM_USER + 1));
  EXPECT_FALSE(PeekMessageW(&m, b, 0, 0, PM_REMOVE));  // the quit request is no window's
  ASSERT_TRUE(PeekMessageW(&m, nullptr, WM_COMMAND, WM_COMMAND, PM_REMOVE));
  EXPECT_EQ(m.message, static_cast<UINT>(WM_COMMAND));
  ASSERT_TRUE(PeekMessageW(&m, reinterpret_cast<HWND>(-1), 0, 0, PM_REMOVE));
  EXPECT_EQ(m.message, static_cast<UINT>(WM_QUIT));
  ASSERT_TRUE(PeekMessageW(&m, a, 0, 0, PM_REMOVE));
  EXPECT_EQ(m.message, static_cast<UINT>(WM_USER));
  EXPECT_FALSE(PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(QueueTest, KeysGoToTheFocusAndAltF10AndAltItselfAreSystemKeys) {
  HWND w = ShownWindow();
  headless::TypeKey('A', L'a');
  headless::TypeKey(VK_F10);
  headless::PressKey(VK_MENU);
  headless::TypeKey('F', L'f');  // with Alt held
  headless::ReleaseKey(VK_MENU);
  std::vector<MSG> got = DrainQueue();
  std::vector<UINT> order;
  for (const MSG& g : got) {
    EXPECT_EQ(g.hwnd, w);
    order.push_back(g.message);
  }
  EXPECT_EQ(order, (std::vector<UINT>{WM_KEYDOWN, WM_KEYUP, WM_SYSKEYDOWN, WM_SYSKEYUP,
                                      WM_SYSKEYDOWN, WM_SYSKEYDOWN, WM_SYSKEYUP, WM_SYSKEYUP}));
  ASSERT_EQ(got.size(), 8u);
  EXPECT_EQ(got[0].wParam, static_cast<WPARAM>('A'));
  EXPECT_EQ(got[0].lParam & (LPARAM(1) << 29), 0);
  EXPECT_NE(got[1].lParam & (LPARAM(1) << 31), 0);  // a release
  EXPECT_NE(got[5].lParam & (LPARAM(1) << 29), 0);  // Alt held

  // Translation posts the typed character: WM_CHAR, or WM_SYSCHAR with Alt.
  TranslateMessage(&got[0]);
  TranslateMessage(&got[1]);  // a release types nothing
  TranslateMessage(&got[2]);  // F10 types nothing
  TranslateMessage(&got[5]);
  std::vector<MSG> chars = DrainQueue();
  ASSERT_EQ(chars.size(), 2u);
  EXPECT_EQ(chars[0].message, static_cast<UINT>(WM_CHAR));
  EXPECT_EQ(chars[0].wParam, static_cast<WPARAM>(L'a'));
  EXPECT_EQ(chars[1].message, static_cast<UINT>(WM_SYSCHAR));
  EXPECT_EQ(chars[1].wParam, static_cast<WPARAM>(L'f'));
  EXPECT_FALSE(TranslateMessage(nullptr));
}

TEST_F(QueueTest, ADisabledWindowGetsNoInputUntilEnabledAgain) {
  HWND w = ShownWindow();
  EXPECT_FALSE(EnableWindow(w, FALSE));  // it was enabled
  EXPECT_FALSE(IsWindowEnabled(w));
  EXPECT_EQ(GetFocus(), nullptr);
  headless::ClickClient(w, 10, 10, 1);
  headless::TypeKey(VK_RETURN, L'\r');
  headless::RequestClose(w);
  EXPECT_TRUE(DrainQueue().empty());
  EXPECT_TRUE(IsWindow(w));

  EXPECT_TRUE(EnableWindow(w, TRUE));  // it was disabled
  EXPECT_EQ(GetActiveWindow(), w);
  EXPECT_EQ(GetFocus(), w);
  headless::ClickClient(w, 10, 10, 1);
  headless::TypeKey(VK_RETURN, L'\r');
  headless::RequestClose(w);
  std::vector<UINT> order;
  for (const MSG& g : DrainQueue()) order.push_back(g.message);
  EXPECT_EQ(order, (std::vector<UINT>{WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_KEYDOWN,
                                      WM_KEYUP, WM_CLOSE}));
  std::vector<UINT> enableMessages;
  for (UINT m : MessagesOf(w)) {
    if (m == WM_ENABLE) enableMessages.push_back(m);
  }
  EXPECT_EQ(enableMessages.size(), 2u);
}

TEST_F(QueueTest, TheCloseBoxReachesTheProcedureAndDestroysTheWindowByDefault) {
  HWND w = ShownWindow();
  headless::RequestClose(w);
  MSG m;
  ASSERT_TRUE(PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(m.message, static_cast<UINT>(WM_CLOSE));
  DispatchMessageW(&m);
  EXPECT_FALSE(IsWindow(w));
  EXPECT_EQ(DispatchMessageW(&m), 0);  // to a window that is gone: nothing
}

TEST_F(QueueTest, AnExposeShowsTheLastFrameAgainWithoutAMessage) {
  HWND w = ShownWindow();
  int64_t before = headless::PresentCount(w);
  headless::Expose(w);
  EXPECT_TRUE(DrainQueue().empty());
  EXPECT_EQ(headless::PresentCount(w), before + 1);
  RECT r = headless::LastPresentRect(w);
  EXPECT_EQ(r.right - r.left, 1000);
  EXPECT_EQ(r.bottom - r.top, 620);
}

TEST_F(QueueTest, AModalDialogTakesTheKeysAndItsOwnerGetsThemBackAfterwards) {
  HWND main = ShownWindow();
  WNDCLASSW wc{};
  wc.lpfnWndProc = LoggingProc;
  wc.lpszClassName = L"KvQueueDialog";
  RegisterClassW(&wc);
  // The order a dialog manager uses: disable the owner, show the dialog,
  // enable the owner, destroy the dialog.
  for (bool enableFirst : {true, false}) {
    EnableWindow(main, FALSE);
    HWND dialog = CreateWindowExW(0, L"KvQueueDialog", L"About", WS_POPUP | WS_CAPTION, 300, 300,
                                  200, 100, main, nullptr, nullptr, nullptr);
    ShowWindow(dialog, SW_SHOW);
    EXPECT_EQ(GetActiveWindow(), dialog);
    headless::TypeKey(VK_ESCAPE);
    headless::ClickClient(main, 10, 10, 1);  // the owner takes no clicks meanwhile
    std::vector<MSG> got = DrainQueue();
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0].hwnd, dialog);
    EXPECT_EQ(got[0].message, static_cast<UINT>(WM_KEYDOWN));
    if (enableFirst) EnableWindow(main, TRUE);
    DestroyWindow(dialog);
    if (!enableFirst) EnableWindow(main, TRUE);
    EXPECT_EQ(GetActiveWindow(), main);
    EXPECT_EQ(GetFocus(), main);
    headless::TypeKey(VK_ESCAPE);
    got = DrainQueue();
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0].hwnd, main);
  }
}

struct IdleScript {
  HWND window;
  int passes = 0;
};

void ClickOnThirdPass(void* context) {
  auto* script = static_cast<IdleScript*>(context);
  if (++script->passes == 3) headless::ClickClient(script->window, 5, 5, 3);
}

TEST_F(QueueTest, GetMessageWaitsThroughTheBackendAndEndsOnQuit) {
  HWND w = ShownWindow();
  IdleScript script{w};
  headless::SetModalIdleHook(ClickOnThirdPass, &script);
  MSG m;
  EXPECT_EQ(GetMessageW(&m, nullptr, 0, 0), TRUE);
  EXPECT_EQ(script.passes, 3);  // one hook call per wait
  EXPECT_EQ(m.message, static_cast<UINT>(WM_MOUSEMOVE));
  EXPECT_EQ(GetMessageW(&m, nullptr, WM_RBUTTONDOWN, WM_RBUTTONDOWN), TRUE);
  EXPECT_EQ(m.message, static_cast<UINT>(WM_RBUTTONDOWN));
  PostQuitMessage(9);
  EXPECT_EQ(GetMessageW(&m, nullptr, 0, 0), FALSE);
  EXPECT_EQ(m.wParam, 9u);
  EXPECT_EQ(GetMessageW(nullptr, nullptr, 0, 0), -1);
  headless::SetModalIdleHook(nullptr, nullptr);
}

TEST_F(QueueTest, SendCallsTheProcedureDirectlyAndDispatchDeliversPostedMessages) {
  HWND w = ShownWindow();
  SetReply(WM_USER, 42);
  EXPECT_EQ(SendMessageW(w, WM_USER, 7, 8), 42);
  EXPECT_EQ(Log().back().wParam, 7u);
  EXPECT_EQ(SendMessageW(nullptr, WM_USER, 0, 0), 0);
  PostMessageW(w, WM_USER, 1, 2);
  MSG m;
  ASSERT_TRUE(PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(DispatchMessageW(&m), 42);
  EXPECT_EQ(Log().back().lParam, 2);
}

}  // namespace
}  // namespace test
}  // namespace kv
