// Drawing objects and device contexts: stock objects, selection and
// deletion rules, and that nothing accumulates.
#include <gtest/gtest.h>

#include "tests/gdi/gdi_test_util.h"

using gdi_test::Canvas;

namespace {

TEST(Objects, NewMemoryContextStartsWithThePlatformDefaults) {
  HDC dc = CreateCompatibleDC(nullptr);
  ASSERT_NE(dc, nullptr);
  EXPECT_EQ(GetBkMode(dc), OPAQUE);
  EXPECT_EQ(GetTextColor(dc), RGB(0, 0, 0));
  EXPECT_EQ(GetTextAlign(dc), static_cast<UINT>(TA_LEFT | TA_TOP));
  EXPECT_EQ(SetBkColor(dc, RGB(1, 2, 3)), RGB(255, 255, 255));
  EXPECT_EQ(SelectObject(dc, GetStockObject(BLACK_BRUSH)), GetStockObject(WHITE_BRUSH));
  EXPECT_EQ(SelectObject(dc, GetStockObject(WHITE_PEN)), GetStockObject(BLACK_PEN));
  EXPECT_EQ(SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT)), GetStockObject(SYSTEM_FONT));
  // The default bitmap: 1 x 1, monochrome.
  HBITMAP colour = CreateCompatibleBitmap(nullptr, 4, 4);
  HGDIOBJ defaultBitmap = SelectObject(dc, colour);
  ASSERT_NE(defaultBitmap, nullptr);
  BITMAP bm{};
  ASSERT_EQ(GetObjectW(defaultBitmap, sizeof bm, &bm), static_cast<int>(sizeof bm));
  EXPECT_EQ(bm.bmWidth, 1);
  EXPECT_EQ(bm.bmHeight, 1);
  EXPECT_EQ(bm.bmBitsPixel, 1);
  EXPECT_FALSE(DeleteObject(defaultBitmap));
  EXPECT_EQ(SelectObject(dc, defaultBitmap), colour);
  EXPECT_TRUE(DeleteObject(colour));
  EXPECT_TRUE(DeleteDC(dc));
}

TEST(Objects, CompatibleBitmapFollowsTheReferenceContext) {
  auto bitsOf = [](HBITMAP b) {
    BITMAP bm{};
    GetObjectW(b, sizeof bm, &bm);
    return bm.bmBitsPixel;
  };
  Canvas window(8, 8);
  HDC fresh = CreateCompatibleDC(window.dc);
  HBITMAP fromWindow = CreateCompatibleBitmap(window.dc, 8, 8);
  HBITMAP fromFresh = CreateCompatibleBitmap(fresh, 8, 8);  // the classic monochrome trap
  HBITMAP fromScreen = CreateCompatibleBitmap(nullptr, 8, 8);
  EXPECT_EQ(bitsOf(fromWindow), 32);
  EXPECT_EQ(bitsOf(fromFresh), 1);
  EXPECT_EQ(bitsOf(fromScreen), 32);
  HGDIOBJ old = SelectObject(fresh, fromWindow);
  HBITMAP fromColourContext = CreateCompatibleBitmap(fresh, 2, 2);
  EXPECT_EQ(bitsOf(fromColourContext), 32);
  BITMAP bm{};
  GetObjectW(fromFresh, sizeof bm, &bm);
  EXPECT_EQ(bm.bmWidthBytes, 2);  // monochrome rows padded to 16 bits
  EXPECT_EQ(CreateCompatibleBitmap(window.dc, -1, 5), nullptr);
  EXPECT_EQ(CreateCompatibleBitmap(window.dc, 1 << 20, 1 << 20), nullptr);
  SelectObject(fresh, old);
  for (HBITMAP b : {fromWindow, fromFresh, fromScreen, fromColourContext})
    EXPECT_TRUE(DeleteObject(b));
  EXPECT_TRUE(DeleteDC(fresh));
}

