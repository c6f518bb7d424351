// Menus: loading, check marks, the bar's pixels, and tracking by mouse and
// keyboard, each ending in the right WM_COMMAND or none.
#include <gtest/gtest.h>

#include <vector>

#include "platform/gdi/gdi_internal.h"
#include "platform/headless/headless.h"
#include "platform/rt/resources.h"
#include "platform/user/menu.h"
#include "platform/win32.h"
#include "tests/menu/modal_script.h"
#include "tests/menu/resource_templates.h"
#include "tests/support/res_image_builder.h"

namespace {

using kvtest::ModalScript;
using kvtest::PumpMessages;

struct Seen {
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};
std::vector<Seen> gSeen;

LRESULT CALLBACK RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
    case WM_INITMENU:
    case WM_INITMENUPOPUP:
    case WM_LBUTTONDOWN:
    case WM_KEYDOWN:
      gSeen.push_back(Seen{message, wParam, lParam});
      return 0;
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

std::vector<WPARAM> Commands() {
  std::vector<WPARAM> ids;
  for (const Seen& s : gSeen) {
    if (s.message == WM_COMMAND) ids.push_back(s.wParam);
  }
  return ids;
}

int Count(UINT message) {
  int n = 0;
  for (const Seen& s : gSeen) n += s.message == message;
  return n;
}

// Text is smoothed: its core pixels are near black.
bool Dark(uint32_t rgb) {
  return ((rgb >> 16) & 0xFF) < 0x60 && ((rgb >> 8) & 0xFF) < 0x60 && (rgb & 0xFF) < 0x60;
}

class MenuTest : public ::testing::Test {
 protected:
  void SetUp() override {
    kv::headless::Install();
    gSeen.clear();
    image_.Add(RT_MENU_ID, 106, kvtest::ResImageBuilder::kEnglish, kvtest::MainMenuTemplate());
    image_.Add(RT_MENU_ID, 107, kvtest::ResImageBuilder::kEnglish, {1, 2, 3});  // truncated: malformed
    instance_ = kv::rt::CreateInstanceFromRes(image_.bytes().data(), image_.bytes().size());
    ASSERT_NE(instance_, nullptr);
    menu_ = LoadMenuW(instance_, MAKEINTRESOURCEW(106));
    ASSERT_NE(menu_, nullptr);
  }
  void TearDown() override {
    if (window_ && IsWindow(window_)) DestroyWindow(window_);
    DestroyMenu(menu_);  // refused harmlessly if the window took it along
    kv::rt::DestroyInstance(instance_);
    kv::headless::Uninstall();
  }

  // The game's main window with the menu, shown.
  HWND OpenWindow() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = RecordingProc;
    wc.hInstance = instance_;
    wc.lpszClassName = L"MenuTestWindow";
    RegisterClassW(&wc);
    window_ = CreateWindowExW(0, L"MenuTestWindow", L"Kelvara", WS_SYSMENU, 200, 200, 1007, 649,
                              nullptr, menu_, instance_, nullptr);
    EXPECT_NE(window_, nullptr);
    ShowWindow(window_, SW_SHOWNORMAL);
    UpdateWindow(window_);
    PumpMessages();
    gSeen.clear();
    return window_;
  }

  // Screen point in the middle of bar title `index`.
  POINT TitlePoint(int index) {
    std::vector<RECT> titles = kv::user::MenuBarTitleRects(kv::user::LiveWindow(window_));
    EXPECT_LT(index, static_cast<int>(titles.size()));
    POINT origin{0, 0};
    ClientToScreen(window_, &origin);
    const RECT& r = titles[index];
    return POINT{origin.x + (r.left + r.right) / 2, origin.y - kv::user::MenuBarHeight() + 10};
  }

  // Screen point in the middle of item `index` of the open drop-down.
  static POINT ItemPoint(int index) {
    RECT drop{};
    int itemHeight = 0;
    EXPECT_TRUE(kv::user::OpenDropDown(&drop, &itemHeight));
    return POINT{(drop.left + drop.right) / 2, drop.top + 3 + index * itemHeight + itemHeight / 2};
  }

  static void ClickAt(POINT p) { kv::headless::ClickAt(p.x, p.y, 1); }

  kvtest::ResImageBuilder image_;
  HINSTANCE instance_ = nullptr;
  HMENU menu_ = nullptr;
  HWND window_ = nullptr;
};

