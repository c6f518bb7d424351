// Bitmaps: compatible bitmaps, DIB sections, reading pixels back.
#include <cstring>
#include <new>

#include "platform/gdi/gdi_internal.h"
#include "platform/gdi/gdi_objects.h"
#include "platform/gdi/record_pool.h"

namespace kv {
namespace gdi {
namespace {

// Large enough for any picture the program draws; small enough that the size
// arithmetic cannot overflow and a bad size cannot exhaust memory.
constexpr int kMaxSide = 16384;
constexpr int64_t kMaxPixels = int64_t{1} << 26;

bool SizeOk(int64_t width, int64_t height) {
  return width > 0 && height > 0 && width <= kMaxSide && height <= kMaxSide &&
         width * height <= kMaxPixels;
}

}  // namespace

HBITMAP NewBitmap(const PixelFormat* format, int width, int height) {
  if (!SizeOk(width, height)) return nullptr;
  const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
  HBITMAP__* b = TakeBitmapRecord(count);
  if (!b) return nullptr;
  try {
    b->storage.assign(count, 0);
  } catch (const std::bad_alloc&) {
    GiveBitmapRecord(b);
    return nullptr;
  }
  b->format = format;
  b->width = width;
  b->height = height;
  b->surface = PixelSurface{b->storage.data(), width, height, width};
  return b;
}

PixelSurface BitmapPixels(HBITMAP bitmap) {
  HBITMAP b = LiveBitmap(bitmap);
  if (!b) return PixelSurface{};
  // The caller may write through the view as well as read it.
  Settle(b);
  NoteWrite(b);
  return b->surface;
}

}  // namespace gdi
}  // namespace kv

using namespace kv::gdi;

HBITMAP CreateCompatibleBitmap(HDC dc, int width, int height) {
  const PixelFormat* format = &ColorFormat();
  if (dc) {
    HDC__* d = LiveDC(dc);
    if (!d) return nullptr;
    // A memory context that holds a monochrome bitmap (its default one, as
    // when it is new) makes monochrome bitmaps.
    if (d->kind == HDC__::kMemory && d->bitmap) format = d->bitmap->format;
  }
  if (width == 0 || height == 0) return DefaultBitmap();
  HBITMAP b = NewBitmap(format, width, height);
  if (b) RegisterObject(&b->header);
  return b;
}

HBITMAP CreateDIBSection(HDC, const BITMAPINFO* info, UINT usage, void** bits, HANDLE section,
                         DWORD) {
  if (bits) *bits = nullptr;
  if (!info || usage != DIB_RGB_COLORS || section) return nullptr;
  const BITMAPINFOHEADER& h = info->bmiHeader;
  if (h.biSize < sizeof(BITMAPINFOHEADER) || h.biPlanes != 1 || h.biBitCount != 32 ||
      h.biCompression != BI_RGB)
    return nullptr;
  const int64_t width = h.biWidth;
  const int64_t height = h.biHeight < 0 ? -int64_t{h.biHeight} : int64_t{h.biHeight};
  if (!SizeOk(width, height)) return nullptr;
  HBITMAP__* b = TakeBitmapRecord(0);
  if (!b) return nullptr;
  const size_t count = static_cast<size_t>(width * height);
  b->dibBits = new (std::nothrow) uint32_t[count]();
  if (!b->dibBits) {
    GiveBitmapRecord(b);
    return nullptr;
  }
  b->format = &ColorFormat();
  b->width = static_cast<int>(width);
  b->height = static_cast<int>(height);
  const int w = b->width;
  if (h.biHeight < 0) {
    b->surface = kv::PixelSurface{b->dibBits, w, b->height, w};
  } else {
    // Bottom-up: the last row in memory is the top of the picture.
    b->surface = kv::PixelSurface{b->dibBits + static_cast<size_t>(b->height - 1) * w, w,
                                  b->height, -w};
  }
  RegisterObject(&b->header);
  if (bits) *bits = b->dibBits;
  return b;
}

int GetDIBits(HDC dc, HBITMAP bitmap, UINT start, UINT lines, LPVOID bits, BITMAPINFO* info,
              UINT usage) {
  HBITMAP b = LiveBitmap(bitmap);
  if (!LiveDC(dc) || !b || !info || usage != DIB_RGB_COLORS) return 0;
  BITMAPINFOHEADER& h = info->bmiHeader;
  if (h.biSize < sizeof(BITMAPINFOHEADER)) return 0;
  if (h.biBitCount == 0) {
    // Asked for the bitmap's description only.
    h.biWidth = b->width;
    h.biHeight = b->height;
    h.biPlanes = 1;
    h.biBitCount = 32;
    h.biCompression = BI_RGB;
    h.biSizeImage = static_cast<DWORD>(b->width) * 4 * b->height;
    return 1;
  }
  if ((h.biBitCount != 32 && h.biBitCount != 24) || h.biCompression != BI_RGB) return 0;
  if (h.biWidth <= 0 || h.biHeight == 0 || h.biWidth > kMaxSide) return 0;
  const bool topDown = h.biHeight < 0;
  const int64_t dibHeight = topDown ? -int64_t{h.biHeight} : int64_t{h.biHeight};
  if (dibHeight > kMaxSide) return 0;
  const int64_t stride = ((int64_t{h.biWidth} * h.biBitCount + 31) / 32) * 4;
  h.biSizeImage = static_cast<DWORD>(stride * dibHeight);
  if (!bits) return static_cast<int>(dibHeight);
  if (start >= dibHeight) return 0;
  const int64_t count = lines < dibHeight - start ? int64_t{lines} : dibHeight - start;
  const int copyWidth = h.biWidth < b->width ? h.biWidth : b->width;
  Settle(b);
  auto* out = static_cast<uint8_t*>(bits);
  for (int64_t i = 0; i < count; ++i) {
    // Scan line `start + i` of the DIB, counted from its first row in memory.
    const int64_t scan = start + i;
    const int64_t y = topDown ? scan : dibHeight - 1 - scan;
    uint8_t* row = out + i * stride;
    std::memset(row, 0, static_cast<size_t>(stride));
    if (y < 0 || y >= b->height) continue;
    const uint32_t* src = Row(b->surface, static_cast<int>(y));
    const bool mono = b->format->bitsPerPixel == 1;
    for (int x = 0; x < copyWidth; ++x) {
      const uint32_t p = mono ? ((src[x] & 0x00FFFFFF) ? 0x00FFFFFF : 0) : src[x] & 0x00FFFFFF;
      if (h.biBitCount == 32) {
        std::memcpy(row + x * 4, &p, 4);
      } else {
        row[x * 3] = static_cast<uint8_t>(p);
        row[x * 3 + 1] = static_cast<uint8_t>(p >> 8);
        row[x * 3 + 2] = static_cast<uint8_t>(p >> 16);
      }
    }
  }
  return static_cast<int>(count);
}
