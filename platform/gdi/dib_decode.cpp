// Device-independent bitmaps in memory (as bitmap resources store them),
// read through the bounds-checked byte reader and converted once into the
// display's format. A malformed picture gives null and nothing else.
#include "platform/gdi/dib.h"

#include "platform/gdi/gdi_internal.h"
#include "platform/gdi/gdi_objects.h"
#include "platform/rt/byte_reader.h"

namespace kv {
namespace gdi {
namespace {

bool KnownHeaderSize(uint32_t size) {
  // BITMAPINFOHEADER, BITMAPV4HEADER, BITMAPV5HEADER.
  return size == 40 || size == 108 || size == 124;
}

uint32_t Rgb(const uint8_t* bgr) {
  return uint32_t{bgr[2]} << 16 | uint32_t{bgr[1]} << 8 | bgr[0];
}

}  // namespace

DibError ParseDib(const void* data, size_t size, Dib* out) {
  Dib d;
  rt::ByteReader in(static_cast<const uint8_t*>(data), size);
  d.headerSize = in.U32();
  d.width = static_cast<int32_t>(in.U32());
  d.storedHeight = static_cast<int32_t>(in.U32());
  d.planes = in.U16();
  d.bitCount = in.U16();
  d.compression = in.U32();
  in.Skip(12);  // image size and resolution, never used
  d.colorsUsed = in.U32();
  in.U32();     // important colours
  if (!in.ok()) return DibError::kShortHeader;
  if (!KnownHeaderSize(d.headerSize) || d.headerSize > size) return DibError::kUnknownHeader;
  if (d.planes != 1 || d.compression != BI_RGB) return DibError::kUnsupported;
  if (d.bitCount != 1 && d.bitCount != 4 && d.bitCount != 8 && d.bitCount != 24 &&
      d.bitCount != 32)
    return DibError::kUnsupported;
  if (d.width <= 0 || d.storedHeight == 0 || d.storedHeight == INT32_MIN)
    return DibError::kBadSize;
  d.topDown = d.storedHeight < 0;
  const int64_t height = d.topDown ? -int64_t{d.storedHeight} : int64_t{d.storedHeight};

  // The colour table: 2^bits entries unless fewer are named; a true-colour
  // picture may carry an optional table, which is skipped.
  uint64_t tableEntries = d.colorsUsed;
  if (d.bitCount <= 8) {
    const uint64_t full = uint64_t{1} << d.bitCount;
    if (tableEntries == 0) tableEntries = full;
    if (tableEntries > full) return DibError::kBadTable;
  }
  const uint64_t stride = ((uint64_t(d.width) * d.bitCount + 31) / 32) * 4;
  in.Skip(d.headerSize - 40);
  if (d.bitCount <= 8) {
    for (uint64_t i = 0; i < tableEntries; ++i) {
      const uint8_t b = in.U8(), g = in.U8(), r = in.U8();
      in.U8();
      d.palette[i] = uint32_t{r} << 16 | uint32_t{g} << 8 | b;
    }
  } else if (tableEntries > in.remaining() / 4) {
    return DibError::kBadTable;
  } else {
    in.Skip(static_cast<size_t>(tableEntries * 4));
  }
  if (!in.ok()) return DibError::kBadTable;
  if (stride * uint64_t(height) > in.remaining()) return DibError::kTruncated;

  d.height = static_cast<int>(height);
  d.tableEntries = static_cast<uint32_t>(tableEntries);
  d.stride = static_cast<uint32_t>(stride);
  d.bits = in.here();
  *out = d;
  return DibError::kNone;
}

// The rows were measured against the data by ParseDib, so a row is read
// straight from memory: this runs for every picture a frame loads.
void DecodeDibRow(const Dib& d, int y, uint32_t* dst) {
  const int row = d.topDown ? y : d.height - 1 - y;
  const uint8_t* src = d.bits + static_cast<size_t>(row) * d.stride;
  switch (d.bitCount) {
    case 32:
      for (int x = 0; x < d.width; ++x) dst[x] = Rgb(src + x * 4);
      break;
    case 24:
      for (int x = 0; x < d.width; ++x) dst[x] = Rgb(src + x * 3);
      break;
    default: {
      // Indexed: an index past the table's end reads as black.
      const int perByte = 8 / d.bitCount;
      const unsigned mask = (1u << d.bitCount) - 1;
      for (int x = 0; x < d.width; ++x) {
        const int shift = 8 - d.bitCount * (x % perByte + 1);
        const unsigned index = (src[x / perByte] >> shift) & mask;
        dst[x] = index < d.tableEntries ? d.palette[index] : 0;
      }
      break;
    }
  }
}

unsigned DibIndex(const Dib& d, int x, int y) {
  const int row = d.topDown ? y : d.height - 1 - y;
  const uint8_t* src = d.bits + static_cast<size_t>(row) * d.stride;
  const int perByte = 8 / d.bitCount;
  const unsigned mask = (1u << d.bitCount) - 1;
  const int shift = 8 - d.bitCount * (x % perByte + 1);
  return (src[x / perByte] >> shift) & mask;
}

HBITMAP CreateBitmapFromDib(const void* data, size_t size) {
  Dib dib;
  if (!data || ParseDib(data, size, &dib) != DibError::kNone) return nullptr;
  HBITMAP b = NewBitmap(&ColorFormat(), dib.width, dib.height);
  if (!b) return nullptr;
  for (int y = 0; y < dib.height; ++y) DecodeDibRow(dib, y, Row(b->surface, y));
  RegisterObject(&b->header);
  return b;
}

}  // namespace gdi
}  // namespace kv
