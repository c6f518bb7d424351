// Handles that outlived their object, and memory the caller owns: a stale
// handle is refused and never names a newer object, and a DIB section's bits
// are the caller's.
#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "tests/gdi/gdi_test_util.h"

namespace {

constexpr DWORD kBlackness = 0x00000042;  // the raster operation that writes black

// A deleted object's handle is not handed out again by the next creation of
// the same kind, so deleting it a second time cannot delete the new object.
TEST(StaleDrawingHandles, AreRefusedAndNeverNameTheNextObject) {
  HDC screen = CreateCompatibleDC(nullptr);
  ASSERT_NE(screen, nullptr);

  HBRUSH b1 = CreateSolidBrush(RGB(1, 2, 3));
  ASSERT_TRUE(DeleteObject(b1));
  HBRUSH b2 = CreateSolidBrush(RGB(1, 2, 3));
  EXPECT_NE(b1, b2);
  EXPECT_FALSE(DeleteObject(b1));
  EXPECT_TRUE(DeleteObject(b2));

  HPEN p1 = CreatePen(PS_SOLID, 1, 0);
  ASSERT_TRUE(DeleteObject(p1));
  HPEN p2 = CreatePen(PS_SOLID, 1, 0);
  EXPECT_NE(p1, p2);
  EXPECT_FALSE(DeleteObject(p1));
  EXPECT_TRUE(DeleteObject(p2));

  HBITMAP m1 = CreateCompatibleBitmap(screen, 8, 8);
  ASSERT_TRUE(DeleteObject(m1));
  HBITMAP m2 = CreateCompatibleBitmap(screen, 8, 8);
  EXPECT_NE(m1, m2);
  EXPECT_EQ(SelectObject(screen, m1), nullptr);  // refused, not selected
  EXPECT_FALSE(DeleteObject(m1));
  EXPECT_TRUE(DeleteObject(m2));

  HFONT f1 = CreateFontW(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0, L"Arial");
  ASSERT_TRUE(DeleteObject(f1));
  HFONT f2 = CreateFontW(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0, L"Arial");
  EXPECT_NE(f1, f2);
  EXPECT_FALSE(DeleteObject(f1));
  EXPECT_TRUE(DeleteObject(f2));

  HDC d1 = CreateCompatibleDC(nullptr);
  ASSERT_TRUE(DeleteDC(d1));
  HDC d2 = CreateCompatibleDC(nullptr);
  EXPECT_NE(d1, d2);
  EXPECT_FALSE(DeleteDC(d1));
  EXPECT_EQ(SetBkMode(d1, TRANSPARENT), 0);
  EXPECT_EQ(GetBkMode(d2), OPAQUE);
  EXPECT_TRUE(DeleteDC(d2));

  // Not soon either: a run of creations and deletions, as a frame loop
  // makes, gives none of the recent handles back.
  std::set<const void*> seen;
  int reissued = 0;
  for (int i = 0; i < 40; ++i) {
    HBRUSH b = CreateSolidBrush(static_cast<COLORREF>(i));
    HBITMAP m = CreateCompatibleBitmap(screen, 16, 16);
    HDC d = CreateCompatibleDC(nullptr);
    reissued += !seen.insert(b).second;
    reissued += !seen.insert(m).second;
    reissued += !seen.insert(d).second;
    DeleteObject(b);
    DeleteObject(m);
    DeleteDC(d);
  }
  EXPECT_EQ(reissued, 0);
  DeleteDC(screen);
}

// A DIB section's memory is the caller's to read and write at any moment:
// a black fill is in the bits when BitBlt returns, and what the caller then
// writes stays.
TEST(DibSectionBits, BlackFillIsWrittenAtOnceAndCallerWritesStay) {
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = 4;
  info.bmiHeader.biHeight = -4;  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP section = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  ASSERT_NE(section, nullptr);
  auto* mem = static_cast<uint32_t*>(bits);
  for (int i = 0; i < 16; ++i) mem[i] = 0x00FFFFFF;
  HGDIOBJ old = SelectObject(dc, section);

  ASSERT_TRUE(BitBlt(dc, 0, 0, 4, 4, nullptr, 0, 0, kBlackness));
  int notBlack = 0;
  for (int i = 0; i < 16; ++i) notBlack += mem[i] != 0;
  EXPECT_EQ(notBlack, 0);

  mem[5] = 0x00ABCDEF;  // (1, 1)
  EXPECT_EQ(GetPixel(dc, 1, 1), RGB(0xAB, 0xCD, 0xEF));
  EXPECT_EQ(mem[5], 0x00ABCDEFu);

  // The same through a copy out of it.
  HDC other = CreateCompatibleDC(nullptr);
  HBITMAP copy = CreateCompatibleBitmap(dc, 4, 4);
  HGDIOBJ oldCopy = SelectObject(other, copy);
  mem[6] = 0x00123456;
  ASSERT_TRUE(BitBlt(dc, 0, 0, 4, 4, nullptr, 0, 0, kBlackness));
  mem[6] = 0x00123456;
  ASSERT_TRUE(BitBlt(other, 0, 0, 4, 4, dc, 0, 0, SRCCOPY));
  EXPECT_EQ(GetPixel(other, 2, 1), RGB(0x12, 0x34, 0x56));

  SelectObject(other, oldCopy);
  DeleteObject(copy);
  DeleteDC(other);
  SelectObject(dc, old);
  DeleteObject(section);
  DeleteDC(dc);
}

}  // namespace
