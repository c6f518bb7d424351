// Fonts and text output.
#include <algorithm>

#include "platform/gdi/font_cache.h"
#include "platform/gdi/gdi_internal.h"
#include "platform/gdi/gdi_objects.h"
#include "platform/gdi/record_pool.h"

using namespace kv::gdi;

namespace {

// Walks UTF-16 (or UTF-32, as wchar_t is here) text one code point at a time.
template <typename F>
void ForEachCodePoint(LPCWSTR text, int length, F f) {
  for (int i = 0; i < length; ++i) {
    uint32_t c = static_cast<uint32_t>(text[i]);
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < length) {
      const uint32_t low = static_cast<uint32_t>(text[i + 1]);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
        ++i;
      }
    }
    if (c > 0x10FFFF) c = 0xFFFD;
    f(c);
  }
}

int64_t TextWidth(FontFace* face, LPCWSTR text, int length) {
  int64_t width = 0;
  ForEachCodePoint(text, length, [&](uint32_t c) {
    if (const Glyph* g = FaceGlyph(face, c)) width += g->advance;
  });
  return width;
}

// Clips [l,r) x [t,b) to the surface; false when nothing is left.
bool Clip(const Target& t, int64_t l, int64_t tp, int64_t r, int64_t b, RECT* out) {
  l = std::max<int64_t>(l, 0);
  tp = std::max<int64_t>(tp, 0);
  r = std::min<int64_t>(r, t.surface.width);
  b = std::min<int64_t>(b, t.surface.height);
  if (l >= r || tp >= b) return false;
  *out = RECT{static_cast<LONG>(l), static_cast<LONG>(tp), static_cast<LONG>(r),
              static_cast<LONG>(b)};
  return true;
}

}  // namespace

HFONT CreateFontW(int height, int, int, int, int weight, DWORD, DWORD, DWORD, DWORD, DWORD,
                  DWORD, DWORD quality, DWORD, LPCWSTR faceName) {
  HFONT__* f = TakeFontRecord();
  if (!f) return nullptr;
  f->face = AcquireFace(height, weight, quality, faceName);
  RegisterObject(&f->header);
  return f;
}

BOOL GetTextExtentPoint32W(HDC dc, LPCWSTR text, int length, SIZE* size) {
  HDC__* d = LiveDC(dc);
  if (!d || !size || length < 0 || (length > 0 && !text) || !d->font) return FALSE;
  FontMetrics m;
  if (!FaceMetrics(d->font->face, &m)) {
    size->cx = size->cy = 0;
    return FALSE;
  }
  const int64_t width = TextWidth(d->font->face, text, length);
  size->cx = static_cast<LONG>(std::min<int64_t>(width, INT32_MAX));
  size->cy = m.ascent + m.descent;
  return TRUE;
}

BOOL TextOutW(HDC dc, int x, int y, LPCWSTR text, int length) {
  HDC__* d = LiveDC(dc);
  if (!d || length < 0 || (length > 0 && !text)) return FALSE;
  if (length == 0) return TRUE;
  Target t;
  if (!DCTarget(d, &t) || !d->font) return FALSE;
  FontFace* face = d->font->face;
  FontMetrics m;
  if (!FaceMetrics(face, &m)) return FALSE;  // no font could be loaded: nothing drawn

  const UINT align = d->textAlign;
  // Left-aligned text over a transparent background never needs its width,
  // which would cost a second walk over the glyphs.
  const bool needsWidth = (align & TA_RIGHT) || d->bkMode == OPAQUE;
  const int64_t width = needsWidth ? TextWidth(face, text, length) : 0;
  int64_t left = x;
  if ((align & TA_CENTER) == TA_CENTER)
    left = x - width / 2;
  else if (align & TA_RIGHT)
    left = x - width;
  int64_t baseline = int64_t{y} + m.ascent;
  if ((align & TA_BASELINE) == TA_BASELINE)
    baseline = y;
  else if (align & TA_BOTTOM)
    baseline = int64_t{y} - m.descent;
  const int64_t top = baseline - m.ascent;

  RECT box;
  if (d->bkMode == OPAQUE &&
      Clip(t, left, top, left + width, top + m.ascent + m.descent, &box)) {
    t.format->fillRect(t.surface, box, t.format->colorToPixel(d->bkColor));
    MarkDrawn(d, box);
  }
  int64_t pen = left;
  ForEachCodePoint(text, length, [&](uint32_t c) {
    const Glyph* g = FaceGlyph(face, c);
    if (!g) return;
    const int64_t gl = pen + g->left, gt = baseline - g->top;
    RECT r;
    if (g->coverage && Clip(t, gl, gt, gl + g->width, gt + g->rows, &r)) {
      t.format->drawCoverage(t.surface, r, g->coverage, g->width, static_cast<int>(r.left - gl),
                             static_cast<int>(r.top - gt), d->textColor, m.antialias);
      MarkDrawn(d, r);
    }
    pen += g->advance;
  });
  return TRUE;
}
