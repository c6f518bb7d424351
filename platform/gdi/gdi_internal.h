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

// Sees every text that TextOutW is asked to draw, fonts or not (a
// recording reads the score lines so). Null removes it.
void SetTextObserver(void (*observer)(const wchar_t* text, int length));

// Drops the device context kept for `window`; the windowing layer calls it
// when the window is destroyed. Harmless for a window that never had one.
void ForgetWindow(HWND window);

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