TEST_F(MenuTest, LoadingRefusesMissingAndMalformedMenus) {
  EXPECT_EQ(LoadMenuW(instance_, MAKEINTRESOURCEW(999)), nullptr);
  EXPECT_EQ(LoadMenuW(instance_, MAKEINTRESOURCEW(107)), nullptr);
  EXPECT_EQ(LoadMenuW(nullptr, MAKEINTRESOURCEW(106)), nullptr);
}

TEST_F(MenuTest, CheckMenuItemReturnsThePreviousStateAndFindsItemsInEveryDropDown) {
  EXPECT_EQ(CheckMenuItem(menu_, 160, MF_CHECKED), static_cast<DWORD>(MF_UNCHECKED));
  EXPECT_EQ(CheckMenuItem(menu_, 160, MF_CHECKED), static_cast<DWORD>(MF_CHECKED));
  EXPECT_EQ(GetMenuState(menu_, 160, MF_BYCOMMAND), static_cast<UINT>(MF_CHECKED));

  // Moving the check as the difficulty commands do.
  EXPECT_EQ(CheckMenuItem(menu_, 160, MF_UNCHECKED), static_cast<DWORD>(MF_CHECKED));
  EXPECT_EQ(CheckMenuItem(menu_, 163, MF_CHECKED), static_cast<DWORD>(MF_UNCHECKED));
  EXPECT_EQ(GetMenuState(menu_, 160, MF_BYCOMMAND), static_cast<UINT>(MF_UNCHECKED));
  EXPECT_EQ(GetMenuState(menu_, 163, MF_BYCOMMAND), static_cast<UINT>(MF_CHECKED));
  // Items of the other drop-downs are found and untouched.
  EXPECT_EQ(GetMenuState(menu_, 108, MF_BYCOMMAND), 0u);
  EXPECT_EQ(CheckMenuItem(menu_, 107, MF_CHECKED), static_cast<DWORD>(MF_UNCHECKED));

  // No such item, no menu.
  EXPECT_EQ(CheckMenuItem(menu_, 110, MF_CHECKED), static_cast<DWORD>(-1));
  EXPECT_EQ(CheckMenuItem(nullptr, 160, MF_CHECKED), static_cast<DWORD>(-1));
  EXPECT_EQ(GetMenuState(menu_, 0, MF_BYCOMMAND), static_cast<UINT>(-1));

  // A drop-down by position: a popup with its item count in the high byte.
  EXPECT_EQ(GetMenuState(menu_, 1, MF_BYPOSITION), (4u << 8) | MF_POPUP);
  EXPECT_EQ(GetMenuState(menu_, 3, MF_BYPOSITION), static_cast<UINT>(-1));

  // A destroyed menu's handle is refused, not read.
  HMENU other = LoadMenuW(instance_, MAKEINTRESOURCEW(106));
  ASSERT_NE(other, nullptr);
  EXPECT_TRUE(DestroyMenu(other));
  EXPECT_EQ(CheckMenuItem(other, 160, MF_CHECKED), static_cast<DWORD>(-1));
  EXPECT_FALSE(DestroyMenu(other));
}

TEST_F(MenuTest, TheBarShowsTheTitlesWithUnderlinedAccessKeys) {
  OpenWindow();
  kv::PixelSurface shown = kv::headless::PresentedSurface(window_);
  ASSERT_NE(shown.pixels, nullptr);
  auto at = [&](int x, int y) { return shown.pixels[y * shown.stride + x] & 0xFFFFFF; };
  auto isDark = [&](int x, int y) { return Dark(at(x, y)); };
  const uint32_t face = 0xD4D0C8;
  const int bar = kv::user::MenuBarHeight();
  ASSERT_EQ(bar, 20);

  std::vector<RECT> titles = kv::user::MenuBarTitleRects(kv::user::LiveWindow(window_));
  ASSERT_EQ(titles.size(), 3u);
  for (size_t i = 0; i < titles.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_GT(titles[i].right - titles[i].left, 12);
    if (i > 0) {
      EXPECT_EQ(titles[i].left, titles[i - 1].right);  // side by side, no overlap
    }
    // Black text inside each title.
    int dark = 0;
    for (int y = 0; y < bar; ++y) {
      for (int x = titles[i].left; x < titles[i].right; ++x) dark += isDark(x, y);
    }
    EXPECT_GT(dark, 10);
    // The access key (the first letter) is underlined: a dark run of at
    // least three pixels low in the bar, starting where the text starts.
    bool underline = false;
    for (int y = 12; y < bar && !underline; ++y) {
      int run = 0;
      for (int x = titles[i].left + 4; x < titles[i].left + 14; ++x) {
        run = isDark(x, y) ? run + 1 : 0;
        if (run >= 3) underline = true;
      }
    }
    EXPECT_TRUE(underline);
  }
  // Light grey everywhere else on the bar, and nothing drawn below it.
  for (int y = 0; y < bar; ++y) EXPECT_EQ(at(shown.width - 5, y), face);
  EXPECT_EQ(at(titles[0].left + 1, 1), face);
  EXPECT_NE(at(titles[0].left + 1, bar), face);
}

