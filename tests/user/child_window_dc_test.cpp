// A destroyed window takes its children's drawing contexts along: a context
// GetDC gave for a child is refused once the parent is gone.
#include <gtest/gtest.h>

#include "platform/gdi/gdi_internal.h"
#include "tests/support/headless_window.h"

namespace {

constexpr DWORD kBlackness = 0x00000042;  // the raster operation that writes black

LRESULT CALLBACK PlainProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  return DefWindowProcW(w, m, wp, lp);
}

class StaleHandles : public kv::test::HeadlessTest {};

// Destroying a parent destroys its child; the context GetDC gave for the
// child goes with it and is refused afterwards, drawing included.
TEST_F(StaleHandles, ChildWindowContextGoesWithItsParent) {
  const int64_t dcs = kv::gdi::LiveDCCount();
  HWND parent = kv::test::CreateMainGeometryWindow(PlainProc);
  ASSERT_NE(parent, nullptr);
  ShowWindow(parent, SW_SHOWNORMAL);
  HWND child = CreateWindowExW(0, L"Button", L"", WS_CHILD | WS_VISIBLE, 10, 10, 100, 50, parent,
                               nullptr, nullptr, nullptr);
  if (!child) {
    // No predefined class: any registered one serves.
    WNDCLASSW wc = {};
    wc.lpfnWndProc = PlainProc;
    wc.lpszClassName = L"HardeningChild";
    RegisterClassW(&wc);
    child = CreateWindowExW(0, L"HardeningChild", L"", WS_CHILD | WS_VISIBLE, 10, 10, 100, 50,
                            parent, nullptr, nullptr, nullptr);
  }
  ASSERT_NE(child, nullptr);
  HDC dc = GetDC(child);
  ASSERT_NE(dc, nullptr);
  EXPECT_TRUE(Rectangle(dc, 0, 0, 20, 20));
  EXPECT_EQ(ReleaseDC(child, dc), 1);

  DestroyWindow(parent);
  EXPECT_FALSE(IsWindow(child));
  EXPECT_FALSE(Rectangle(dc, 0, 0, 50, 50));
  EXPECT_FALSE(BitBlt(dc, 0, 0, 50, 50, nullptr, 0, 0, kBlackness));
  EXPECT_EQ(SetBkMode(dc, TRANSPARENT), 0);
  EXPECT_EQ(ReleaseDC(child, dc), 0);
  EXPECT_EQ(kv::gdi::LiveDCCount(), dcs);
}

}  // namespace
