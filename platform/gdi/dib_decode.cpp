// Device-independent bitmaps in memory (as bitmap resources store them),
// converted once into the display's format. Every size is checked before any
// byte is read, so a malformed picture gives null and nothing else.
#include <cstring>

#include "platform/gdi/gdi_internal.h"
#include "platform/gdi/gdi_objects.h"

namespace kv {
namespace gdi {
namespace {

uint32_t Read32(const uint8_t* p) {
  return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}
uint16_t Read16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

bool KnownHeaderSize(uint32_t size) {
  // BITMAPINFOHEADER, BITMAPV4HEADER, BITMAPV5HEADER.
  return size == 40 || size == 108 || size == 124;
}

}  // namespace

HBITMAP CreateBitmapFromDib(const void* dib, size_t size) {
  if (!dib || size < 40) return nullptr;
  const auto* bytes = static_cast<const uint8_t*>(dib);
  const uint32_t headerSize = Read32(bytes);
  if (!KnownHeaderSize(headerSize) || headerSize > size) return nullptr;
  const int32_t width = static_cast<int32_t>(Read32(bytes + 4));
  const int32_t rawHeight = static_cast<int32_t>(Read32(bytes + 8));
  const uint16_t planes = Read16(bytes + 12);
  const uint16_t bitCount = Read16(bytes + 14);
  const uint32_t compression = Read32(bytes + 16);
  const uint32_t colorsUsed = Read32(bytes + 32);
  if (planes != 1 || compression != BI_RGB) return nullptr;
  if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 24 && bitCount != 32)
    return nullptr;
  if (width <= 0 || rawHeight == 0 || rawHeight == INT32_MIN) return nullptr;
  const bool topDown = rawHeight < 0;
  const int64_t height = topDown ? -int64_t{rawHeight} : int64_t{rawHeight};

  // The colour table: 2^bits entries unless fewer are named; a true-colour
  // picture may carry an optional table, which is skipped.
  uint64_t tableEntries = colorsUsed;
  if (bitCount <= 8) {
    const uint64_t full = uint64_t{1} << bitCount;
    if (tableEntries == 0) tableEntries = full;
    if (tableEntries > full) return nullptr;
  }
  const uint64_t tableBytes = tableEntries * 4;
  const uint64_t stride = ((uint64_t(width) * bitCount + 31) / 32) * 4;
  const uint64_t pixelOffset = uint64_t{headerSize} + tableBytes;
  if (pixelOffset > size) return nullptr;
  if (stride * uint64_t(height) > size - pixelOffset) return nullptr;  // truncated

  HBITMAP b = NewBitmap(&ColorFormat(), width, static_cast<int>(height));
  if (!b) return nullptr;
  uint32_t palette[256] = {};
  if (bitCount <= 8) {
    for (uint64_t i = 0; i < tableEntries; ++i) {
      const uint8_t* q = bytes + headerSize + i * 4;
      palette[i] = uint32_t{q[2]} << 16 | uint32_t{q[1]} << 8 | q[0];
    }
  }
  const uint8_t* pixels = bytes + pixelOffset;
  for (int64_t row = 0; row < height; ++row) {
    const uint8_t* src = pixels + static_cast<size_t>(row * stride);
    const int y = static_cast<int>(topDown ? row : height - 1 - row);
    uint32_t* dst = Row(b->surface, y);
    switch (bitCount) {
      case 32:
        for (int x = 0; x < width; ++x) dst[x] = Read32(src + x * 4) & 0x00FFFFFF;
        break;
      case 24:
        for (int x = 0; x < width; ++x) {
          const uint8_t* q = src + x * 3;
          dst[x] = uint32_t{q[2]} << 16 | uint32_t{q[1]} << 8 | q[0];
        }
        break;
      default: {
        // Indexed: an index past the table's end reads as black.
        const int perByte = 8 / bitCount;
        const unsigned mask = (1u << bitCount) - 1;
        for (int x = 0; x < width; ++x) {
          const int shift = 8 - bitCount * (x % perByte + 1);
          const unsigned index = (src[x / perByte] >> shift) & mask;
          dst[x] = index < tableEntries ? palette[index] : 0;
        }
        break;
      }
    }
  }
  RegisterObject(&b->header);
  return b;
}

}  // namespace gdi
}  // namespace kv
