// Dialogs and message boxes: layout from dialog units, the ways in and out
// (OK, Enter, Space, Esc, the close box), a modal owner, and bad templates.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "platform/backend.h"
#include "platform/gdi/gdi_internal.h"
#include "platform/headless/headless.h"
#include "platform/rt/resources.h"
#include "platform/win32.h"
#include "tests/menu/modal_script.h"
#include "tests/menu/resource_templates.h"
#include "tests/support/res_image_builder.h"

namespace {

using kvtest::ModalScript;
using kvtest::PumpMessages;

struct Seen {
  HWND window;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};
std::vector<Seen> gOwnerSeen;
std::vector<Seen> gDialogSeen;
HWND gDialog = nullptr;

LRESULT CALLBACK OwnerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_LBUTTONDOWN:
    case WM_KEYDOWN:
    case WM_CHAR:
    case WM_COMMAND:
    case WM_INITMENU:
    case WM_CLOSE:
      gOwnerSeen.push_back(Seen{window, message, wParam, lParam});
      return 0;
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

// Like the game's About procedure: only OK ends the dialog (here with 42),
// every other command is absorbed.
INT_PTR CALLBACK AboutLikeProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      gDialog = dialog;
      gDialogSeen.push_back(Seen{dialog, message, wParam, lParam});
      return TRUE;
    case WM_COMMAND:
      gDialogSeen.push_back(Seen{dialog, message, wParam, lParam});
      if (LOWORD(wParam) == IDOK) EndDialog(dialog, 42);
      return TRUE;
    default:
      return FALSE;
  }
}

INT_PTR CALLBACK EndsAtOnceProc(HWND dialog, UINT message, WPARAM, LPARAM) {
  if (message == WM_INITDIALOG) EndDialog(dialog, 7);
  return message == WM_INITDIALOG;
}

std::vector<WPARAM> DialogCommands() {
  std::vector<WPARAM> ids;
  for (const Seen& s : gDialogSeen) {
    if (s.message == WM_COMMAND) ids.push_back(s.wParam);
  }
  return ids;
}

int MulDiv(int a, int b, int c) { return static_cast<int>((static_cast<long long>(a) * b + c / 2) / c); }

constexpr uint32_t kFace = 0xD4D0C8;

class DialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    kv::headless::Install();
    gOwnerSeen.clear();
    gDialogSeen.clear();
    gDialog = nullptr;
    image_.Add(RT_MENU_ID, 106, kvtest::ResImageBuilder::kEnglish, kvtest::MainMenuTemplate());
    image_.Add(RT_DIALOG_ID, 116, kvtest::ResImageBuilder::kEnglish, kvtest::AboutTemplate());
    std::vector<uint8_t> cut = kvtest::AboutTemplate();
    cut.resize(40);  // the controls are missing
    image_.Add(RT_DIALOG_ID, 117, kvtest::ResImageBuilder::kEnglish, cut);
    instance_ = kv::rt::CreateInstanceFromRes(image_.bytes().data(), image_.bytes().size());
    ASSERT_NE(instance_, nullptr);

    WNDCLASSW wc{};
    wc.lpfnWndProc = OwnerProc;
    wc.hInstance = instance_;
    wc.lpszClassName = L"DialogTestOwner";
    RegisterClassW(&wc);
    menu_ = LoadMenuW(instance_, MAKEINTRESOURCEW(106));
    owner_ = CreateWindowExW(0, L"DialogTestOwner", L"Kelvara", WS_SYSMENU, 200, 200, 1007, 649,
                             nullptr, menu_, instance_, nullptr);
    ASSERT_NE(owner_, nullptr);
    ShowWindow(owner_, SW_SHOWNORMAL);
    UpdateWindow(owner_);
    PumpMessages();
    gOwnerSeen.clear();
  }
  void TearDown() override {
    if (IsWindow(owner_)) DestroyWindow(owner_);
    DestroyMenu(menu_);  // refused harmlessly if the window took it along
    kv::rt::DestroyInstance(instance_);
    kv::headless::Uninstall();
  }

  INT_PTR RunAbout(LPARAM param = 0) {
    return DialogBoxParamW(instance_, MAKEINTRESOURCEW(116), owner_, AboutLikeProc, param);
  }

  // Dialog base units of the template's font, measured as the platform does.
  void BaseUnits(int* x, int* y) {
    HDC dc = CreateCompatibleDC(nullptr);
    HFONT font = CreateFontW(-11, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0,
                             L"MS Shell Dlg");
    HGDIOBJ old = SelectObject(dc, font);
    SIZE size{};
    GetTextExtentPoint32W(dc, L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz", 52, &size);
    SelectObject(dc, old);
    DeleteObject(font);
    DeleteDC(dc);
    *x = (size.cx / 26 + 1) / 2;
    *y = size.cy;
  }

  // The OK button's centre in the dialog's client pixels.
  POINT OkCentre() {
    int bx = 0, by = 0;
    BaseUnits(&bx, &by);
    return POINT{MulDiv(114, bx, 4) + MulDiv(50, bx, 4) / 2, MulDiv(158, by, 8) + MulDiv(14, by, 8) / 2};
  }

  kvtest::ResImageBuilder image_;
  HINSTANCE instance_ = nullptr;
  HMENU menu_ = nullptr;
  HWND owner_ = nullptr;
};

