// Block transfers: clipped once against both surfaces, then one raster
// operation row by row.
#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/gdi/gdi_objects.h"

using namespace kv::gdi;

namespace {

// A row of converted or saved source pixels. It only ever grows, so steady
// drawing allocates nothing.
uint32_t* ScratchRow(size_t count) {
  static std::vector<uint32_t> row;
  if (row.size() < count) row.resize(count);
  return row.data();
}

bool SameRect(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// Copies `r` of the destination from the source at (sx, sy0), one memcpy per
// row or one for the whole block when both are stored without gaps.
void CopyBlock(const kv::PixelSurface& dst, const RECT& r, const kv::PixelSurface& src, int sx,
               int sy0) {
  const int n = r.right - r.left;
  const int rows = r.bottom - r.top;
  uint32_t* dp = Row(dst, r.top) + r.left;
  const uint32_t* sp = Row(src, sy0) + sx;
  if (n == dst.stride && n == src.stride) {
    std::memcpy(dp, sp, static_cast<size_t>(n) * rows * sizeof *dp);
    return;
  }
  for (int i = 0; i < rows; ++i) std::memcpy(Row(dst, r.top + i) + r.left, Row(src, sy0 + i) + sx,
                                             static_cast<size_t>(n) * sizeof *dp);
}

// A masked draw whose mask is black all over is an AND that clears the
// rectangle and an OR that then copies the picture into it. The clear is
// owed instead of written, and the OR that follows over the same rectangle
// becomes the copy alone. `sourceIsPlain`: the source reaches the operation
// unconverted, or converted to black for black. True when done here.
bool DeferredBlt(HBITMAP dest, const RECT& r, const RopMasks& m, bool sourceIsPlain,
                 HBITMAP srcBitmap, const Target& st, int sx, int sy0) {
  // A DIB section's memory is read and written by its caller behind our
  // back: what is drawn there must be there when the call returns.
  if (dest->dibBits) return false;
  // With the destination 0, the result is the source itself.
  const bool copiesOntoBlack = m.usesSource && m.xor0 == 0 && m.xor1 == ~0u;
  if (copiesOntoBlack && SameRect(dest->pendingZero, r) && st.format == dest->format) {
    CopyBlock(dest->surface, r, st.surface, sx, sy0);
    dest->pendingZero = RECT{0, 0, 0, 0};
    return true;
  }
  // With the source 0 (or unused), the result is 0 whatever the destination.
  const bool clearsWithBlack =
      m.and0 == 0 && m.xor0 == 0 &&
      (!m.usesSource || (sourceIsPlain && srcBitmap && IsAllZero(srcBitmap)));
  if (!clearsWithBlack) return false;
  if (!EmptyRect(dest->pendingZero) && !SameRect(dest->pendingZero, r)) Settle(dest);
  dest->pendingZero = r;
  return true;
}

}  // namespace

BOOL BitBlt(HDC dest, int x, int y, int width, int height, HDC src, int srcX, int srcY,
            DWORD rop) {
  RopMasks masks;
  HDC__* d = LiveDC(dest);
  if (!d || !DecodeRop(rop, &masks)) return FALSE;
  // The destination is settled below, once it is known whether this
  // operation can take over an owed black fill instead.
  HBITMAP destBitmap = DCBitmap(d);
  Target dt;
  if (destBitmap) {
    dt.surface = destBitmap->surface;
    dt.format = destBitmap->format;
    if (!dt.surface.pixels || dt.surface.width <= 0 || dt.surface.height <= 0) return FALSE;
  } else if (!DCTarget(d, &dt)) {
    return FALSE;
  }
  HDC__* s = nullptr;
  Target st;
  if (masks.usesSource) {
    s = LiveDC(src);
    if (!s || !DCSource(s, &st)) return FALSE;
  } else {
    st = dt;  // unused; keeps the clipping below uniform
    srcX = x;
    srcY = y;
  }
  if (width <= 0 || height <= 0) return TRUE;

  // Clip in destination coordinates, in 64 bits so no position can overflow.
  const int64_t offX = int64_t{srcX} - x, offY = int64_t{srcY} - y;
  const int64_t left = std::max({int64_t{x}, int64_t{0}, -offX});
  const int64_t top = std::max({int64_t{y}, int64_t{0}, -offY});
  const int64_t right =
      std::min({int64_t{x} + width, int64_t{dt.surface.width}, st.surface.width - offX});
  const int64_t bottom =
      std::min({int64_t{y} + height, int64_t{dt.surface.height}, st.surface.height - offY});
  if (left >= right || top >= bottom) return TRUE;

  const RECT r{static_cast<LONG>(left), static_cast<LONG>(top), static_cast<LONG>(right),
               static_cast<LONG>(bottom)};
  const int n = r.right - r.left;
  const int sx = static_cast<int>(left + offX);
  const int sy0 = static_cast<int>(top + offY);

  // Pixels of another format are converted as the platform does: monochrome
  // to colour gives the destination's text colour for black and its
  // background colour for white; colour to monochrome gives white where the
  // source matches its context's background colour.
  enum { kSame, kMonoToColor, kColorToMono } convert = kSame;
  uint32_t fg = 0, bg = 0, srcBk = 0;
  if (masks.usesSource && st.format != dt.format) {
    if (st.format->bitsPerPixel == 1) {
      convert = kMonoToColor;
      fg = dt.format->colorToPixel(d->textColor);
      bg = dt.format->colorToPixel(d->bkColor);
    } else {
      convert = kColorToMono;
      srcBk = st.format->colorToPixel(s->bkColor) & 0x00FFFFFF;
    }
  }
  const bool sameSurface = masks.usesSource && st.surface.pixels == dt.surface.pixels;
  if (destBitmap) {
    NoteWrite(destBitmap);
    if (FastPathsOn() && !sameSurface &&
        DeferredBlt(destBitmap, r, masks, convert == kSame || (convert == kMonoToColor && fg == 0),
                    s ? DCBitmap(s) : nullptr, st, sx, sy0))
      return TRUE;
    Settle(destBitmap);
  }
  const bool viaScratch = convert != kSame || sameSurface;
  uint32_t* scratch = viaScratch ? ScratchRow(static_cast<size_t>(n)) : nullptr;

  const bool plainCopy = masks.and0 == 0 && masks.and1 == 0 && masks.xor0 == 0 &&
                         masks.xor1 == ~0u;
  if (plainCopy && !viaScratch && FastPathsOn()) {
    CopyBlock(dt.surface, r, st.surface, sx, sy0);
    MarkDrawn(d, r);
    return TRUE;
  }

  // Within one surface, walk rows away from the overlap.
  const bool upward = sameSurface && sy0 < r.top;
  for (int i = 0; i < r.bottom - r.top; ++i) {
    const int row = upward ? r.bottom - 1 - i : r.top + i;
    uint32_t* dp = Row(dt.surface, row) + r.left;
    const uint32_t* sp = masks.usesSource ? Row(st.surface, sy0 + (row - r.top)) + sx : dp;
    if (viaScratch) {
      switch (convert) {
        case kSame: std::copy(sp, sp + n, scratch); break;
        case kMonoToColor:
          for (int k = 0; k < n; ++k) scratch[k] = (sp[k] & 0x00FFFFFF) ? bg : fg;
          break;
        case kColorToMono:
          for (int k = 0; k < n; ++k) scratch[k] = (sp[k] & 0x00FFFFFF) == srcBk ? 0x00FFFFFF : 0;
          break;
      }
      sp = scratch;
    }
    RopRow(dp, sp, n, masks);
  }
  MarkDrawn(d, r);
  return TRUE;
}
