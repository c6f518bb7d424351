// A display may still be copying a presented frame when the program starts
// on the next one, so every path that draws into a window's pixels tells the
// backend first. The headless backend, told to check, counts pixels that
// changed after a present without that notice.
#include "platform/headless/headless_backend.h"
#include "platform/rt/resources.h"
#include "res/resource.h"
#include "tests/user/message_log.h"

namespace kv {
namespace test {
namespace {

using SurfaceWriteTest = LoggedWindowTest;

void Pump() {
  MSG msg{};
  for (int guard = 0; guard < 1000 && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE); ++guard) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

// Keys for a modal loop, one per idle pass; Escape once they run out, so a
// loop that did not end as planned still ends.
struct KeyScript {
  std::vector<std::pair<unsigned, bool>> keys;  // key, pressed (else released)
  size_t next = 0;
  int spare = 0;
};

void TypeNext(void* context) {
  auto* script = static_cast<KeyScript*>(context);
  if (script->next < script->keys.size()) {
    auto [vk, down] = script->keys[script->next++];
    wchar_t ch = vk == VK_SPACE ? L' ' : 0;
    if (down) {
      headless::PressKey(vk, ch);
    } else {
      headless::ReleaseKey(vk);
    }
  } else if (++script->spare > 3) {
    headless::TypeKey(VK_ESCAPE);
  }
}

TEST_F(SurfaceWriteTest, EveryDrawingPathAnnouncesItsWritesFirst) {
  headless::HeadlessBackend* backend = headless::Current();
  ASSERT_NE(backend, nullptr);
  backend->checkWrites = true;

  HMENU menu = LoadMenuW(rt::ProgramInstance(), MAKEINTRESOURCEW(IDR_MAIN_MENU));
  ASSERT_NE(menu, nullptr);
  HWND main = CreateMainGeometryWindow(LoggingProc, menu);
  ASSERT_NE(main, nullptr);
  ShowWindow(main, SW_SHOW);  // the menu bar is drawn, the surface shown

  // Frames as the game draws them: through the window's context, each one
  // different from the last.
  for (int frame = 0; frame < 4; ++frame) {
    HDC dc = GetDC(main);
    ASSERT_NE(dc, nullptr);
    HBRUSH brush = CreateSolidBrush(RGB(40 * frame, 200 - 30 * frame, 90));
    HGDIOBJ old = SelectObject(dc, brush);
    Rectangle(dc, 0, 0, 1000, 600);
    SelectObject(dc, old);
    DeleteObject(brush);
    ReleaseDC(main, dc);
  }
  int64_t presents = headless::PresentCount(main);

  // A menu opened from the keyboard: the bar's highlight, a drop-down and
  // its moving selection, the next title, then closed.
  KeyScript menuKeys{{{VK_DOWN, true}, {VK_DOWN, false}, {VK_DOWN, true}, {VK_DOWN, false},
                      {VK_RIGHT, true}, {VK_RIGHT, false}, {VK_DOWN, true}, {VK_DOWN, false},
                      {VK_ESCAPE, true}, {VK_ESCAPE, false}, {VK_ESCAPE, true}}};
  headless::SetModalIdleHook(TypeNext, &menuKeys);
  headless::TypeKey(VK_F10);
  Pump();
  EXPECT_EQ(menuKeys.next, menuKeys.keys.size()) << "the menu did not take the keys";
  EXPECT_EQ(menuKeys.spare, 0) << "the menu did not close on Escape";
  headless::ReleaseKey(VK_ESCAPE);

  // A message box whose button is pressed with the space bar, drawn sunken,
  // then released.
  KeyScript boxKeys{{{VK_SPACE, true}, {VK_SPACE, false}}};
  headless::SetModalIdleHook(TypeNext, &boxKeys);
  EXPECT_EQ(MessageBoxW(main, L"Window Creation Failed.", L"Error", MB_OK), IDOK);
  EXPECT_EQ(boxKeys.next, boxKeys.keys.size());
  headless::SetModalIdleHook(nullptr, nullptr);

  // One more frame after the modal loops.
  HDC dc = GetDC(main);
  HGDIOBJ old = SelectObject(dc, GetStockObject(WHITE_BRUSH));
  Rectangle(dc, 0, 0, 1000, 600);
  SelectObject(dc, old);
  ReleaseDC(main, dc);

  EXPECT_GT(headless::PresentCount(main), presents) << "the menu bar was never shown again";
  EXPECT_EQ(backend->unannouncedWrites, 0);
  DestroyWindow(main);
}

}  // namespace
}  // namespace test
}  // namespace kv
