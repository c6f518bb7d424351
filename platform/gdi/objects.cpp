// Drawing objects: the registry of live handles, stock objects, selection
// and deletion, brushes and pens.
#include <cstring>
#include <functional>
#include <unordered_set>

#include "platform/gdi/font_cache.h"
#include "platform/gdi/gdi_internal.h"
#include "platform/gdi/gdi_objects.h"
#include "platform/gdi/record_pool.h"

namespace kv {
namespace gdi {
namespace {

using Registry = std::unordered_set<const void*, std::hash<const void*>,
                                    std::equal_to<const void*>, RecycledNodes<const void*>>;

// Handles are checked against these sets before they are dereferenced, so a
// stale or foreign pointer is refused instead of read.
Registry& Objects() {
  static auto* set = new Registry(256);
  return *set;
}
Registry& DCs() {
  static auto* set = new Registry(64);
  return *set;
}
int64_t gLiveObjects = 0;
int64_t gLiveDCs = 0;

HBRUSH__* MakeStockBrush(bool null, COLORREF color) {
  auto* b = new HBRUSH__;
  b->header.stock = true;
  b->null = null;
  b->color = color;
  RegisterObject(&b->header);
  return b;
}
HPEN__* MakeStockPen(bool null, COLORREF color) {
  auto* p = new HPEN__;
  p->header.stock = true;
  p->null = null;
  p->color = color;
  RegisterObject(&p->header);
  return p;
}
HFONT__* MakeStockFont(int height, int weight, const wchar_t* face) {
  auto* f = new HFONT__;
  f->header.stock = true;
  f->face = AcquireFace(height, weight, DEFAULT_QUALITY, face);
  RegisterObject(&f->header);
  return f;
}

struct StockObjects {
  HBRUSH__* brushes[6];
  HPEN__* pens[3];
  HFONT__* systemFont;
  HFONT__* guiFont;
  HBITMAP__* defaultBitmap;
};

StockObjects& Stock() {
  static StockObjects* stock = [] {
    auto* s = new StockObjects;
    s->brushes[WHITE_BRUSH] = MakeStockBrush(false, 0x00FFFFFF);
    s->brushes[LTGRAY_BRUSH] = MakeStockBrush(false, 0x00C0C0C0);
    s->brushes[GRAY_BRUSH] = MakeStockBrush(false, 0x00808080);
    s->brushes[DKGRAY_BRUSH] = MakeStockBrush(false, 0x00404040);
    s->brushes[BLACK_BRUSH] = MakeStockBrush(false, 0);
    s->brushes[NULL_BRUSH] = MakeStockBrush(true, 0);
    s->pens[WHITE_PEN - WHITE_PEN] = MakeStockPen(false, 0x00FFFFFF);
    s->pens[BLACK_PEN - WHITE_PEN] = MakeStockPen(false, 0);
    s->pens[NULL_PEN - WHITE_PEN] = MakeStockPen(true, 0);
    // The System font (16 pixels, bold) and the dialog font.
    s->systemFont = MakeStockFont(16, FW_BOLD, L"System");
    s->guiFont = MakeStockFont(-11, FW_NORMAL, L"MS Shell Dlg");
    HBITMAP bitmap = NewBitmap(&MonochromeFormat(), 1, 1);
    bitmap->header.stock = true;
    RegisterObject(&bitmap->header);
    s->defaultBitmap = bitmap;
    return s;
  }();
  return *stock;
}

}  // namespace

// ---- registry
ObjectHeader* LiveObject(HGDIOBJ object) {
  if (!object || !Objects().count(object)) return nullptr;
  return static_cast<ObjectHeader*>(object);
}

HBITMAP LiveBitmap(HGDIOBJ object) {
  ObjectHeader* h = LiveObject(object);
  return h && h->kind == ObjectKind::kBitmap ? reinterpret_cast<HBITMAP>(h) : nullptr;
}

HDC__* LiveDC(HDC dc) { return dc && DCs().count(dc) ? dc : nullptr; }

void RegisterObject(ObjectHeader* object) {
  Objects().insert(object);
  if (!object->stock) ++gLiveObjects;
}
void UnregisterObject(ObjectHeader* object) {
  if (Objects().erase(object) && !object->stock) --gLiveObjects;
}
void RegisterDC(HDC dc, bool counted) {
  DCs().insert(dc);
  if (counted) ++gLiveDCs;
}
void UnregisterDC(HDC dc, bool counted) {
  if (DCs().erase(dc) && counted) --gLiveDCs;
}
void CountDC(int delta) { gLiveDCs += delta; }

int64_t LiveObjectCount() { return gLiveObjects; }
int64_t LiveDCCount() { return gLiveDCs; }

HBITMAP DefaultBitmap() { return Stock().defaultBitmap; }

void FreeObject(ObjectHeader* object) {
  switch (object->kind) {
    case ObjectKind::kBitmap: GiveBitmapRecord(reinterpret_cast<HBITMAP>(object)); break;
    case ObjectKind::kBrush: GiveRecord(reinterpret_cast<HBRUSH>(object)); break;
    case ObjectKind::kPen: GiveRecord(reinterpret_cast<HPEN>(object)); break;
    case ObjectKind::kFont:
      ReleaseFace(reinterpret_cast<HFONT>(object)->face);
      GiveFontRecord(reinterpret_cast<HFONT>(object));
      break;
  }
}

// ---- context state shared by creation, GetDC and DeleteDC
namespace {
template <typename T>
void Swap(T*& slot, T* next) {
  if (slot) --slot->header.selections;
  slot = next;
  if (slot) ++slot->header.selections;
}
}  // namespace

void ResetDCState(HDC dc) {
  StockObjects& s = Stock();
  Swap(dc->pen, static_cast<HPEN>(s.pens[BLACK_PEN - WHITE_PEN]));
  Swap(dc->brush, static_cast<HBRUSH>(s.brushes[WHITE_BRUSH]));
  Swap(dc->font, static_cast<HFONT>(s.systemFont));
  dc->textColor = 0;
  dc->bkColor = 0x00FFFFFF;
  dc->bkMode = OPAQUE;
  dc->textAlign = TA_LEFT | TA_TOP;
}

void ReleaseDCObjects(HDC dc) {
  Swap(dc->pen, static_cast<HPEN>(nullptr));
  Swap(dc->brush, static_cast<HBRUSH>(nullptr));
  Swap(dc->font, static_cast<HFONT>(nullptr));
  if (dc->bitmap) {
    --dc->bitmap->header.selections;
    if (dc->bitmap->owner == dc) dc->bitmap->owner = nullptr;
    dc->bitmap = nullptr;
  }
}

HBITMAP DCBitmap(HDC dc) { return dc->kind == HDC__::kMemory ? dc->bitmap : nullptr; }

bool DCSource(HDC dc, Target* out) {
  if (dc->kind == HDC__::kMemory) {
    if (!dc->bitmap) return false;
    Settle(dc->bitmap);
    out->surface = dc->bitmap->surface;
    out->format = dc->bitmap->format;
  } else {
    out->surface = dc->surface;
    out->format = dc->surfaceFormat;
  }
  return out->surface.pixels && out->surface.width > 0 && out->surface.height > 0;
}

bool DCTarget(HDC dc, Target* out) {
  if (!DCSource(dc, out)) return false;
  if (HBITMAP b = DCBitmap(dc)) NoteWrite(b);
  return true;
}

void MarkDrawn(HDC dc, const RECT& r) {
  if (dc->kind != HDC__::kSurface) return;
  RECT& d = dc->dirty;
  if (EmptyRect(d)) {
    d = r;
    return;
  }
  if (r.left < d.left) d.left = r.left;
  if (r.top < d.top) d.top = r.top;
  if (r.right > d.right) d.right = r.right;
  if (r.bottom > d.bottom) d.bottom = r.bottom;
}

}  // namespace gdi
}  // namespace kv