TEST(Objects, SelectionAndDeletionRules) {
  HDC a = CreateCompatibleDC(nullptr);
  HDC b = CreateCompatibleDC(nullptr);
  HBITMAP bitmap = CreateCompatibleBitmap(nullptr, 4, 4);
  HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
  HPEN pen = CreatePen(PS_SOLID, 1, RGB(4, 5, 6));
  HFONT font = CreateFontW(20, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0,
                           DEFAULT_QUALITY, VARIABLE_PITCH, L"Arial");

  // Stock objects are never deleted.
  for (int which : {WHITE_BRUSH, BLACK_BRUSH, NULL_BRUSH, BLACK_PEN, WHITE_PEN, NULL_PEN,
                    SYSTEM_FONT, DEFAULT_GUI_FONT})
    EXPECT_FALSE(DeleteObject(GetStockObject(which))) << which;

  // A bitmap lives in one context at a time.
  HGDIOBJ oldA = SelectObject(a, bitmap);
  EXPECT_NE(oldA, nullptr);
  EXPECT_EQ(SelectObject(b, bitmap), nullptr);
  EXPECT_EQ(SelectObject(a, bitmap), bitmap);  // already there

  // Objects still selected are not deleted.
  HGDIOBJ oldBrush = SelectObject(b, brush);
  HGDIOBJ oldPen = SelectObject(b, pen);
  HGDIOBJ oldFont = SelectObject(b, font);
  EXPECT_FALSE(DeleteObject(bitmap));
  EXPECT_FALSE(DeleteObject(brush));
  EXPECT_FALSE(DeleteObject(pen));
  EXPECT_FALSE(DeleteObject(font));

  // Putting the old objects back frees them for deletion.
  EXPECT_EQ(SelectObject(a, oldA), bitmap);
  EXPECT_EQ(SelectObject(b, oldBrush), brush);
  EXPECT_EQ(SelectObject(b, oldPen), pen);
  EXPECT_EQ(SelectObject(b, oldFont), font);
  EXPECT_NE(SelectObject(b, bitmap), nullptr);  // free now, b may take it
  EXPECT_TRUE(DeleteObject(brush));
  EXPECT_TRUE(DeleteObject(pen));
  EXPECT_TRUE(DeleteObject(font));
  // Deleting a context lets go of what it held.
  EXPECT_TRUE(DeleteDC(b));
  EXPECT_TRUE(DeleteObject(bitmap));

  // Handles that are not live objects of ours are refused, not followed.
  int notAnObject = 0;
  EXPECT_FALSE(DeleteObject(brush));  // already deleted
  EXPECT_FALSE(DeleteObject(&notAnObject));
  EXPECT_FALSE(DeleteObject(nullptr));
  EXPECT_EQ(SelectObject(a, &notAnObject), nullptr);
  EXPECT_EQ(SelectObject(a, bitmap), nullptr);
  EXPECT_EQ(SelectObject(reinterpret_cast<HDC>(&notAnObject), GetStockObject(BLACK_BRUSH)),
            nullptr);
  EXPECT_EQ(GetObjectW(&notAnObject, sizeof(BITMAP), &notAnObject), 0);
  EXPECT_FALSE(DeleteDC(b));  // already deleted
  EXPECT_FALSE(DeleteDC(reinterpret_cast<HDC>(&notAnObject)));
  EXPECT_EQ(CreatePen(42, 1, 0), nullptr);
  EXPECT_TRUE(DeleteDC(a));
}

TEST(Objects, BackBufferCyclesLeaveNothingBehind) {
  Canvas window(200, 120);
  const int64_t objects = kv::gdi::LiveObjectCount();
  const int64_t dcs = kv::gdi::LiveDCCount();
  for (int i = 0; i < 10000; ++i) {
    HDC memory = CreateCompatibleDC(window.dc);
    HBITMAP bitmap = CreateCompatibleBitmap(window.dc, 200, 120);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    HGDIOBJ brush = SelectObject(memory, GetStockObject(BLACK_BRUSH));
    Rectangle(memory, 0, 0, 200, 120);
    SelectObject(memory, brush);
    BitBlt(window.dc, 0, 0, 200, 120, memory, 0, 0, SRCCOPY);
    SelectObject(memory, previous);
    ASSERT_TRUE(DeleteObject(bitmap));
    ASSERT_TRUE(DeleteDC(memory));
  }
  EXPECT_EQ(kv::gdi::LiveObjectCount(), objects);
  EXPECT_EQ(kv::gdi::LiveDCCount(), dcs);
}

