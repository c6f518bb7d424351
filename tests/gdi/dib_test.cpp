// Pictures in device-independent form: decoding resources, DIB sections and
// reading pixels back.
#include <gtest/gtest.h>

#include <cstring>

#include "tests/gdi/gdi_test_util.h"

namespace {

// Builds a DIB in memory: header, colour table, rows as given (already in
// file order and padded by the caller).
std::vector<uint8_t> MakeDib(int width, int height, int bits, const std::vector<uint32_t>& table,
                             const std::vector<uint8_t>& rows, uint32_t colorsUsed = 0) {
  BITMAPINFOHEADER h{};
  h.biSize = sizeof h;
  h.biWidth = width;
  h.biHeight = height;
  h.biPlanes = 1;
  h.biBitCount = static_cast<WORD>(bits);
  h.biCompression = BI_RGB;
  h.biClrUsed = colorsUsed;
  std::vector<uint8_t> out(sizeof h);
  std::memcpy(out.data(), &h, sizeof h);
  for (uint32_t c : table)  // 0x00RRGGBB as B, G, R, 0
    for (int k = 0; k < 4; ++k) out.push_back(static_cast<uint8_t>(c >> (8 * k)));
  out.insert(out.end(), rows.begin(), rows.end());
  return out;
}

uint32_t PixelOf(HBITMAP b, int x, int y) {
  kv::PixelSurface s = kv::gdi::BitmapPixels(b);
  return s.pixels[static_cast<ptrdiff_t>(y) * s.stride + x] & 0x00FFFFFF;
}

TEST(DibDecode, TrueColourRowsBottomUpWithPadding) {
  // 3 x 2 at 24 bits: 9 bytes of pixels and 3 of padding per row; the
  // first row in memory is the bottom of the picture.
  const std::vector<uint8_t> rows = {
      0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0xEE, 0xEE, 0xEE,  // bottom
      0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17, 0x18, 0x19, 0xEE, 0xEE, 0xEE,  // top
  };
  HBITMAP b = kv::gdi::CreateBitmapFromDib(MakeDib(3, 2, 24, {}, rows).data(),
                                           MakeDib(3, 2, 24, {}, rows).size());
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(PixelOf(b, 0, 0), 0x00131211u);
  EXPECT_EQ(PixelOf(b, 2, 0), 0x00191817u);
  EXPECT_EQ(PixelOf(b, 0, 1), 0x00030201u);
  EXPECT_EQ(PixelOf(b, 2, 1), 0x00090807u);
  BITMAP info{};
  EXPECT_EQ(GetObjectW(b, sizeof info, &info), static_cast<int>(sizeof info));
  EXPECT_EQ(info.bmType, 0);
  EXPECT_EQ(info.bmWidth, 3);
  EXPECT_EQ(info.bmHeight, 2);
  EXPECT_EQ(info.bmWidthBytes, 12);
  EXPECT_EQ(info.bmPlanes, 1);
  EXPECT_EQ(info.bmBitsPixel, 32);
  EXPECT_EQ(info.bmBits, nullptr);
  EXPECT_TRUE(DeleteObject(b));

  // 32 bits, top-down (negative height): the unused byte is dropped.
  const std::vector<uint8_t> rows32 = {0x10, 0x20, 0x30, 0xFF, 0x40, 0x50, 0x60, 0xFF};
  std::vector<uint8_t> dib = MakeDib(1, -2, 32, {}, rows32);
  b = kv::gdi::CreateBitmapFromDib(dib.data(), dib.size());
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(PixelOf(b, 0, 0), 0x00302010u);
  EXPECT_EQ(PixelOf(b, 0, 1), 0x00605040u);
  EXPECT_TRUE(DeleteObject(b));
}

TEST(DibDecode, PaletteIndicesThroughTheColourTable) {
  // 5 x 2 at 8 bits with four colours: rows of 5 indices padded to 8 bytes.
  // An index past the table reads as black rather than past the data.
  const std::vector<uint32_t> table = {0x00000000, 0x00FF0000, 0x0000FF00, 0x000000FF};
  const std::vector<uint8_t> rows = {
      3, 2, 1, 0, 200, 0xAA, 0xAA, 0xAA,  // bottom
      0, 1, 2, 3, 1, 0xAA, 0xAA, 0xAA,    // top
  };
  std::vector<uint8_t> dib = MakeDib(5, 2, 8, table, rows, 4);
  HBITMAP b = kv::gdi::CreateBitmapFromDib(dib.data(), dib.size());
  ASSERT_NE(b, nullptr);
  const uint32_t top[5] = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF, 0xFF0000};
  const uint32_t bottom[5] = {0x0000FF, 0x00FF00, 0xFF0000, 0x000000, 0x000000};
  for (int x = 0; x < 5; ++x) {
    EXPECT_EQ(PixelOf(b, x, 0), top[x]) << x;
    EXPECT_EQ(PixelOf(b, x, 1), bottom[x]) << x;
  }
  EXPECT_TRUE(DeleteObject(b));

