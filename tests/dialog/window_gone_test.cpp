// A modal dialog whose native window another client destroyed: the loop ends
// as for a destroyed dialog, the owner takes input again and the program
// goes on.
#include <gtest/gtest.h>

#include <vector>

#include "platform/headless/headless.h"
#include "platform/rt/resources.h"
#include "platform/win32.h"
#include "tests/menu/modal_script.h"
#include "tests/menu/resource_templates.h"
#include "tests/support/res_image_builder.h"

namespace {

HWND gAbout = nullptr;
int gAboutDestroyed = 0;

LRESULT CALLBACK QuietOwnerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcW(window, message, wParam, lParam);
}

// As the game's About procedure: only OK ends it.
INT_PTR CALLBACK OnlyOkProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      gAbout = dialog;
      return TRUE;
    case WM_DESTROY:
      ++gAboutDestroyed;
      return FALSE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK) EndDialog(dialog, 42);
      return TRUE;
    default:
      return FALSE;
  }
}

TEST(DialogWindowGone, EndsTheModalLoopAndEnablesTheOwner) {
  kv::headless::Install();
  kvtest::ResImageBuilder image;
  image.Add(RT_DIALOG_ID, 116, kvtest::ResImageBuilder::kEnglish, kvtest::AboutTemplate());
  HINSTANCE instance = kv::rt::CreateInstanceFromRes(image.bytes().data(), image.bytes().size());
  ASSERT_NE(instance, nullptr);
  WNDCLASSW wc{};
  wc.lpfnWndProc = QuietOwnerProc;
  wc.hInstance = instance;
  wc.lpszClassName = L"WindowGoneOwner";
  RegisterClassW(&wc);
  HWND owner = CreateWindowExW(0, L"WindowGoneOwner", L"Kelvara", WS_SYSMENU, 200, 200, 1007, 649,
                               nullptr, nullptr, instance, nullptr);
  ASSERT_NE(owner, nullptr);
  ShowWindow(owner, SW_SHOWNORMAL);
  kvtest::PumpMessages();
  gAbout = nullptr;
  gAboutDestroyed = 0;

  kvtest::ModalScript script;
  bool ownerDisabled = false;
  script.Then([&] {
    ownerDisabled = !IsWindowEnabled(owner);
    kv::headless::LoseWindow(gAbout);
  });
  // A loop still running after that only ends with Enter, as the issue was.
  script.BailOut([] { kv::headless::TypeKey(VK_RETURN); });
  const INT_PTR result = DialogBoxParamW(instance, MAKEINTRESOURCEW(116), owner, OnlyOkProc, 0);
  EXPECT_TRUE(script.Finished());
  EXPECT_FALSE(script.Overran());
  EXPECT_TRUE(ownerDisabled);
  EXPECT_EQ(result, 0);  // what a destroyed dialog gives: no EndDialog result
  EXPECT_FALSE(IsWindow(gAbout));
  EXPECT_EQ(gAboutDestroyed, 1);
  EXPECT_TRUE(IsWindowEnabled(owner));
  EXPECT_EQ(kv::headless::VisibleWindowCount(), 1);

  // The owner goes on: its close box still works, and no dialog is in the way.
  kv::headless::RequestClose(owner);
  kvtest::PumpMessages();
  EXPECT_FALSE(IsWindow(owner));
  kv::rt::DestroyInstance(instance);
  kv::headless::Uninstall();
}

}  // namespace
