// What the drawing layer offers to the rest of platform/ beyond the
// interface itself.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/surface.h"
#include "platform/win32.h"

namespace kv {
namespace gdi {

// A bitmap made from a device-independent bitmap in memory, as a bitmap
// resource stores it: a BITMAPINFOHEADER, the colour table if any, the rows
// bottom-up. Converted once to the display's format. Null when malformed.
HBITMAP CreateBitmapFromDib(const void* dib, size_t size);

// A device context that draws straight into `surface` (a window's pixels).
// The surface must outlive the context. Released with DeleteDC.
HDC CreateSurfaceDC(const PixelSurface& surface);

// ---- held surface contexts: kept by an owner that hands them out and takes
// them back (the windowing layer's GetDC and ReleaseDC). DeleteDC refuses
// them, and they count as live only while handed out.
HDC CreateHeldSurfaceDC();
// Points `dc` at `surface` with a fresh context's defaults and nothing drawn
// yet, and counts it as handed out.
void HandOutSurfaceDC(HDC dc, const PixelSurface& surface);
// Takes `dc` back: `drawn` gets the rectangle drawn since it was handed out
// (empty when nothing was), and the objects selected into it are let go.
// False when `dc` is not a held context that is out.
bool TakeBackSurfaceDC(HDC dc, RECT* drawn);
// Points a held context that is out at `surface`, the same pixels at a new
// place and perhaps a new size (its window was resized), keeping its state
// and what it has drawn. Nothing for a context that is not out.
void MoveSurfaceDC(HDC dc, const PixelSurface& surface);
// Frees a held context; harmless for anything else.
void FreeHeldSurfaceDC(HDC dc);

// Covers no pixel; an empty drawn or pending rectangle is {0, 0, 0, 0}.
inline bool EmptyRect(const RECT& r) { return r.right <= r.left || r.bottom <= r.top; }

// The pixels of a bitmap (tests and tools read them). The stride is negative
// for a bottom-up DIB section, whose top row is last in memory; a monochrome
// bitmap holds 0 or 0x00FFFFFF per pixel.
PixelSurface BitmapPixels(HBITMAP bitmap);

// Turns the drawing layer's shortcuts off and on (on by default), so tests
// can hold a fast result against the plain one.
void SetFastPaths(bool on);

// Live drawing objects (bitmaps, brushes, pens, fonts; stock objects not
// counted) and live device contexts, so tests can prove nothing accumulates.
int64_t LiveObjectCount();
int64_t LiveDCCount();

}  // namespace gdi
}  // namespace kv