TEST_F(DialogTest, TheAboutBoxSitsAtTheOwnersClientOriginWithControlsFromDialogUnits) {
  int bx = 0, by = 0;
  BaseUnits(&bx, &by);
  ASSERT_GT(bx, 0);
  ASSERT_GT(by, 0);
  const int64_t objects = kv::gdi::LiveObjectCount(), dcs = kv::gdi::LiveDCCount();
  ModalScript script;
  script.Then([&] {
    ASSERT_TRUE(IsWindow(gDialog));
    POINT origin{0, 0};
    ClientToScreen(owner_, &origin);
    RECT window{}, client{};
    GetWindowRect(gDialog, &window);
    GetClientRect(gDialog, &client);
    EXPECT_EQ(window.left, origin.x);
    EXPECT_EQ(window.top, origin.y);
    EXPECT_EQ(client.right, MulDiv(284, bx, 4));
    EXPECT_EQ(client.bottom, MulDiv(190, by, 8));
    EXPECT_EQ(kv::headless::Title(gDialog), L"Kelvara");
    EXPECT_FALSE(IsWindowEnabled(owner_));

    kv::PixelSurface shown = kv::headless::PresentedClient(gDialog);
    ASSERT_NE(shown.pixels, nullptr);
    auto at = [&](int x, int y) { return shown.pixels[y * shown.stride + x] & 0xFFFFFF; };
    EXPECT_EQ(at(1, 1), kFace);

    // The default button's black frame lies exactly on its rectangle.
    int left = MulDiv(114, bx, 4), top = MulDiv(158, by, 8);
    int right = left + MulDiv(50, bx, 4), bottom = top + MulDiv(14, by, 8);
    int midX = (left + right) / 2, midY = (top + bottom) / 2;
    EXPECT_EQ(at(left, midY), 0u);
    EXPECT_EQ(at(left - 1, midY), kFace);
    EXPECT_EQ(at(right - 1, midY), 0u);
    EXPECT_EQ(at(right, midY), kFace);
    EXPECT_EQ(at(midX + 8, top), 0u);
    EXPECT_EQ(at(midX + 8, top - 1), kFace);
    EXPECT_EQ(at(midX + 8, bottom - 1), 0u);
    EXPECT_EQ(at(midX + 8, bottom), kFace);

    // The group box's etched frame: shadow, then highlight inside it.
    int gLeft = MulDiv(17, bx, 4), gTop = MulDiv(84, by, 8);
    int gRight = gLeft + MulDiv(250, bx, 4), gBottom = gTop + MulDiv(66, by, 8);
    int gMid = (gTop + gBottom) / 2;
    EXPECT_EQ(at(gLeft - 1, gMid), kFace);
    EXPECT_EQ(at(gLeft, gMid), 0x808080u);
    EXPECT_EQ(at(gLeft + 1, gMid), 0xFFFFFFu);
    EXPECT_EQ(at(gRight - 2, gMid), 0x808080u);
    EXPECT_EQ(at(gRight - 1, gMid), 0xFFFFFFu);
    EXPECT_EQ(at(gRight, gMid), kFace);
    EXPECT_EQ(at(gLeft + 40, gBottom - 1), 0xFFFFFFu);
    EXPECT_EQ(at(gLeft + 40, gBottom), kFace);

    // Bitmap 118 is not among the resources: the picture slot stays empty.
    int faceInSlot = 0, slotPixels = 0;
    for (int y = MulDiv(16, by, 8); y < MulDiv(16 + 49, by, 8); ++y) {
      for (int x = MulDiv(17, bx, 4); x < MulDiv(17 + 54, bx, 4); ++x) {
        ++slotPixels;
        faceInSlot += at(x, y) == kFace;
      }
    }
    EXPECT_EQ(faceInSlot, slotPixels);

    // Text starts at the static control's left edge and not before it.
    int textLeft = MulDiv(85, bx, 4), textTop = MulDiv(17, by, 8);
    int inside = 0, before = 0;
    for (int y = textTop; y < textTop + MulDiv(8, by, 8); ++y) {
      for (int x = textLeft; x < textLeft + 30; ++x) inside += at(x, y) != kFace;
      for (int x = textLeft - 10; x < textLeft; ++x) before += at(x, y) != kFace;
    }
    EXPECT_GT(inside, 20);
    EXPECT_EQ(before, 0);
    kv::headless::TypeKey(VK_RETURN);
  });
  EXPECT_EQ(RunAbout(1234), 42);
  EXPECT_TRUE(script.Finished());

  // WM_INITDIALOG brought the parameter and the control that takes the focus.
  ASSERT_FALSE(gDialogSeen.empty());
  EXPECT_EQ(gDialogSeen[0].message, static_cast<UINT>(WM_INITDIALOG));
  EXPECT_EQ(gDialogSeen[0].lParam, 1234);
  EXPECT_NE(gDialogSeen[0].wParam, 0u);
  EXPECT_EQ(DialogCommands(), std::vector<WPARAM>{IDOK});

  // Afterwards: no dialog, the owner enabled and active again.
  EXPECT_FALSE(IsWindow(gDialog));
  EXPECT_TRUE(IsWindowEnabled(owner_));
  EXPECT_EQ(GetActiveWindow(), owner_);
  EXPECT_EQ(kv::headless::VisibleWindowCount(), 1);
  EXPECT_EQ(kv::gdi::LiveObjectCount(), objects);
  EXPECT_EQ(kv::gdi::LiveDCCount(), dcs);
}

