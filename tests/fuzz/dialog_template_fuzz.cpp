// Dialog templates on arbitrary bytes: parsed, laid out, and run as a modal
// dialog on the headless screen (painted, then ended from its first idle
// pass), as the program's About box is. The font cache must stay bounded
// whatever face a template names.
//
// Pixels are dear under the fuzzer's instrumentation (a dialog of the
// largest size, or one in a font of hundreds of points, took seconds), so
// what one template may ask to render is bounded: the parser reads every
// byte as given, but the dialog is laid out in at most kMaxPoints and made
// at most kMaxClientWidth x kMaxClientHeight, where controls placed beyond
// are clipped as anywhere else.
//
// `make fuzz` looks for leaks when the run ends, not after each input: the
// windowing layer's caches (faces, glyphs, the frame of each dialog style)
// and its held-back handle records grow and shrink across inputs, so the
// check after an input fired on one in twenty and, scanning the whole heap,
// took most of the run. What the platform counts itself (drawing objects,
// device contexts, the font cache) is checked after every input below, and
// the kept corpus is replayed under the leak checker by the tests.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/gdi/font_cache.h"
#include "platform/gdi/gdi_internal.h"
#include "platform/headless/headless.h"
#include "platform/rt/resource_templates.h"
#include "platform/user/dialog.h"
#include "platform/win32.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

constexpr uint16_t kMaxPoints = 36;
constexpr int kMaxClientWidth = 320, kMaxClientHeight = 240;

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

// The template's layout, within what one input may ask to render; false
// when it does not parse or lays out to nothing sound.
bool BoundedLayout(const std::vector<uint8_t>& bytes, kv::user::DialogLayout* layout) {
  kv::rt::DialogTemplate parsed;
  if (!kv::rt::ParseDialogTemplate(bytes.data(), bytes.size(), &parsed)) return false;
  parsed.pointSize = std::min(parsed.pointSize, kMaxPoints);
  if (!kv::user::LayoutFromTemplate(parsed, layout)) return false;
  layout->clientWidth = std::min(layout->clientWidth, kMaxClientWidth);
  layout->clientHeight = std::min(layout->clientHeight, kMaxClientHeight);
  return true;
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
  kv::user::DialogLayout layout;
  gDialog = nullptr;
  gIdlePasses = 0;
  if (BoundedLayout(copy, &layout)) {
    // Placed as DialogBoxParamW places a template: from the owner's client area.
    POINT origin{0, 0};
    ClientToScreen(owner, &origin);
    const int x = origin.x + layout.x, y = origin.y + layout.y;
    kv::user::RunDialog(std::move(layout), nullptr, x, y, owner, Proc, 0);
  }
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
