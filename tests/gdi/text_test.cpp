// Text: sizes, placement by alignment, colour and background.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/gdi/font_cache.h"
#include "platform/gdi/gdi_objects.h"
#include "tests/gdi/gdi_test_util.h"

using gdi_test::Box;
using gdi_test::Canvas;
using gdi_test::InkBox;

namespace {

HFONT VerdictFont(DWORD quality = CLEARTYPE_QUALITY) {
  return CreateFontW(48, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                     CLIP_DEFAULT_PRECIS, quality, VARIABLE_PITCH | FF_DONTCARE, L"Arial");
}

int Length(const wchar_t* s) { return static_cast<int>(std::wcslen(s)); }

TEST(TextFonts, VerdictFontIsArialsStandInWithA48PixelCell) {
  HFONT font = VerdictFont();
  ASSERT_NE(font, nullptr);
  EXPECT_STREQ(kv::gdi::FaceFamily(font->face), "Liberation Sans");
  Canvas canvas(1000, 600);
  HGDIOBJ old = SelectObject(canvas.dc, font);
  SIZE size{};
  ASSERT_TRUE(GetTextExtentPoint32W(canvas.dc, L"CONGRATULATIONS !!!", 19, &size));
  EXPECT_EQ(size.cy, 48);
  EXPECT_GT(size.cx, 400);
  EXPECT_LT(size.cx, 700);
  kv::gdi::FontMetrics m;
  ASSERT_TRUE(kv::gdi::FaceMetrics(font->face, &m));
  EXPECT_EQ(m.ascent + m.descent, 48);
  SelectObject(canvas.dc, old);
  EXPECT_TRUE(DeleteObject(font));

  // A negative height is the em: the cell comes out taller than it.
  HFONT em = CreateFontW(-48, 0, 0, 0, FW_BOLD, 0, 0, 0, 1, 0, 0, 5, 2, L"Arial");
  SelectObject(canvas.dc, em);
  GetTextExtentPoint32W(canvas.dc, L"A", 1, &size);
  EXPECT_GE(size.cy, 53);
  EXPECT_LE(size.cy, 56);
  SelectObject(canvas.dc, old);
  EXPECT_TRUE(DeleteObject(em));
}

TEST(TextFonts, MissingFacesFallBackToASansSerifOfTheSameWeight) {
  HFONT missing = CreateFontW(30, 0, 0, 0, FW_BOLD, 0, 0, 0, 1, 0, 0, 5, 2, L"No Such Face Xyz");
  HFONT serifOnly = CreateFontW(30, 0, 0, 0, FW_BOLD, 0, 0, 0, 1, 0, 0, 5, 2, L"Georgia");
  for (HFONT f : {missing, serifOnly}) {
    const std::string family = kv::gdi::FaceFamily(f->face);
    EXPECT_FALSE(family.empty());
    EXPECT_EQ(family.find("Serif"), std::string::npos) << family;
    Canvas canvas(200, 60);
    SelectObject(canvas.dc, f);
    SetBkMode(canvas.dc, TRANSPARENT);
    SetTextColor(canvas.dc, RGB(255, 255, 255));
    EXPECT_TRUE(TextOutW(canvas.dc, 5, 5, L"Hello", 5));
    EXPECT_FALSE(InkBox(canvas, 0).empty());
    SelectObject(canvas.dc, GetStockObject(SYSTEM_FONT));
    EXPECT_TRUE(DeleteObject(f));
  }
}

TEST(TextFonts, SystemFontLineIsAbout16Pixels) {
  Canvas canvas(300, 60);
  SIZE size{};
  ASSERT_TRUE(GetTextExtentPoint32W(canvas.dc, L"Left Player Score: 0", 20, &size));
  EXPECT_GE(size.cy, 14);
  EXPECT_LE(size.cy, 18);
  // The score line at (60, 25), left and top aligned by default, stays in
  // its line.
  SetBkMode(canvas.dc, TRANSPARENT);
  SetTextColor(canvas.dc, RGB(255, 255, 255));
  TextOutW(canvas.dc, 60, 25, L"Left Player Score: 0", 20);
  const Box ink = InkBox(canvas, 0);
  ASSERT_FALSE(ink.empty());
  EXPECT_GE(ink.left, 60);
  EXPECT_LE(ink.left, 63);
  EXPECT_GE(ink.top, 25);
  EXPECT_LT(ink.bottom, 25 + size.cy);
  EXPECT_LE(ink.right, 60 + size.cx);
}

TEST(TextPlacement, HorizontalAlignmentsAndVerticalReferences) {
  HFONT font = VerdictFont();
  const wchar_t* text = L"TOO BAD";  // capitals only: no descenders
  struct Case {
    UINT align;
    int x, y;
  } cases[] = {{TA_CENTER | TA_TOP, 500, 50},
               {TA_LEFT | TA_TOP, 100, 50},
               {TA_RIGHT | TA_TOP, 900, 50},
               {TA_LEFT | TA_BASELINE, 100, 200},
               {TA_LEFT | TA_BOTTOM, 100, 300}};
  for (const Case& c : cases) {
    Canvas canvas(1000, 600);
    SelectObject(canvas.dc, font);
    SetBkMode(canvas.dc, TRANSPARENT);
    SetTextColor(canvas.dc, RGB(255, 255, 255));
    EXPECT_EQ(SetTextAlign(canvas.dc, c.align), static_cast<UINT>(TA_LEFT | TA_TOP));
    EXPECT_EQ(GetTextAlign(canvas.dc), c.align);
    SIZE size{};
    GetTextExtentPoint32W(canvas.dc, text, Length(text), &size);
    kv::gdi::FontMetrics m;
    kv::gdi::FaceMetrics(font->face, &m);
    ASSERT_TRUE(TextOutW(canvas.dc, c.x, c.y, text, Length(text)));
    const Box ink = InkBox(canvas, 0);
    ASSERT_FALSE(ink.empty());
    SCOPED_TRACE(testing::Message() << "align " << c.align);
    const int h = c.align & TA_BASELINE;
    const int w = c.align & TA_CENTER;
    if (w == TA_CENTER) {
      const double centre = (ink.left + ink.right + 1) / 2.0;
      EXPECT_NEAR(centre, c.x, 2.0);
    } else if (w == TA_RIGHT) {
      EXPECT_LE(ink.right, c.x);
      EXPECT_GE(ink.right, c.x - 4);
    } else {
      EXPECT_GE(ink.left, c.x);
      EXPECT_LE(ink.left, c.x + 4);
    }
    // Capitals stand on the baseline and reach most of the ascent.
    const int baseline = h == TA_BASELINE ? c.y : h == TA_BOTTOM ? c.y - m.descent : c.y + m.ascent;
    EXPECT_EQ(ink.bottom, baseline - 1);
    EXPECT_GE(ink.top, baseline - m.ascent);
    EXPECT_LE(ink.top, baseline - m.ascent + 12);
    SelectObject(canvas.dc, GetStockObject(SYSTEM_FONT));
  }
  EXPECT_TRUE(DeleteObject(font));
}

}  // namespace