TEST_F(MenuTest, ClickingATitleAndThenAnItemChoosesIt) {
  OpenWindow();
  const int64_t objects = kv::gdi::LiveObjectCount(), dcs = kv::gdi::LiveDCCount();
  ModalScript script;
  uint32_t hotTitle = 0;
  script.Then([&] {
        // The open title is highlighted.
        kv::PixelSurface shown = kv::headless::PresentedSurface(window_);
        hotTitle = shown.pixels[2 * shown.stride + 2] & 0xFFFFFF;
        ClickAt(ItemPoint(1));  // Exit
      });
  ClickAt(TitlePoint(0));
  PumpMessages();
  PumpMessages();  // the posted command
  EXPECT_TRUE(script.Finished());
  EXPECT_EQ(hotTitle, 0x0A246Au);
  EXPECT_EQ(Commands(), std::vector<WPARAM>{MAKEWPARAM(108, 0)});
  EXPECT_EQ(Count(WM_INITMENU), 1);
  EXPECT_EQ(Count(WM_INITMENUPOPUP), 1);
  EXPECT_EQ(Count(WM_LBUTTONDOWN), 0);
  // The bar is back to plain grey once the menu is closed.
  kv::PixelSurface shown = kv::headless::PresentedSurface(window_);
  EXPECT_EQ(shown.pixels[2 * shown.stride + 2] & 0xFFFFFF, 0xD4D0C8u);
  EXPECT_EQ(kv::headless::VisibleWindowCount(), 1);
  // Every pen, brush, font and device context made for drawing was released.
  EXPECT_EQ(kv::gdi::LiveObjectCount(), objects);
  EXPECT_EQ(kv::gdi::LiveDCCount(), dcs);
}

TEST_F(MenuTest, TheDropDownShowsTheCheckMarkAndTheHotItem) {
  CheckMenuItem(menu_, 161, MF_CHECKED);
  OpenWindow();
  ModalScript script;
  kv::PixelSurface drop{};
  int itemHeight = 0;
  std::vector<int> tickPixels(4, 0);
  std::vector<int> selectionPixels(4, 0);
  // Alt+D opens the drop-down with Easy hot.
  script.Then([] { kv::headless::TypeKey(VK_DOWN); })  // Medium
      .Then([] { kv::headless::TypeKey(VK_DOWN); })    // Hard
      .Then([&] {
        ASSERT_TRUE(kv::user::OpenDropDown(nullptr, &itemHeight, &drop));
        ASSERT_NE(drop.pixels, nullptr);
        for (int item = 0; item < 4; ++item) {
          for (int y = 3 + item * itemHeight; y < 3 + (item + 1) * itemHeight; ++y) {
            for (int x = 3; x < drop.width - 3; ++x) {
              uint32_t p = drop.pixels[y * drop.stride + x] & 0xFFFFFF;
              if (x < 16 && Dark(p)) ++tickPixels[item];
              if (p == 0x0A246A) ++selectionPixels[item];
            }
          }
        }
        kv::headless::TypeKey(VK_ESCAPE);
      })
      .Then([] { kv::headless::TypeKey(VK_ESCAPE); });
  kv::headless::PressKey(VK_MENU, 0, true);
  kv::headless::TypeKey('D', L'd', true);
  kv::headless::ReleaseKey(VK_MENU, true);
  PumpMessages();
  EXPECT_TRUE(script.Finished());
  EXPECT_TRUE(Commands().empty());
  // Only Medium carries a tick; only Hard (two Downs from Easy) is highlighted.
  EXPECT_EQ(tickPixels[0], 0);
  EXPECT_GE(tickPixels[1], 15);
  EXPECT_EQ(tickPixels[2], 0);
  EXPECT_EQ(tickPixels[3], 0);
  EXPECT_EQ(selectionPixels[0], 0);
  EXPECT_EQ(selectionPixels[1], 0);
  EXPECT_GT(selectionPixels[2], 100);
  EXPECT_EQ(selectionPixels[3], 0);
}

