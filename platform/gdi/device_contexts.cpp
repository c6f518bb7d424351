// Memory and surface device contexts, and the attributes every context keeps.
// A surface context draws straight into pixels it does not own and notes the
// rectangle drawn, so whoever shows those pixels can show just that part.
#include <algorithm>

#include "platform/gdi/gdi_internal.h"
#include "platform/gdi/gdi_objects.h"
#include "platform/gdi/record_pool.h"

using namespace kv::gdi;

HDC CreateCompatibleDC(HDC reference) {
  // Any reference context (or none, the screen) gives the same kind of
  // memory context here: the display has one format.
  if (reference && !LiveDC(reference)) return nullptr;
  auto* dc = TakeRecord<HDC__>();
  if (!dc) return nullptr;
  dc->kind = HDC__::kMemory;
  ResetDCState(dc);
  dc->bitmap = DefaultBitmap();
  ++dc->bitmap->header.selections;
  RegisterDC(dc, true);
  return dc;
}

namespace kv {
namespace gdi {

HDC CreateSurfaceDC(const PixelSurface& surface) {
  if (!surface.pixels || surface.width <= 0 || surface.height <= 0) return nullptr;
  auto* dc = TakeRecord<HDC__>();
  if (!dc) return nullptr;
  dc->kind = HDC__::kSurface;
  dc->surface = surface;
  dc->surfaceFormat = &ColorFormat();
  ResetDCState(dc);
  RegisterDC(dc, true);
  return dc;
}

HDC CreateHeldSurfaceDC() {
  auto* dc = TakeRecord<HDC__>();
  if (!dc) return nullptr;
  dc->kind = HDC__::kSurface;
  dc->held = true;
  dc->surfaceFormat = &ColorFormat();
  RegisterDC(dc, false);
  return dc;
}

void HandOutSurfaceDC(HDC dc, const PixelSurface& surface) {
  dc->surface = surface;
  ResetDCState(dc);
  dc->dirty = RECT{0, 0, 0, 0};
  if (!dc->out) {
    dc->out = true;
    CountDC(+1);
  }
}

bool TakeBackSurfaceDC(HDC dc, RECT* drawn) {
  HDC__* d = LiveDC(dc);
  if (!d || !d->held || !d->out) return false;
  *drawn = d->dirty;
  d->dirty = RECT{0, 0, 0, 0};
  // Objects the caller selected are let go, so they can be deleted.
  ResetDCState(d);
  d->out = false;
  CountDC(-1);
  return true;
}

void MoveSurfaceDC(HDC dc, const PixelSurface& surface) {
  HDC__* d = LiveDC(dc);
  if (!d || !d->held || !d->out) return;
  d->surface = surface;
  // What was drawn is still to be shown, as far as it lies on the new pixels.
  d->dirty.right = std::min<LONG>(d->dirty.right, surface.width);
  d->dirty.bottom = std::min<LONG>(d->dirty.bottom, surface.height);
  if (EmptyRect(d->dirty)) d->dirty = RECT{0, 0, 0, 0};
}

void FreeHeldSurfaceDC(HDC dc) {
  HDC__* d = LiveDC(dc);
  if (!d || !d->held) return;
  if (d->out) CountDC(-1);
  ReleaseDCObjects(d);
  UnregisterDC(d, false);
  GiveRecord(d);
}

}  // namespace gdi
}  // namespace kv

BOOL DeleteDC(HDC dc) {
  HDC__* d = LiveDC(dc);
  // A held context (a window's) is given back to its owner, never deleted.
  if (!d || d->held) return FALSE;
  ReleaseDCObjects(d);
  UnregisterDC(d, true);
  GiveRecord(d);
  return TRUE;
}

int SetBkMode(HDC dc, int mode) {
  HDC__* d = LiveDC(dc);
  if (!d || (mode != TRANSPARENT && mode != OPAQUE)) return 0;
  const int previous = d->bkMode;
  d->bkMode = mode;
  return previous;
}

int GetBkMode(HDC dc) {
  HDC__* d = LiveDC(dc);
  return d ? d->bkMode : 0;
}

COLORREF SetBkColor(HDC dc, COLORREF color) {
  HDC__* d = LiveDC(dc);
  if (!d) return CLR_INVALID;
  const COLORREF previous = d->bkColor;
  d->bkColor = color & 0x00FFFFFF;
  return previous;
}

COLORREF GetTextColor(HDC dc) {
  HDC__* d = LiveDC(dc);
  return d ? d->textColor : CLR_INVALID;
}

COLORREF SetTextColor(HDC dc, COLORREF color) {
  HDC__* d = LiveDC(dc);
  if (!d) return CLR_INVALID;
  const COLORREF previous = d->textColor;
  d->textColor = color & 0x00FFFFFF;
  return previous;
}

UINT SetTextAlign(HDC dc, UINT align) {
  HDC__* d = LiveDC(dc);
  if (!d) return 0xFFFFFFFF;  // GDI_ERROR
  const UINT previous = d->textAlign;
  d->textAlign = align & (TA_UPDATECP | TA_CENTER | TA_BASELINE);
  return previous;
}

UINT GetTextAlign(HDC dc) {
  HDC__* d = LiveDC(dc);
  return d ? d->textAlign : 0xFFFFFFFF;
}