using namespace kv::gdi;

HGDIOBJ GetStockObject(int which) {
  StockObjects& s = Stock();
  switch (which) {
    case WHITE_BRUSH: case LTGRAY_BRUSH: case GRAY_BRUSH:
    case DKGRAY_BRUSH: case BLACK_BRUSH: case NULL_BRUSH:
      return s.brushes[which];
    case WHITE_PEN: case BLACK_PEN: case NULL_PEN:
      return s.pens[which - WHITE_PEN];
    case SYSTEM_FONT: return s.systemFont;
    case DEFAULT_GUI_FONT: return s.guiFont;
    default: return nullptr;
  }
}

HGDIOBJ SelectObject(HDC dc, HGDIOBJ object) {
  Stock();
  HDC__* d = LiveDC(dc);
  ObjectHeader* h = LiveObject(object);
  if (!d || !h) return nullptr;
  HGDIOBJ previous = nullptr;
  switch (h->kind) {
    case ObjectKind::kBitmap: {
      // Only memory contexts hold bitmaps, and a bitmap lives in one context
      // at a time (the shared default bitmap excepted).
      HBITMAP b = reinterpret_cast<HBITMAP>(h);
      if (d->kind != HDC__::kMemory) return nullptr;
      if (b == d->bitmap) return b;
      if (!h->stock && b->owner && b->owner != d) return nullptr;
      previous = d->bitmap;
      if (d->bitmap) {
        --d->bitmap->header.selections;
        if (d->bitmap->owner == d) d->bitmap->owner = nullptr;
      }
      d->bitmap = b;
      ++h->selections;
      if (!h->stock) b->owner = d;
      break;
    }
    case ObjectKind::kBrush:
      previous = d->brush;
      Swap(d->brush, reinterpret_cast<HBRUSH>(h));
      break;
    case ObjectKind::kPen:
      previous = d->pen;
      Swap(d->pen, reinterpret_cast<HPEN>(h));
      break;
    case ObjectKind::kFont:
      previous = d->font;
      Swap(d->font, reinterpret_cast<HFONT>(h));
      break;
  }
  return previous;
}

