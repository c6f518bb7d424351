#include "tools/rescheck/dib.h"

#include "platform/rt/byte_reader.h"

namespace kv {
namespace rescheck {

bool DecodeDib(const uint8_t* data, size_t size, Dib* out, std::string* error) {
  auto fail = [&](const char* why) {
    if (error) *error = why;
    return false;
  };
  rt::ByteReader in(data, size);
  Dib d;
  d.storedSize = size;
  d.headerSize = in.U32();
  const int32_t width = static_cast<int32_t>(in.U32());
  const int32_t height = static_cast<int32_t>(in.U32());
  d.planes = in.U16();
  d.bitsPerPixel = in.U16();
  d.compression = in.U32();
  in.U32();  // image size
  in.U32();  // resolution, never used
  in.U32();
  d.paletteEntries = in.U32();
  in.U32();  // important colours
  if (!in.ok()) return fail("shorter than a BITMAPINFOHEADER");
  if (d.headerSize != 40) return fail("header is not a 40-byte BITMAPINFOHEADER");
  if (d.compression != 0) return fail("compressed");
  if (d.bitsPerPixel != 24 && d.bitsPerPixel != 8) return fail("neither 8 nor 24 bits per pixel");
  if (width <= 0 || height == 0 || width > 16384 || height > 16384 || height < -16384)
    return fail("size out of range");
  d.width = width;
  d.bottomUp = height > 0;
  d.height = height > 0 ? height : -height;
  if (d.bitsPerPixel == 8) {
    const uint32_t n = d.paletteEntries == 0 ? 256 : d.paletteEntries;
    if (n > 256) return fail("colour table larger than 256 entries");
    for (uint32_t i = 0; i < n; ++i) {
      const int b = in.U8(), g = in.U8(), r = in.U8();
      in.U8();
      d.palette.push_back(Rgb(r, g, b));
    }
    if (!in.ok()) return fail("colour table cut short");
  }
  d.rowBytes = (static_cast<uint32_t>(d.width) * d.bitsPerPixel / 8 + 3) / 4 * 4;
  if (static_cast<uint64_t>(d.rowBytes) * d.height > in.remaining())
    return fail("pixels cut short");
  d.pixels.resize(static_cast<size_t>(d.width) * d.height);
  if (d.bitsPerPixel == 8) d.indices.resize(d.pixels.size());
  const uint8_t* bits = in.here();
  for (int row = 0; row < d.height; ++row) {
    const int y = d.bottomUp ? d.height - 1 - row : row;
    const uint8_t* p = bits + static_cast<size_t>(row) * d.rowBytes;
    for (int x = 0; x < d.width; ++x) {
      const size_t o = static_cast<size_t>(y) * d.width + x;
      if (d.bitsPerPixel == 24) {
        d.pixels[o] = Rgb(p[3 * x + 2], p[3 * x + 1], p[3 * x]);
      } else {
        d.indices[o] = p[x];
        if (p[x] >= d.palette.size()) return fail("pixel index outside the colour table");
        d.pixels[o] = d.palette[p[x]];
      }
    }
  }
  *out = std::move(d);
  return true;
}

}  // namespace rescheck
}  // namespace kv