TEST_F(MenuTest, AltAloneHighlightsTheBarAndArrowsAndEnterChoose) {
  OpenWindow();
  ModalScript script;
  script.Then([] { kv::headless::TypeKey(VK_DOWN); })   // opens File, New Game hot
      .Then([] { kv::headless::TypeKey(VK_DOWN); })     // Exit
      .Then([] { kv::headless::TypeKey(VK_DOWN); })     // wraps to New Game
      .Then([] { kv::headless::TypeKey(VK_RETURN); });
  kv::headless::PressKey(VK_MENU, 0, true);
  kv::headless::ReleaseKey(VK_MENU, true);
  PumpMessages();
  PumpMessages();
  EXPECT_TRUE(script.Finished());
  EXPECT_EQ(Commands(), std::vector<WPARAM>{MAKEWPARAM(109, 0)});
  ASSERT_EQ(Count(WM_INITMENUPOPUP), 1);
}

TEST_F(MenuTest, F10ThenRightOpensTheNextDropDown) {
  OpenWindow();
  ModalScript script;
  script.Then([] { kv::headless::TypeKey(VK_RIGHT); })  // Difficulty Level highlighted
      .Then([] { kv::headless::TypeKey(VK_RETURN); })   // opened, Easy hot
      .Then([] { kv::headless::TypeKey(VK_RIGHT); })    // Help opened, About hot
      .Then([] { kv::headless::TypeKey(VK_LEFT); })     // back to Difficulty, Easy hot
      .Then([] { kv::headless::TypeKey(VK_UP); })       // wraps to Champion
      .Then([] { kv::headless::TypeKey(VK_RETURN); });
  kv::headless::TypeKey(VK_F10);
  PumpMessages();
  PumpMessages();
  EXPECT_TRUE(script.Finished());
  EXPECT_EQ(Commands(), std::vector<WPARAM>{MAKEWPARAM(163, 0)});
  std::vector<LPARAM> opened;
  for (const Seen& s : gSeen) {
    if (s.message == WM_INITMENUPOPUP) opened.push_back(s.lParam);
  }
  EXPECT_EQ(opened, (std::vector<LPARAM>{MAKELPARAM(1, 0), MAKELPARAM(2, 0), MAKELPARAM(1, 0)}));
}

TEST_F(MenuTest, AltWithAnAccessKeyOpensThatDropDownAndAKeyChoosesAnItem) {
  OpenWindow();
  ModalScript script;
  script.Then([] { kv::headless::TypeKey('H', L'h'); });  // Hard
  kv::headless::PressKey(VK_MENU, 0, true);
  kv::headless::TypeKey('D', L'd', true);
  kv::headless::ReleaseKey(VK_MENU, true);
  PumpMessages();
  PumpMessages();
  EXPECT_TRUE(script.Finished());
  EXPECT_EQ(Commands(), std::vector<WPARAM>{MAKEWPARAM(162, 0)});
  // The Alt release that followed did not open the bar again.
  EXPECT_EQ(Count(WM_INITMENU), 1);
}

TEST_F(MenuTest, EscapeAndClicksElsewhereCloseWithoutACommand) {
  OpenWindow();
  {
    // Esc closes the drop-down, a second Esc leaves the bar.
    ModalScript script;
    bool dropOpenAfterFirst = true;
    script.Then([] { kv::headless::TypeKey(VK_ESCAPE); })
        .Then([&] {
          dropOpenAfterFirst = kv::user::OpenDropDown(nullptr, nullptr);
          kv::headless::TypeKey(VK_ESCAPE);
        });
    ClickAt(TitlePoint(1));
    PumpMessages();
    EXPECT_TRUE(script.Finished());
    EXPECT_FALSE(dropOpenAfterFirst);
  }
  {
    // A click in the client area closes the menu and is still delivered.
    ModalScript script;
    script.Then([&] { kv::headless::ClickClient(window_, 500, 300, 1); });
    ClickAt(TitlePoint(2));
    PumpMessages();
    EXPECT_TRUE(script.Finished());
  }
  {
    // A second click on the open title closes it too.
    ModalScript script;
    script.Then([&] { ClickAt(TitlePoint(0)); });
    ClickAt(TitlePoint(0));
    PumpMessages();
    EXPECT_TRUE(script.Finished());
  }
  EXPECT_TRUE(Commands().empty());
  EXPECT_EQ(Count(WM_LBUTTONDOWN), 1) << "the click that closed the menu is lost";
  EXPECT_EQ(Count(WM_KEYDOWN), 0);
  MSG left{};
  EXPECT_FALSE(PeekMessageW(&left, nullptr, 0, 0, PM_NOREMOVE)) << "message " << left.message;
  EXPECT_EQ(kv::headless::VisibleWindowCount(), 1);
}

