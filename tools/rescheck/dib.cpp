#include "tools/rescheck/dib.h"

#include "platform/gdi/dib.h"

namespace kv {
namespace rescheck {

namespace {

const char* Reason(gdi::DibError error) {
  switch (error) {
    case gdi::DibError::kShortHeader: return "shorter than a BITMAPINFOHEADER";
    case gdi::DibError::kUnknownHeader: return "header is not a 40-byte BITMAPINFOHEADER";
    case gdi::DibError::kUnsupported: return "not an uncompressed one-plane picture";
    case gdi::DibError::kBadSize: return "size out of range";
    case gdi::DibError::kBadTable: return "colour table cut short or too large";
    case gdi::DibError::kTruncated: return "pixels cut short";
    case gdi::DibError::kNone: break;
  }
  return "";
}

}  // namespace

// The platform's reader decides what the picture is; the checker adds the
// stricter rules the game's own pictures keep (a plain 40-byte header, 8 or
// 24 bits, every index inside the table).
bool DecodeDib(const uint8_t* data, size_t size, Dib* out, std::string* error) {
  auto fail = [&](const char* why) {
    if (error) *error = why;
    return false;
  };
  gdi::Dib dib;
  const gdi::DibError parsed = gdi::ParseDib(data, size, &dib);
  if (parsed != gdi::DibError::kNone) return fail(Reason(parsed));
  if (dib.headerSize != 40) return fail("header is not a 40-byte BITMAPINFOHEADER");
  if (dib.bitCount != 24 && dib.bitCount != 8) return fail("neither 8 nor 24 bits per pixel");
  if (dib.width > 16384 || dib.height > 16384) return fail("size out of range");

  Dib d;
  d.storedSize = size;
  d.headerSize = dib.headerSize;
  d.width = dib.width;
  d.height = dib.height;
  d.bottomUp = !dib.topDown;
  d.planes = dib.planes;
  d.bitsPerPixel = dib.bitCount;
  d.compression = dib.compression;
  d.paletteEntries = dib.colorsUsed;
  if (dib.bitCount == 8) d.palette.assign(dib.palette, dib.palette + dib.tableEntries);
  d.rowBytes = dib.stride;
  d.pixels.resize(static_cast<size_t>(d.width) * d.height);
  if (d.bitsPerPixel == 8) d.indices.resize(d.pixels.size());
  for (int y = 0; y < d.height; ++y) {
    const size_t row = static_cast<size_t>(y) * d.width;
    gdi::DecodeDibRow(dib, y, &d.pixels[row]);
    if (d.bitsPerPixel != 8) continue;
    for (int x = 0; x < d.width; ++x) {
      const unsigned index = gdi::DibIndex(dib, x, y);
      if (index >= dib.tableEntries) return fail("pixel index outside the colour table");
      d.indices[row + x] = static_cast<uint8_t>(index);
    }
  }
  *out = std::move(d);
  return true;
}

}  // namespace rescheck
}  // namespace kv
