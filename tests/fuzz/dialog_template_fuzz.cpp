// Dialog templates on arbitrary bytes: parsed, laid out, and run as a modal
// dialog on the headless screen (painted, then ended from its first idle
// pass), as the program's About box is. The font cache must stay bounded
// whatever face and size a template names.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/gdi/font_cache.h"
#include "platform/gdi/gdi_internal.h"
#include "platform/headless/headless.h"
#include "platform/rt/resources.h"
#include "platform/rt/resource_templates.h"
#include "platform/user/dialog.h"
#include "platform/win32.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

HWND gDialog = nullptr;
int gIdlePasses = 0;

INT_PTR CALLBACK Proc(HWND dialog, UINT message, WPARAM, LPARAM) {
  if (message == WM_INITDIALOG) gDialog = dialog;
  return message == WM_INITDIALOG;
}

LRESULT CALLBACK OwnerProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  return DefWindowProcW(w, m, wp, lp);
}

void EndFromIdle(void*) {
  // The dialog has been painted and shown by now.
  if (++gIdlePasses == 1 && gDialog) EndDialog(gDialog, 1);
  if (gIdlePasses > 50) kv::headless::TypeKey(VK_RETURN);
}

HWND Owner() {
  static HWND owner = [] {
    kv::headless::Install();
    kv::headless::SetModalIdleHook(EndFromIdle, nullptr);
    WNDCLASSW wc{};
    wc.lpfnWndProc = OwnerProc;
    wc.lpszClassName = L"FuzzOwner";
    RegisterClassW(&wc);
    HWND w = CreateWindowExW(0, L"FuzzOwner", L"Kelvara", WS_SYSMENU, 200, 200, 1007, 649, nullptr,
                             nullptr, nullptr, nullptr);
    ShowWindow(w, SW_SHOWNORMAL);
    return w;
  }();
  return owner;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  kvfuzz::WarmUpFonts();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  HWND owner = Owner();
  const int64_t objects = kv::gdi::LiveObjectCount(), dcs = kv::gdi::LiveDCCount();

  std::vector<uint8_t> copy(data, data + size);
  kv::rt::DialogTemplate parsed;
  if (kv::rt::ParseDialogTemplate(copy.data(), copy.size(), &parsed)) {
    kv::user::DialogLayout layout;
    kv::user::LayoutFromTemplate(parsed, &layout);
  }

  std::vector<uint8_t> image = kvfuzz::OneResource(5 /* RT_DIALOG */, 116, data, size);
  HINSTANCE module = kv::rt::CreateInstanceFromRes(image.data(), image.size());
  kvfuzz::Require(module != nullptr, "a one-entry image is refused");
  gDialog = nullptr;
  gIdlePasses = 0;
  DialogBoxParamW(module, MAKEINTRESOURCEW(116), owner, Proc, 0);
  kv::rt::DestroyInstance(module);
  kvfuzz::Require(IsWindowEnabled(owner), "the owner stays disabled after the dialog");
  kvfuzz::Require(!gDialog || !IsWindow(gDialog), "the dialog outlives its loop");
  kvfuzz::Require(kv::gdi::LiveObjectCount() == objects, "the dialog leaves drawing objects");
  kvfuzz::Require(kv::gdi::LiveDCCount() == dcs, "the dialog leaves device contexts");
  const kv::gdi::FontCacheUsage cache = kv::gdi::FontCacheNow();
  kvfuzz::Require(cache.faces <= 16, "the font cache keeps faces nothing uses");
  kvfuzz::Require(cache.largestFaceBytes <= (int64_t{16} << 20),
                  "a face's glyph cache grows without bound");
  return 0;
}
