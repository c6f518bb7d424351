// The text path on arbitrary UTF-16: a font chosen by the first bytes (face,
// height, weight, quality), then TextOutW with each alignment and background
// mode, and the extent of the same text. The font cache must stay bounded
// however many faces and sizes the inputs name.
//
// Rendering glyphs is nearly all a run costs under the fuzzer's
// instrumentation (a glyph 2048 pixels high took a fifth of a second), so
// one input may ask for a bounded amount of it: heights up to 255 pixels,
// and as much text as kGlyphArea holds at that height, at least one code
// unit. Absurd heights and the glyph cap at large sizes are the font cache
// tests' (tests/gdi/font_cache_bound_test.cpp).
#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/gdi/font_cache.h"
#include "platform/gdi/gdi_internal.h"
#include "platform/win32.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

const wchar_t* const kFaces[] = {L"Arial",        L"MS Shell Dlg", L"sans-serif",
                                 L"DejaVu Sans",  L"No Such Face", L"",
                                 L"Courier New",  L"Times New Roman"};

// Square pixels of glyph cells one input may draw: one glyph 256 pixels
// high, 64 at 32 pixels, 1024 at 8.
constexpr int kGlyphArea = 256 * 256;

int Height(uint8_t sign, uint8_t magnitude) { return (sign & 0x80) ? -magnitude : magnitude; }

// Code units of the text that fit the budget at this height (0 stands for
// the default, 16).
size_t UnitsWithin(int height, size_t units) {
  const int side = std::max(height == 0 ? 16 : std::abs(height), 8);
  return std::min(units, std::max<size_t>(1, kGlyphArea / (side * side)));
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  kvfuzz::WarmUpFonts();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 4) return 0;
  const int64_t objects = kv::gdi::LiveObjectCount(), dcs = kv::gdi::LiveDCCount();
  const int height = Height(data[0], data[1]);
  const int weight = (data[2] & 0x0F) * 100;
  const DWORD quality = (data[2] & 0x10) ? NONANTIALIASED_QUALITY : DEFAULT_QUALITY;
  const wchar_t* face = kFaces[(data[2] >> 5) % (sizeof kFaces / sizeof kFaces[0])];
  const uint8_t mode = data[3];
  std::vector<wchar_t> text(UnitsWithin(height, (size - 4) / 2));
  for (size_t i = 0; i < text.size(); ++i) {
    uint16_t unit;
    std::memcpy(&unit, data + 4 + 2 * i, 2);
    text[i] = static_cast<wchar_t>(unit);  // UTF-16 code units, surrogates as they come
  }
  const int length = static_cast<int>(text.size());

  std::vector<uint32_t> pixels(160 * 60, 0);
  HDC dc = kv::gdi::CreateSurfaceDC(kv::PixelSurface{pixels.data(), 160, 60, 160});
  HFONT font = CreateFontW(height, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                           OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, quality,
                           DEFAULT_PITCH | FF_DONTCARE, face);
  HGDIOBJ old = SelectObject(dc, font ? static_cast<HGDIOBJ>(font) : GetStockObject(SYSTEM_FONT));
  SetBkMode(dc, (mode & 1) ? TRANSPARENT : OPAQUE);
  SetTextColor(dc, RGB(mode, 255 - mode, 7));
  const UINT aligns[] = {TA_LEFT | TA_TOP, TA_CENTER | TA_TOP, TA_RIGHT | TA_BASELINE,
                         TA_CENTER | TA_BASELINE};
  SetTextAlign(dc, aligns[(mode >> 1) & 3]);
  const int x = static_cast<int8_t>(mode) * 3, y = (mode >> 3) * 4 - 20;
  TextOutW(dc, x, y, text.data(), length);
  TextOutW(dc, 80, 30, text.data(), length > 8 ? 8 : length);
  SIZE extent{};
  if (GetTextExtentPoint32W(dc, text.data(), length, &extent))
    kvfuzz::Require(extent.cx >= 0 && extent.cy >= 0, "a negative extent");
  SelectObject(dc, old);
  if (font) DeleteObject(font);
  DeleteDC(dc);

  kvfuzz::Require(kv::gdi::LiveObjectCount() == objects, "drawing objects left behind");
  kvfuzz::Require(kv::gdi::LiveDCCount() == dcs, "device contexts left behind");
  const kv::gdi::FontCacheUsage cache = kv::gdi::FontCacheNow();
  kvfuzz::Require(cache.faces <= 16, "the font cache keeps faces nothing uses");
  kvfuzz::Require(cache.largestFaceBytes <= (int64_t{16} << 20),
                  "a face's glyph cache grows without bound");
  return 0;
}