TEST_F(MenuTest, MouseMotionMovesBetweenDropDownsAndHighlightsItems) {
  OpenWindow();
  ModalScript script;
  script.Then([&] {
        POINT p = TitlePoint(1);
        kv::headless::MoveMouse(p.x, p.y);  // Difficulty Level opens in place of File
      })
      .Then([&] {
        POINT p = ItemPoint(2);
        kv::headless::MoveMouse(p.x, p.y);  // Hard hot
      })
      .Then([] { kv::headless::TypeKey(VK_RETURN); });
  ClickAt(TitlePoint(0));
  PumpMessages();
  PumpMessages();
  EXPECT_TRUE(script.Finished());
  EXPECT_EQ(Commands(), std::vector<WPARAM>{MAKEWPARAM(162, 0)});
  EXPECT_EQ(Count(WM_INITMENUPOPUP), 2);
}

TEST_F(MenuTest, DestroyingTheWindowEndsTracking) {
  OpenWindow();
  ModalScript script;
  script.Then([&] { DestroyWindow(window_); });
  ClickAt(TitlePoint(0));
  PumpMessages();
  EXPECT_TRUE(script.Finished());
  EXPECT_FALSE(IsWindow(window_));
  EXPECT_TRUE(Commands().empty());
  EXPECT_FALSE(kv::user::OpenDropDown(nullptr, nullptr));
  EXPECT_EQ(kv::headless::VisibleWindowCount(), 0);
}

// A manager makes the window larger while a drop-down is open: tracking
// goes on over the new surface, the bar spans it with its title still lit,
// and an item can still be chosen.
TEST_F(MenuTest, AWindowMadeLargerWhileAMenuIsOpenKeepsTracking) {
  OpenWindow();
  ModalScript script;
  uint32_t farBar = 0;
  int lit = 0;
  script.Then([&] { kv::headless::ResizeWindow(window_, 1300, 800); })
      .Then([&] {
        kv::PixelSurface s = kv::headless::PresentedSurface(window_);
        ASSERT_EQ(s.width, 1300);
        farBar = s.pixels[5 * s.stride + 1250] & 0xFFFFFF;
        for (int y = 0; y < 20; ++y)
          for (int x = 0; x < s.width; ++x) lit += (s.pixels[y * s.stride + x] & 0xFFFFFF) == 0x0A246A;
        kv::headless::TypeKey(VK_RETURN);
      });
  kv::headless::PressKey(VK_MENU, 0, true);
  kv::headless::TypeKey('F', L'f', true);
  kv::headless::ReleaseKey(VK_MENU, true);
  PumpMessages();
  EXPECT_TRUE(script.Finished());
  EXPECT_EQ(farBar, 0xD4D0C8u);
  EXPECT_GT(lit, 50) << "the open title is no longer lit";
  EXPECT_EQ(Commands(), std::vector<WPARAM>{MAKEWPARAM(109, 0)});
  RECT client;
  GetClientRect(window_, &client);
  EXPECT_EQ(client.right, 1300);
}

