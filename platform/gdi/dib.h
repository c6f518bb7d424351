// The device-independent bitmap format as bitmap resources store it (no
// file header): a BITMAPINFOHEADER (or its V4/V5 successors), the colour
// table if any, the rows. The one reader of that format: the drawing layer
// makes bitmaps from it, and the resource checker inspects pictures with it.
// Every size is checked before a byte is read.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kv {
namespace gdi {

struct Dib {
  // The header as stored.
  uint32_t headerSize = 0;
  int32_t width = 0;
  int32_t storedHeight = 0;  // negative for top-down rows
  uint16_t planes = 0;
  uint16_t bitCount = 0;
  uint32_t compression = 0;
  uint32_t colorsUsed = 0;

  // The layout, worked out by ParseDib.
  bool topDown = false;
  int height = 0;
  uint32_t tableEntries = 0;   // colours in the table (indexed pictures)
  uint32_t palette[256] = {};  // 0x00RRGGBB
  uint32_t stride = 0;         // bytes per stored row, padded to 32 bits
  const uint8_t* bits = nullptr;  // the first stored row
};

enum class DibError {
  kNone,
  kShortHeader,    // shorter than a BITMAPINFOHEADER
  kUnknownHeader,  // not a 40-, 108- or 124-byte header, or past the end
  kUnsupported,    // planes not 1, compressed, or not 1, 4, 8, 24 or 32 bits
  kBadSize,        // no pixels, or a height that cannot be negated
  kBadTable,       // a colour table larger than the bit depth allows, or cut short
  kTruncated,      // the rows are cut short
};

// Reads and checks `size` bytes at `data`; on kNone, `out` describes the
// picture and points into `data`.
DibError ParseDib(const void* data, size_t size, Dib* out);

// Row `y` (0 at the top) as 0x00RRGGBB pixels into `dst` (width of them). An
// index past the colour table reads as black.
void DecodeDibRow(const Dib& dib, int y, uint32_t* dst);

// The colour index of the pixel at (x, y) of an indexed picture.
unsigned DibIndex(const Dib& dib, int x, int y);

}  // namespace gdi
}  // namespace kv
