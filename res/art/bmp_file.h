// The one .bmp writer: a file header, a 40-byte BITMAPINFOHEADER (BI_RGB),
// an optional colour table, and the pixel rows bottom-up, each filled to a
// multiple of four bytes. The picture generator and the drawing probe's
// bitmaps both go through it. Header-only: the probe's tool links nothing
// of the generator.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace bmp {

struct Colour {
  uint8_t r, g, b;
};

struct Format {
  int width = 0;
  int height = 0;
  int bits = 24;                // 24 (blue, green, red) or 8 (indices)
  std::vector<Colour> palette;  // the colour table, written as blue, green, red, 0
  uint32_t coloursUsed = 0;     // biClrUsed as stored (0: all that the depth allows)
  uint8_t padding = 0;          // the bytes that fill each row
};

inline void Put16(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}

inline void Put32(std::vector<uint8_t>& out, uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

inline uint32_t RowBytes(int width, int bits) {
  return (static_cast<uint32_t>(width) * static_cast<uint32_t>(bits) + 31) / 32 * 4;
}

// The whole file. `row(y, out)` appends the pixel bytes of row y (top row
// 0), without padding; rows are asked for bottom row first.
template <typename RowWriter>
std::vector<uint8_t> Encode(const Format& f, RowWriter row) {
  const uint32_t rowBytes = RowBytes(f.width, f.bits);
  const uint32_t imageBytes = rowBytes * static_cast<uint32_t>(f.height);
  const uint32_t offset = 14 + 40 + 4 * static_cast<uint32_t>(f.palette.size());
  std::vector<uint8_t> out;
  out.push_back('B');
  out.push_back('M');
  Put32(out, offset + imageBytes);
  Put32(out, 0);
  Put32(out, offset);
  Put32(out, 40);
  Put32(out, static_cast<uint32_t>(f.width));
  Put32(out, static_cast<uint32_t>(f.height));
  Put16(out, 1);
  Put16(out, static_cast<uint32_t>(f.bits));
  Put32(out, 0);  // BI_RGB
  Put32(out, imageBytes);
  Put32(out, 2835);  // 72 dots per inch; never used
  Put32(out, 2835);
  Put32(out, f.coloursUsed);
  Put32(out, 0);
  for (const Colour& c : f.palette) {
    out.push_back(c.b);
    out.push_back(c.g);
    out.push_back(c.r);
    out.push_back(0);
  }
  for (int y = f.height - 1; y >= 0; --y) {
    const size_t start = out.size();
    row(y, out);
    while (out.size() - start < rowBytes) out.push_back(f.padding);
  }
  return out;
}

// False when the file cannot be written whole.
inline bool Save(const std::string& path, const std::vector<uint8_t>& bytes) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return false;
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

}  // namespace bmp