BOOL DeleteObject(HGDIOBJ object) {
  ObjectHeader* h = LiveObject(object);
  if (!h || h->stock || h->selections > 0) return FALSE;
  UnregisterObject(h);
  FreeObject(h);
  return TRUE;
}

int GetObjectW(HANDLE object, int size, LPVOID out) {
  HBITMAP b = LiveBitmap(object);
  if (!b) return 0;
  if (!out) return static_cast<int>(sizeof(BITMAP));
  if (size <= 0) return 0;
  BITMAP info{};
  info.bmType = 0;
  info.bmWidth = b->width;
  info.bmHeight = b->height;
  info.bmPlanes = 1;
  info.bmBitsPixel = static_cast<WORD>(b->format->bitsPerPixel);
  // Device-dependent rows are padded to 16 bits, DIB section rows to 32.
  info.bmWidthBytes = b->format->bitsPerPixel == 1 ? ((b->width + 15) / 16) * 2 : b->width * 4;
  info.bmBits = b->dibBits;
  const size_t n = static_cast<size_t>(size) < sizeof(BITMAP) ? static_cast<size_t>(size)
                                                                : sizeof(BITMAP);
  std::memcpy(out, &info, n);
  return static_cast<int>(n);
}

HBRUSH CreateSolidBrush(COLORREF color) {
  auto* b = TakeRecord<HBRUSH__>();
  if (!b) return nullptr;
  b->color = color & 0x00FFFFFF;
  RegisterObject(&b->header);
  return b;
}

HPEN CreatePen(int style, int width, COLORREF color) {
  if (style != PS_SOLID && style != PS_NULL) return nullptr;
  auto* p = TakeRecord<HPEN__>();
  if (!p) return nullptr;
  p->null = style == PS_NULL;
  p->width = width < 1 ? 1 : width;
  p->color = color & 0x00FFFFFF;
  RegisterObject(&p->header);
  return p;
}
