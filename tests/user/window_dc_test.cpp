// Window device contexts on the headless screen, and bitmaps from the
// program's resources.
#include <gtest/gtest.h>

#include "platform/rt/resources.h"
#include "platform/user/user_internal.h"
#include "res/resource.h"
#include "tests/gdi/gdi_test_util.h"
#include "tests/support/headless_window.h"

using gdi_test::Canvas;

namespace {

LRESULT CALLBACK PlainProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  return DefWindowProcW(w, m, wp, lp);
}

class WindowDC : public kv::test::HeadlessTest {};

TEST_F(WindowDC, ReleaseShowsWhatWasDrawnAndLeavesNothingOut) {
  HWND window = kv::test::CreateMainGeometryWindow(PlainProc);
  ASSERT_NE(window, nullptr);
  ShowWindow(window, SW_SHOWNORMAL);
  Canvas frame(1000, 600);
  const int64_t dcs = kv::gdi::LiveDCCount();

  for (int y = 0; y < 600; ++y)
    for (int x = 0; x < 1000; ++x) frame.At(x, y) = static_cast<uint32_t>(x * 7 + y * 1009);
  const int64_t presents = kv::headless::PresentCount(window);
  HDC dc = GetDC(window);
  ASSERT_NE(dc, nullptr);
  EXPECT_EQ(kv::gdi::LiveDCCount(), dcs + 1);
  EXPECT_FALSE(DeleteDC(dc));  // given back with ReleaseDC only
  EXPECT_TRUE(BitBlt(dc, 0, 0, 1000, 600, frame.dc, 0, 0, SRCCOPY));
  EXPECT_EQ(ReleaseDC(window, dc), 1);
  EXPECT_EQ(kv::gdi::LiveDCCount(), dcs);
  EXPECT_EQ(kv::headless::PresentCount(window), presents + 1);
  kv::PixelSurface shown = kv::headless::PresentedClient(window);
  ASSERT_GE(shown.width, 1000);
  ASSERT_GE(shown.height, 600);  // no menu bar here: the client area is taller
  int wrong = 0;
  for (int y = 0; y < 600; ++y)
    for (int x = 0; x < 1000; ++x)
      wrong += (shown.pixels[y * shown.stride + x] & 0x00FFFFFF) != (frame.At(x, y) & 0x00FFFFFF);
  EXPECT_EQ(wrong, 0);

  // The same context comes back every frame, in its default state.
  HDC again = GetDC(window);
  EXPECT_EQ(again, dc);
  EXPECT_EQ(GetBkMode(again), OPAQUE);
  SetBkMode(again, TRANSPARENT);
  HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
  SelectObject(again, brush);
  EXPECT_EQ(ReleaseDC(nullptr, again), 0);  // not this window's
  EXPECT_EQ(ReleaseDC(window, again), 1);
  EXPECT_EQ(ReleaseDC(window, again), 0);  // not out any more
  EXPECT_TRUE(DeleteObject(brush));         // released with the context
  EXPECT_EQ(kv::headless::PresentCount(window), presents + 1);  // nothing drawn: nothing shown

  for (int i = 0; i < 10000; ++i) {
    HDC f = GetDC(window);
    BitBlt(f, 0, 0, 1000, 600, frame.dc, 0, 0, SRCCOPY);
    ReleaseDC(window, f);
  }
  EXPECT_EQ(kv::gdi::LiveDCCount(), dcs);

  DestroyWindow(window);
  EXPECT_EQ(GetDC(window), nullptr);
  EXPECT_EQ(GetDC(nullptr), nullptr);
  kv::user::ForgetWindowDC(window);
}

TEST(LoadBitmap, ResourcePicturesLoadAndMissingOnesGiveNull) {
  HINSTANCE module = kv::rt::ProgramInstance();
  HBITMAP trophy = LoadBitmapW(module, MAKEINTRESOURCEW(IDB_TROPHY));
  ASSERT_NE(trophy, nullptr);
  BITMAP bm{};
  GetObjectW(trophy, sizeof bm, &bm);
  EXPECT_EQ(bm.bmWidth, 111);
  EXPECT_EQ(bm.bmHeight, 299);
  EXPECT_EQ(bm.bmBitsPixel, 32);
  EXPECT_TRUE(DeleteObject(trophy));
  HBITMAP pitch = LoadBitmapW(module, MAKEINTRESOURCEW(IDB_PITCH_MASK));
  ASSERT_NE(pitch, nullptr);
  GetObjectW(pitch, sizeof bm, &bm);
  EXPECT_EQ(bm.bmWidth, 1000);
  EXPECT_EQ(bm.bmHeight, 600);
  EXPECT_TRUE(DeleteObject(pitch));
  EXPECT_EQ(LoadBitmapW(module, MAKEINTRESOURCEW(9999)), nullptr);
  EXPECT_EQ(LoadBitmapW(nullptr, MAKEINTRESOURCEW(IDB_TROPHY)), nullptr);
  EXPECT_EQ(LoadBitmapW(module, MAKEINTRESOURCEW(IDR_MAIN_MENU)), nullptr);
}

}  // namespace
