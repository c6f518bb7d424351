// Records of deleted bitmaps and fonts, kept for reuse. A program that
// creates and deletes the same objects on every frame (a font and a loaded
// picture, say) then gets them back without going to the allocator: the
// record, and a bitmap's pixel storage, are handed out again as new. Only a
// few are kept, and no large storage, so the pool never holds much memory.
#pragma once

#include <cstddef>

#include "platform/gdi/gdi_objects.h"

namespace kv {
namespace gdi {

// A record in its freshly constructed state, whose storage can hold `pixels`
// without growing when one kept can; null when memory runs out.
HBITMAP__* TakeBitmapRecord(size_t pixels);
// Frees what only the record owned (a DIB section's memory) and keeps the
// record, or frees it when enough are kept.
void GiveBitmapRecord(HBITMAP__* bitmap);

HFONT__* TakeFontRecord();
void GiveFontRecord(HFONT__* font);

}  // namespace gdi
}  // namespace kv