// Deleted bitmaps and fonts are handed out again as new ones: whatever the
// last one held (pixels, its context, what was known of its content, a DIB
// section's memory, a face) must not show through.
TEST(Objects, ReusedRecordsStartClean) {
  Canvas window(64, 48);
  for (int round = 0; round < 3; ++round) {
    HDC memory = CreateCompatibleDC(window.dc);
    HBITMAP used = CreateCompatibleBitmap(window.dc, 40, 30);
    HGDIOBJ previous = SelectObject(memory, used);
    HGDIOBJ brush = SelectObject(memory, GetStockObject(WHITE_BRUSH));
    Rectangle(memory, -1, -1, 41, 31);
    SelectObject(memory, brush);
    SelectObject(memory, previous);
    ASSERT_TRUE(DeleteObject(used));

    // Smaller, the same and larger than the storage just given back.
    for (int side : {20, 40, 60}) {
      HBITMAP fresh = CreateCompatibleBitmap(window.dc, side, 30);
      ASSERT_NE(fresh, nullptr);
      BITMAP info{};
      ASSERT_EQ(GetObjectW(fresh, sizeof info, &info), static_cast<int>(sizeof info));
      EXPECT_EQ(info.bmWidth, side);
      EXPECT_EQ(info.bmHeight, 30);
      EXPECT_EQ(info.bmBits, nullptr);
      ASSERT_NE(SelectObject(memory, fresh), nullptr) << "still owned by its old context";
      BitBlt(window.dc, 0, 0, 64, 48, memory, 0, 0, SRCCOPY);
      for (int y = 0; y < 30; ++y)
        for (int x = 0; x < side; ++x) ASSERT_EQ(window.At(x, y), 0u) << side << " at " << x << "," << y;
      SelectObject(memory, previous);
      // Its content is black all over and known so; a write must be seen.
      HGDIOBJ old = SelectObject(memory, fresh);
      SetPixel(memory, 3, 4, RGB(1, 2, 3));
      SelectObject(memory, old);
      HDC other = CreateCompatibleDC(window.dc);
      HGDIOBJ otherOld = SelectObject(other, fresh);
      EXPECT_EQ(GetPixel(other, 3, 4), RGB(1, 2, 3));
      SelectObject(other, otherOld);
      DeleteDC(other);
      ASSERT_TRUE(DeleteObject(fresh));
    }

    // A DIB section's memory goes with it; a plain bitmap after it has none.
    BITMAPINFO dib{};
    dib.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    dib.bmiHeader.biWidth = 8;
    dib.bmiHeader.biHeight = -8;
    dib.bmiHeader.biPlanes = 1;
    dib.bmiHeader.biBitCount = 32;
    dib.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP section = CreateDIBSection(nullptr, &dib, DIB_RGB_COLORS, &bits, nullptr, 0);
    ASSERT_NE(section, nullptr);
    static_cast<uint32_t*>(bits)[0] = 0x123456;
    ASSERT_TRUE(DeleteObject(section));
    HBITMAP plain = CreateCompatibleBitmap(window.dc, 8, 8);
    BITMAP info{};
    GetObjectW(plain, sizeof info, &info);
    EXPECT_EQ(info.bmBits, nullptr);
    EXPECT_EQ(info.bmBitsPixel, 32);
    ASSERT_TRUE(DeleteObject(plain));
    ASSERT_TRUE(DeleteDC(memory));
  }

  // A font: the new request's face, never the last one's.
  HFONT big = CreateFontW(48, 0, 0, 0, FW_BOLD, 0, 0, 0, 0, 0, 0, 0, 0, L"Arial");
  ASSERT_TRUE(DeleteObject(big));
  HFONT small = CreateFontW(12, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0, L"Arial");
  HGDIOBJ old = SelectObject(window.dc, small);
  SIZE size{};
  ASSERT_TRUE(GetTextExtentPoint32W(window.dc, L"A", 1, &size));
  EXPECT_EQ(size.cy, 12);
  SelectObject(window.dc, old);
  ASSERT_TRUE(DeleteObject(small));
}

}  // namespace
