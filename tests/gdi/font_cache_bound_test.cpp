// The font cache stays bounded whatever a program asks for: faces no font
// uses any more are let go, and a face's rendered glyphs are capped in bytes.
#include <gtest/gtest.h>

#include <string>

#include "platform/gdi/font_cache.h"
#include "tests/gdi/gdi_test_util.h"

using gdi_test::Canvas;

namespace {

HFONT MakeFont(int height, const wchar_t* face) {
  return CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                     DEFAULT_PITCH | FF_DONTCARE, face);
}

TEST(FontCacheBound, FacesOfDeletedFontsDoNotAccumulate) {
  Canvas canvas(64, 32);
  const int before = kv::gdi::FontCacheNow().faces;
  int most = before;
  for (int i = 0; i < 150; ++i) {
    const std::wstring name = L"No Such Face " + std::to_wstring(i);
    HFONT font = MakeFont(-12 - i % 3, name.c_str());
    HGDIOBJ old = SelectObject(canvas.dc, font);
    TextOutW(canvas.dc, 0, 0, L"Ag", 2);  // loads the face and two glyphs
    SelectObject(canvas.dc, old);
    DeleteObject(font);
    most = std::max(most, kv::gdi::FontCacheNow().faces);
  }
  // A few unused faces may be kept for the next font that asks for them.
  EXPECT_LE(most, before + 16);

  // A font that is still alive keeps its face: its text comes out as before.
  HFONT kept = MakeFont(-20, L"Arial");
  SIZE first{}, again{};
  HGDIOBJ old = SelectObject(canvas.dc, kept);
  ASSERT_TRUE(GetTextExtentPoint32W(canvas.dc, L"Kelvara", 7, &first));
  for (int i = 0; i < 40; ++i) {
    const std::wstring name = L"Other Face " + std::to_wstring(i);
    HFONT font = MakeFont(-12, name.c_str());
    SIZE s{};
    HGDIOBJ prev = SelectObject(canvas.dc, font);
    GetTextExtentPoint32W(canvas.dc, L"x", 1, &s);
    SelectObject(canvas.dc, prev);
    DeleteObject(font);
  }
  ASSERT_TRUE(GetTextExtentPoint32W(canvas.dc, L"Kelvara", 7, &again));
  EXPECT_EQ(again.cx, first.cx);
  EXPECT_EQ(again.cy, first.cy);
  SelectObject(canvas.dc, old);
  DeleteObject(kept);
}

TEST(FontCacheBound, GlyphsOfOneLargeFaceAreCappedInBytes) {
  Canvas canvas(200, 200);
  HFONT font = MakeFont(-600, L"DejaVu Sans");
  HGDIOBJ old = SelectObject(canvas.dc, font);
  const int64_t before = kv::gdi::FontCacheNow().glyphBytes;
  int64_t most = before;
  for (wchar_t c = 0x41; c < 0x41 + 26; ++c) TextOutW(canvas.dc, 0, 0, &c, 1);
  for (wchar_t c = 0x100; c < 0x100 + 160; ++c) {
    TextOutW(canvas.dc, 0, 0, &c, 1);
    most = std::max(most, kv::gdi::FontCacheNow().glyphBytes);
  }
  // Each glyph here is some 100 KB: unbounded, these would hold over 18 MB.
  EXPECT_LE(most - before, int64_t{12} << 20);
  // Text still measures and draws after the cache was trimmed.
  SIZE s{};
  ASSERT_TRUE(GetTextExtentPoint32W(canvas.dc, L"AB", 2, &s));
  EXPECT_GT(s.cx, 300);
  SelectObject(canvas.dc, old);
  DeleteObject(font);
}

}  // namespace