  // 1 bit per pixel, two colours, 10 pixels in two bytes padded to four.
  const std::vector<uint8_t> bits = {0xA5, 0x80, 0, 0};
  dib = MakeDib(10, 1, 1, {0x00102030, 0x00405060}, bits);
  b = kv::gdi::CreateBitmapFromDib(dib.data(), dib.size());
  ASSERT_NE(b, nullptr);
  const int expect[10] = {1, 0, 1, 0, 0, 1, 0, 1, 1, 0};
  for (int x = 0; x < 10; ++x)
    EXPECT_EQ(PixelOf(b, x, 0), expect[x] ? 0x00405060u : 0x00102030u) << x;
  EXPECT_TRUE(DeleteObject(b));
}

TEST(DibDecode, MalformedPicturesGiveNullAndLeaveNothingBehind) {
  const int64_t before = kv::gdi::LiveObjectCount();
  const std::vector<uint8_t> rows(24, 0);
  const std::vector<uint8_t> good = MakeDib(3, 2, 24, {}, rows);
  HBITMAP kept = kv::gdi::CreateBitmapFromDib(good.data(), good.size());
  ASSERT_NE(kept, nullptr);
  EXPECT_EQ(kv::gdi::LiveObjectCount(), before + 1);

  auto patched = [&](size_t offset, uint32_t value, int bytes) {
    std::vector<uint8_t> d = good;
    for (int k = 0; k < bytes; ++k) d[offset + k] = static_cast<uint8_t>(value >> (8 * k));
    return d;
  };
  struct Case {
    const char* name;
    std::vector<uint8_t> dib;
  } cases[] = {
      {"header_size_12", patched(0, 12, 4)},
      {"header_size_41", patched(0, 41, 4)},
      {"header_larger_than_data", patched(0, 124, 4)},
      {"zero_width", patched(4, 0, 4)},
      {"negative_width", patched(4, 0xFFFFFFFD, 4)},
      {"zero_height", patched(8, 0, 4)},
      {"most_negative_height", patched(8, 0x80000000, 4)},
      {"two_planes", patched(12, 2, 2)},
      {"sixteen_bits", patched(14, 16, 2)},
      {"rle8", patched(16, 1, 4)},
      {"bitfields", patched(16, 3, 4)},
      {"truncated", std::vector<uint8_t>(good.begin(), good.end() - 1)},
      {"header_only", std::vector<uint8_t>(good.begin(), good.begin() + 40)},
      {"short_header", std::vector<uint8_t>(good.begin(), good.begin() + 39)},
      {"huge_colour_table", patched(32, 0xFFFFFFFF, 4)},
      {"huge_size", [&] {
         std::vector<uint8_t> d = patched(4, 0x7FFFFFFF, 4);
         for (int k = 0; k < 4; ++k) d[8 + k] = k == 3 ? 0x7F : 0xFF;
         return d;
       }()},
      {"too_many_palette_entries",
       MakeDib(2, 1, 8, std::vector<uint32_t>(257, 0), std::vector<uint8_t>(4, 0), 257)},
  };
  for (const Case& c : cases)
    EXPECT_EQ(kv::gdi::CreateBitmapFromDib(c.dib.data(), c.dib.size()), nullptr) << c.name;
  EXPECT_EQ(kv::gdi::CreateBitmapFromDib(nullptr, 100), nullptr);
  EXPECT_EQ(kv::gdi::LiveObjectCount(), before + 1);
  EXPECT_TRUE(DeleteObject(kept));
  EXPECT_EQ(kv::gdi::LiveObjectCount(), before);
}