TEST_F(DialogTest, EscAndTheCloseBoxCancelButAnAbsorbingProcedureKeepsTheDialogOpen) {
  bool openAfterEsc = false, openAfterClose = false, openAfterDragOff = false;
  ModalScript script;
  script.Then([] { kv::headless::TypeKey(VK_ESCAPE); })
      .Then([&] {
        openAfterEsc = IsWindow(gDialog) != 0;
        kv::headless::RequestClose(gDialog);
      })
      .Then([&] {
        openAfterClose = IsWindow(gDialog) != 0;
        // Pressing OK and letting go outside it is no click.
        POINT ok = OkCentre();
        kv::headless::MoveMouseClient(gDialog, ok.x, ok.y);
        kv::headless::PressButton(1);
        kv::headless::MoveMouseClient(gDialog, 10, 10);
        kv::headless::ReleaseButton(1);
      })
      .Then([&] {
        openAfterDragOff = IsWindow(gDialog) != 0;
        POINT ok = OkCentre();
        kv::headless::ClickClient(gDialog, ok.x, ok.y, 1);
      });
  EXPECT_EQ(RunAbout(), 42);
  EXPECT_TRUE(script.Finished());
  EXPECT_TRUE(openAfterEsc);
  EXPECT_TRUE(openAfterClose);
  EXPECT_TRUE(openAfterDragOff);
  EXPECT_EQ(DialogCommands(), (std::vector<WPARAM>{IDCANCEL, IDCANCEL, MAKEWPARAM(IDOK, BN_CLICKED)}));
  // The click names the button that sent it.
  EXPECT_NE(gDialogSeen.back().lParam, 0);
}