// Keys and clicks that came in before the menu opened (typed ahead, or all
// taken from the display at once) are the menu's, as the interface's menu
// loop finds them in the queue: none is lost while it waits for more.
TEST_F(MenuTest, InputThatCameAheadOfTheMenuIsTheMenus) {
  OpenWindow();
  ModalScript script;  // no steps: a menu that waits for more input fails
  kv::headless::PressKey(VK_MENU, 0, true);
  kv::headless::TypeKey('F', L'f', true);
  kv::headless::ReleaseKey(VK_MENU, true);
  kv::headless::TypeKey('X', L'x');  // Exit
  PumpMessages();
  PumpMessages();  // the posted command
  EXPECT_EQ(Commands(), std::vector<WPARAM>{MAKEWPARAM(108, 0)});
  EXPECT_FALSE(script.Overran());

  // A title clicked, then the pitch, in one go: the second click closes the
  // menu and still reaches the window.
  gSeen.clear();
  ClickAt(TitlePoint(2));
  kv::headless::ClickClient(window_, 500, 300, 1);
  PumpMessages();
  EXPECT_FALSE(script.Overran());
  EXPECT_TRUE(Commands().empty());
  EXPECT_EQ(Count(WM_LBUTTONDOWN), 1);
  EXPECT_FALSE(kv::user::OpenDropDown(nullptr, nullptr));
}

// A close request closes the window it names, whether it came just before a
// menu opened or while one is open, and never the window of the menu in its
// place; one for a window that is gone is dropped. A request that arrives
// during the menu ends it, as a click elsewhere does.
TEST_F(MenuTest, ACloseRequestClosesTheWindowItNamesBeforeAndDuringAMenu) {
  OpenWindow();
  // Other top-level windows of the program, away from the main window.
  auto other = [&](const wchar_t* title, int y) {
    HWND w = CreateWindowExW(0, L"MenuTestWindow", title, WS_SYSMENU, 1300, y, 300, 200, nullptr,
                             nullptr, instance_, nullptr);
    EXPECT_NE(w, nullptr);
    ShowWindow(w, SW_SHOWNORMAL);
    return w;
  };
  HWND before = other(L"Before", 40);
  HWND during = other(L"During", 300);
  HWND gone = other(L"Gone", 600);
  PumpMessages();
  gSeen.clear();
  {
    ModalScript script;
    script.Then([&] {
      kv::headless::RequestClose(gone);
      DestroyWindow(gone);  // its request goes with it
      kv::headless::RequestClose(during);
    });
    // The requests for `before` come behind the click that opens the menu.
    ClickAt(TitlePoint(0));
    kv::headless::RequestClose(before);
    PumpMessages();
    EXPECT_TRUE(script.Finished());
    EXPECT_FALSE(kv::user::OpenDropDown(nullptr, nullptr)) << "the menu is still open";
  }
  EXPECT_FALSE(IsWindow(before));
  EXPECT_FALSE(IsWindow(during)) << "the close request during the menu was lost";
  EXPECT_TRUE(IsWindow(window_)) << "the menu's window was closed in another's place";
  EXPECT_TRUE(Commands().empty());
  {
    // The menu's own window asked to close while its menu is open: the menu
    // ends, then the window closes.
    ModalScript script;
    script.Then([&] { kv::headless::RequestClose(window_); });
    ClickAt(TitlePoint(1));
    PumpMessages();
    EXPECT_TRUE(script.Finished());
  }
  EXPECT_FALSE(IsWindow(window_));
  EXPECT_TRUE(Commands().empty());
  EXPECT_EQ(kv::headless::VisibleWindowCount(), 0);
}

TEST(ProgramMenu, TheProgramsOwnMenuLoadsWithItsThreeDropDowns) {
  HMENU menu = LoadMenuW(kv::rt::ProgramInstance(), MAKEINTRESOURCEW(106));
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(GetMenuState(menu, 0, MF_BYPOSITION), (2u << 8) | MF_POPUP);
  EXPECT_EQ(GetMenuState(menu, 1, MF_BYPOSITION), (4u << 8) | MF_POPUP);
  EXPECT_EQ(GetMenuState(menu, 2, MF_BYPOSITION), (1u << 8) | MF_POPUP);
  for (UINT id : {107u, 108u, 109u, 160u, 161u, 162u, 163u}) {
    EXPECT_EQ(GetMenuState(menu, id, MF_BYCOMMAND), 0u) << id;
  }
  EXPECT_EQ(CheckMenuItem(menu, 160, MF_CHECKED), static_cast<DWORD>(MF_UNCHECKED));
  DestroyMenu(menu);
}

TEST_F(MenuTest, ADisabledWindowsMenuDoesNotOpen) {
  OpenWindow();
  EnableWindow(window_, FALSE);
  EXPECT_TRUE(kv::user::DefMenuMessage(window_, WM_SYSKEYUP, VK_F10, 0));
  EXPECT_EQ(Count(WM_INITMENU), 0);
  EnableWindow(window_, TRUE);
}

}  // namespace