TEST(DibSection, BothRowOrdersDrawAndReadBackThroughGetDIBits) {
  for (int sign : {1, -1}) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = 3;
    info.bmiHeader.biHeight = 2 * sign;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP b = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    ASSERT_NE(b, nullptr);
    ASSERT_NE(bits, nullptr);
    HGDIOBJ old = SelectObject(dc, b);
    SetPixel(dc, 0, 0, RGB(0x11, 0x22, 0x33));  // top left
    SetPixel(dc, 2, 1, RGB(0x44, 0x55, 0x66));  // bottom right
    const uint32_t* mem = static_cast<const uint32_t*>(bits);
    // Memory order follows the sign of the height: bottom-up puts the
    // bottom row first.
    const uint32_t topLeft = sign > 0 ? mem[3] : mem[0];
    const uint32_t bottomRight = sign > 0 ? mem[2] : mem[5];
    EXPECT_EQ(topLeft, 0x00112233u) << sign;
    EXPECT_EQ(bottomRight, 0x00445566u) << sign;
    BITMAP bm{};
    GetObjectW(b, sizeof bm, &bm);
    EXPECT_EQ(bm.bmBits, bits);
    EXPECT_EQ(bm.bmWidthBytes, 12);

    // Read back at 24 bits bottom-up (rows padded to 12 bytes) and at 32
    // bits top-down.
    BITMAPINFO want{};
    want.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    want.bmiHeader.biWidth = 3;
    want.bmiHeader.biHeight = 2;
    want.bmiHeader.biPlanes = 1;
    want.bmiHeader.biBitCount = 24;
    uint8_t rows24[24];
    std::memset(rows24, 0xCD, sizeof rows24);
    EXPECT_EQ(GetDIBits(dc, b, 0, 2, rows24, &want, DIB_RGB_COLORS), 2);
    EXPECT_EQ(rows24[6], 0x66);  // bottom row, third pixel: blue, green, red
    EXPECT_EQ(rows24[7], 0x55);
    EXPECT_EQ(rows24[8], 0x44);
    EXPECT_EQ(rows24[9], 0);     // padding cleared
    EXPECT_EQ(rows24[12], 0x33);  // top row, first pixel
    EXPECT_EQ(rows24[14], 0x11);
    want.bmiHeader.biBitCount = 32;
    want.bmiHeader.biHeight = -2;
    uint32_t rows32[6] = {};
    EXPECT_EQ(GetDIBits(dc, b, 0, 2, rows32, &want, DIB_RGB_COLORS), 2);
    EXPECT_EQ(rows32[0], 0x00112233u);
    EXPECT_EQ(rows32[5], 0x00445566u);
    // More lines than there are: only the lines that exist.
    EXPECT_EQ(GetDIBits(dc, b, 1, 50, rows32, &want, DIB_RGB_COLORS), 1);
    SelectObject(dc, old);
    EXPECT_TRUE(DeleteObject(b));
    EXPECT_TRUE(DeleteDC(dc));
  }
  BITMAPINFO bad{};
  bad.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bad.bmiHeader.biWidth = 3;
  bad.bmiHeader.biHeight = 2;
  bad.bmiHeader.biPlanes = 1;
  bad.bmiHeader.biBitCount = 16;
  void* bits = &bad;
  EXPECT_EQ(CreateDIBSection(nullptr, &bad, DIB_RGB_COLORS, &bits, nullptr, 0), nullptr);
  EXPECT_EQ(bits, nullptr);
}

}  // namespace
