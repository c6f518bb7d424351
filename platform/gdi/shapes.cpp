// Rectangles and single pixels.
#include <algorithm>

#include "platform/gdi/gdi_objects.h"

using namespace kv::gdi;

namespace {

// Fills `r` clipped to the target; nothing when the clipped part is empty.
void FillClipped(HDC dc, const Target& t, int64_t left, int64_t top, int64_t right,
                 int64_t bottom, uint32_t pixel) {
  left = std::max<int64_t>(left, 0);
  top = std::max<int64_t>(top, 0);
  right = std::min<int64_t>(right, t.surface.width);
  bottom = std::min<int64_t>(bottom, t.surface.height);
  if (left >= right || top >= bottom) return;
  const RECT r{static_cast<LONG>(left), static_cast<LONG>(top), static_cast<LONG>(right),
               static_cast<LONG>(bottom)};
  t.format->fillRect(t.surface, r, pixel);
  MarkDrawn(dc, r);
}

}  // namespace

BOOL Rectangle(HDC dc, int left, int top, int right, int bottom) {
  HDC__* d = LiveDC(dc);
  Target t;
  if (!d || !DCTarget(d, &t)) return FALSE;
  int64_t l = std::min(left, right), r = std::max(left, right);
  int64_t tp = std::min(top, bottom), b = std::max(top, bottom);
  // The right and bottom edges are excluded; with no pen the shape is one
  // pixel smaller still, as the platform draws it.
  const bool pen = d->pen && !d->pen->null;
  if (!pen) {
    --r;
    --b;
  }
  if (l >= r || tp >= b) return TRUE;
  if (d->brush && !d->brush->null) {
    const int64_t inset = pen ? 1 : 0;
    FillClipped(d, t, l + inset, tp + inset, r - inset, b - inset,
                t.format->colorToPixel(d->brush->color));
  }
  if (pen) {
    // One pixel wide, on the outermost rows and columns of the shape.
    const uint32_t p = t.format->colorToPixel(d->pen->color);
    FillClipped(d, t, l, tp, r, tp + 1, p);
    FillClipped(d, t, l, b - 1, r, b, p);
    FillClipped(d, t, l, tp, l + 1, b, p);
    FillClipped(d, t, r - 1, tp, r, b, p);
  }
  return TRUE;
}

COLORREF GetPixel(HDC dc, int x, int y) {
  HDC__* d = LiveDC(dc);
  Target t;
  if (!d || !DCSource(d, &t)) return CLR_INVALID;
  if (x < 0 || y < 0 || x >= t.surface.width || y >= t.surface.height) return CLR_INVALID;
  return t.format->pixelToColor(Row(t.surface, y)[x]);
}

COLORREF SetPixel(HDC dc, int x, int y, COLORREF color) {
  HDC__* d = LiveDC(dc);
  Target t;
  if (!d || !DCTarget(d, &t)) return CLR_INVALID;
  if (x < 0 || y < 0 || x >= t.surface.width || y >= t.surface.height) return CLR_INVALID;
  const uint32_t p = t.format->colorToPixel(color);
  Row(t.surface, y)[x] = p;
  MarkDrawn(d, RECT{x, y, x + 1, y + 1});
  return t.format->pixelToColor(p);
}