// A manager makes the About box larger: it is painted across its new size,
// the controls stay where the template put them, and OK still ends it.
TEST_F(DialogTest, AnAboutBoxMadeLargerIsPaintedAcrossAndStillAnswers) {
  uint32_t corner = 0, okEdge = 1;
  ModalScript script;
  script.Then([&] { kv::headless::ResizeWindow(gDialog, 600, 420); })
      .Then([&] {
        kv::PixelSurface shown = kv::headless::PresentedClient(gDialog);
        ASSERT_EQ(shown.width, 600);
        ASSERT_EQ(shown.height, 420);
        corner = shown.pixels[419 * shown.stride + 599] & 0xFFFFFF;
        int bx = 0, by = 0;
        BaseUnits(&bx, &by);
        okEdge = shown.pixels[(MulDiv(158, by, 8) + 5) * shown.stride + MulDiv(114, bx, 4)] & 0xFFFFFF;
        POINT ok = OkCentre();
        kv::headless::ClickClient(gDialog, ok.x, ok.y, 1);
      });
  EXPECT_EQ(RunAbout(), 42);
  EXPECT_TRUE(script.Finished());
  EXPECT_EQ(corner, kFace);
  EXPECT_EQ(okEdge, 0u);
}

TEST_F(DialogTest, SpaceOnTheFocusedButtonClicksIt) {
  ModalScript script;
  script.Then([] { kv::headless::TypeKey(VK_SPACE, L' '); });
  EXPECT_EQ(RunAbout(), 42);
  EXPECT_TRUE(script.Finished());
  EXPECT_EQ(DialogCommands(), std::vector<WPARAM>{MAKEWPARAM(IDOK, BN_CLICKED)});
}

TEST_F(DialogTest, TheOwnerGetsNoInputWhileTheDialogRuns) {
  ModalScript script;
  script.Then([&] {
          kv::headless::ClickClient(owner_, 500, 300, 1);
          POINT origin{0, 0};
          ClientToScreen(owner_, &origin);
          kv::headless::ClickAt(origin.x + 10, origin.y - 10, 1);  // the File title
          kv::headless::RequestClose(owner_);
          kv::headless::TypeKey('A', L'a');
        })
      .Then([] { kv::headless::TypeKey(VK_RETURN); });
  EXPECT_EQ(RunAbout(), 42);
  EXPECT_TRUE(script.Finished());
  EXPECT_TRUE(gOwnerSeen.empty());
  EXPECT_TRUE(IsWindow(owner_));
}

TEST_F(DialogTest, AQuitRequestEndsTheDialogAndReachesTheOuterLoop) {
  ModalScript script;
  script.Then([] { PostQuitMessage(3); });
  RunAbout();
  EXPECT_TRUE(script.Finished());
  EXPECT_FALSE(IsWindow(gDialog));
  EXPECT_TRUE(IsWindowEnabled(owner_));
  MSG msg{};
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
  EXPECT_EQ(msg.wParam, 3u);
}