namespace {

TEST(TextColour, GlyphsInTheTextColourOverATransparentOrOpaqueBackground) {
  HFONT font = VerdictFont();
  const wchar_t* text = L"SORRY";
  {
    // Red on black, transparent: every inked pixel is a shade of red and
    // the solid strokes are exactly red; nothing else is touched.
    Canvas canvas(400, 100);
    SelectObject(canvas.dc, font);
    SetBkMode(canvas.dc, TRANSPARENT);
    EXPECT_EQ(SetTextColor(canvas.dc, RGB(255, 0, 0)), RGB(0, 0, 0));
    EXPECT_EQ(GetTextColor(canvas.dc), RGB(255, 0, 0));
    TextOutW(canvas.dc, 10, 10, text, Length(text));
    int solid = 0, partial = 0;
    for (uint32_t p : canvas.pixels) {
      ASSERT_EQ(p & 0x0000FFFF, 0u);
      solid += p == 0x00FF0000;
      partial += p != 0 && p != 0x00FF0000;
    }
    EXPECT_GT(solid, 100);
    EXPECT_GT(partial, 0);  // anti-aliased edges
    SIZE size{};
    GetTextExtentPoint32W(canvas.dc, text, Length(text), &size);
    EXPECT_EQ(canvas.At(10, 10), 0u);  // box corner: background left alone
    EXPECT_EQ(canvas.At(10 + size.cx - 1, 10 + size.cy - 1), 0u);
    SelectObject(canvas.dc, GetStockObject(SYSTEM_FONT));
  }
  {
    // Opaque: the whole text box takes the background colour first, and
    // nothing outside it changes.
    Canvas canvas(400, 100, 0x00777777);
    SelectObject(canvas.dc, font);
    SetBkColor(canvas.dc, RGB(0, 0, 255));
    SetTextColor(canvas.dc, RGB(255, 0, 0));
    TextOutW(canvas.dc, 10, 10, text, Length(text));
    SIZE size{};
    GetTextExtentPoint32W(canvas.dc, text, Length(text), &size);
    for (int y = 0; y < 100; ++y)
      for (int x = 0; x < 400; ++x) {
        const uint32_t p = canvas.At(x, y);
        const bool inBox = x >= 10 && x < 10 + size.cx && y >= 10 && y < 10 + size.cy;
        if (inBox)
          ASSERT_EQ(p & 0x0000FF00, 0u) << x << "," << y;  // blue, red or between
        else
          ASSERT_EQ(p, 0x00777777u) << x << "," << y;
      }
    EXPECT_EQ(canvas.At(10, 10), 0x000000FFu);
    SelectObject(canvas.dc, GetStockObject(SYSTEM_FONT));
  }
  EXPECT_TRUE(DeleteObject(font));
}

TEST(TextColour, NonAntialiasedTextHasOnlyTheTextColour) {
  HFONT font = VerdictFont(NONANTIALIASED_QUALITY);
  Canvas canvas(400, 100);
  SelectObject(canvas.dc, font);
  SetBkMode(canvas.dc, TRANSPARENT);
  SetTextColor(canvas.dc, RGB(0, 255, 0));
  TextOutW(canvas.dc, 10, 10, L"WIN", 3);
  int inked = 0;
  for (uint32_t p : canvas.pixels) {
    ASSERT_TRUE(p == 0 || p == 0x0000FF00) << std::hex << p;
    inked += p != 0;
  }
  EXPECT_GT(inked, 100);
  SelectObject(canvas.dc, GetStockObject(SYSTEM_FONT));
  EXPECT_TRUE(DeleteObject(font));
}

TEST(TextClipping, TextAtAndPastEveryEdgeDrawsOnlyInside) {
  HFONT font = VerdictFont();
  const wchar_t* text = L"CONGRATULATIONS !!!";
  struct Case {
    int x, y;
    bool visible;
  } cases[] = {{-100, 10, true},  {250, -30, true},  {250, 70, true},  {-2000, 10, false},
               {3000, 10, false}, {10, 5000, false}, {2147483000, 2147483000, false},
               {-2147483000, -2147483000, false}};
  // The canvas sits inside a larger block whose margins must stay clean.
  const int w = 300, h = 100, margin = 64;
  std::vector<uint32_t> block(static_cast<size_t>(w + 2 * margin) * (h + 2 * margin), 0x00ABCDEF);
  for (const Case& c : cases) {
    std::fill(block.begin(), block.end(), 0x00ABCDEF);
    kv::PixelSurface s{block.data() + margin * (w + 2 * margin) + margin, w, h, w + 2 * margin};
    for (int y = 0; y < h; ++y) std::fill_n(s.pixels + y * s.stride, w, 0u);
    HDC dc = kv::gdi::CreateSurfaceDC(s);
    SelectObject(dc, font);
    SetTextColor(dc, RGB(255, 255, 255));
    EXPECT_TRUE(TextOutW(dc, c.x, c.y, text, Length(text)));
    int inside = 0, outside = 0;
    for (int y = 0; y < h + 2 * margin; ++y)
      for (int x = 0; x < w + 2 * margin; ++x) {
        const bool in = x >= margin && x < margin + w && y >= margin && y < margin + h;
        const uint32_t p = block[y * (w + 2 * margin) + x];
        if (in) inside += p != 0;
        else outside += p != 0x00ABCDEF;
      }
    EXPECT_EQ(outside, 0) << c.x << "," << c.y;
    EXPECT_EQ(inside > 0, c.visible) << c.x << "," << c.y;
    SelectObject(dc, GetStockObject(SYSTEM_FONT));
    DeleteDC(dc);
  }
  EXPECT_TRUE(DeleteObject(font));
}

TEST(TextInput, OddArgumentsAreHandled) {
  Canvas canvas(100, 40);
  SIZE size{};
  EXPECT_TRUE(TextOutW(canvas.dc, 0, 0, L"", 0));
  EXPECT_TRUE(TextOutW(canvas.dc, 0, 0, nullptr, 0));
  EXPECT_FALSE(TextOutW(canvas.dc, 0, 0, nullptr, 3));
  EXPECT_FALSE(TextOutW(canvas.dc, 0, 0, L"abc", -1));
  EXPECT_FALSE(TextOutW(nullptr, 0, 0, L"abc", 3));
  EXPECT_FALSE(GetTextExtentPoint32W(canvas.dc, L"abc", 3, nullptr));
  // Lone surrogates, a pair, a code point past Unicode and a control
  // character all draw something or nothing, never fail.
  const wchar_t odd[] = {0xD800, L'a', 0xD83D, 0xDE00, static_cast<wchar_t>(0x110000), 7, 0};
  EXPECT_TRUE(TextOutW(canvas.dc, 0, 0, odd, 6));
  EXPECT_TRUE(GetTextExtentPoint32W(canvas.dc, odd, 6, &size));
  EXPECT_GT(size.cx, 0);
  EXPECT_EQ(SetBkMode(canvas.dc, 77), 0);  // not a mode
  EXPECT_EQ(GetBkMode(canvas.dc), OPAQUE);
}

TEST(TextFonts, FontsMadeAndDroppedEveryFrameLeaveNothingBehind) {
  Canvas canvas(1000, 600);
  SetBkMode(canvas.dc, TRANSPARENT);
  const int64_t objects = kv::gdi::LiveObjectCount();
  const int64_t dcs = kv::gdi::LiveDCCount();
  for (int i = 0; i < 10000; ++i) {
    HFONT font = VerdictFont();
    HGDIOBJ old = SelectObject(canvas.dc, font);
    ASSERT_EQ(old, GetStockObject(SYSTEM_FONT));
    SetTextAlign(canvas.dc, TA_CENTER);
    TextOutW(canvas.dc, 500, 50, L"TOO BAD, A TIE ...", 18);
    SelectObject(canvas.dc, old);
    ASSERT_TRUE(DeleteObject(font));
  }
  EXPECT_EQ(kv::gdi::LiveObjectCount(), objects);
  EXPECT_EQ(kv::gdi::LiveDCCount(), dcs);
  // One shared face served every one of them.
  HFONT a = VerdictFont(), b = VerdictFont();
  EXPECT_NE(a, b);
  EXPECT_EQ(a->face, b->face);
  DeleteObject(a);
  DeleteObject(b);
}

}  // namespace