TEST_F(DialogTest, MissingOrMalformedTemplatesShowNothing) {
  ModalScript script;  // no steps: any modal wait is a failure
  EXPECT_EQ(DialogBoxParamW(instance_, MAKEINTRESOURCEW(999), owner_, AboutLikeProc, 0), -1);
  EXPECT_EQ(DialogBoxParamW(instance_, MAKEINTRESOURCEW(117), owner_, AboutLikeProc, 0), -1);
  EXPECT_EQ(DialogBoxParamW(nullptr, MAKEINTRESOURCEW(116), owner_, AboutLikeProc, 0), -1);
  EXPECT_TRUE(gDialogSeen.empty());
  EXPECT_EQ(kv::headless::VisibleWindowCount(), 1);
  EXPECT_TRUE(IsWindowEnabled(owner_));
  // A procedure that ends the dialog while it starts: it is never shown.
  EXPECT_EQ(DialogBoxParamW(instance_, MAKEINTRESOURCEW(116), owner_, EndsAtOnceProc, 0), 7);
  EXPECT_EQ(kv::headless::VisibleWindowCount(), 1);
  EXPECT_TRUE(IsWindowEnabled(owner_));
  // EndDialog and GetDlgItem on what is not a dialog.
  EXPECT_FALSE(EndDialog(owner_, 1));
  EXPECT_FALSE(EndDialog(nullptr, 1));
  EXPECT_EQ(GetDlgItem(owner_, IDOK), nullptr);
  EXPECT_EQ(script.IdlePasses(), 0);
}

TEST_F(DialogTest, MessageBoxClosesEveryWayWithOk) {
  std::vector<std::function<void(HWND)>> ways = {
      [](HWND) { kv::headless::TypeKey(VK_RETURN); },
      [](HWND) { kv::headless::TypeKey(VK_ESCAPE); },
      [](HWND box) { kv::headless::RequestClose(box); },
      [](HWND box) {
        RECT client{};
        GetClientRect(box, &client);
        // The OK button sits centred at the bottom.
        kv::headless::ClickClient(box, client.right / 2, client.bottom - 12 - 11, 1);
      }};
  for (size_t i = 0; i < ways.size(); ++i) {
    SCOPED_TRACE(i);
    HWND box = nullptr;
    bool ownerDisabled = false;
    ModalScript script;
    script.Then([&] {
      box = GetActiveWindow();
      ASSERT_NE(box, owner_);
      EXPECT_EQ(kv::headless::Title(box), L"Error");
      ownerDisabled = !IsWindowEnabled(owner_);
      ways[i](box);
    });
    EXPECT_EQ(MessageBoxW(owner_, L"Window Creation Failed.", L"Error", MB_OK), IDOK);
    EXPECT_TRUE(script.Finished());
    EXPECT_TRUE(ownerDisabled);
    EXPECT_FALSE(IsWindow(box));
    EXPECT_TRUE(IsWindowEnabled(owner_));
  }
}

TEST_F(DialogTest, TheProgramsOwnAboutBoxRunsAndEndsWithOk) {
  ModalScript script;
  script.Then([] { kv::headless::TypeKey(VK_ESCAPE); }).Then([] { kv::headless::TypeKey(VK_RETURN); });
  EXPECT_EQ(DialogBoxParamW(kv::rt::ProgramInstance(), MAKEINTRESOURCEW(116), owner_, AboutLikeProc, 0),
            42);
  EXPECT_TRUE(script.Finished());
  EXPECT_EQ(DialogCommands(), (std::vector<WPARAM>{IDCANCEL, IDOK}));
}

TEST(MessageBoxWithoutDisplay, WritesCaptionAndTextToStandardError) {
  kv::headless::Uninstall();
  unsetenv("DISPLAY");
  if (kv::ActiveBackend() != nullptr) GTEST_SKIP() << "a display is reachable";
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(MessageBoxW(nullptr, L"Window Creation Failed.", L"Error", MB_OK), IDOK);
  EXPECT_EQ(MessageBoxW(nullptr, nullptr, nullptr, MB_OK), IDOK);
  std::string written = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(written, "Error: Window Creation Failed.\nError: \n");
}

}  // namespace
