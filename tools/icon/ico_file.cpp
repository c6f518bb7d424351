#include "tools/icon/ico_file.h"

namespace kv {
namespace icon {

namespace {

void PutU16(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}

void PutU32(std::vector<uint8_t>& out, uint32_t v) {
  PutU16(out, v & 0xFFFF);
  PutU16(out, v >> 16);
}

// The colour rows are 4 bytes a pixel; the mask rows 1 bit a pixel, padded
// to whole 32-bit words.
size_t MaskRowBytes(int size) { return static_cast<size_t>((size + 31) / 32) * 4; }

size_t ImageBytes(int size) {
  return 40 + static_cast<size_t>(size) * size * 4 + MaskRowBytes(size) * size;
}

// A BITMAPINFOHEADER whose height counts the colour rows and the mask rows,
// then both, bottom row first. The mask marks what is fully transparent.
void PutImage(std::vector<uint8_t>& out, const art::IconImage& image) {
  const int size = image.size;
  PutU32(out, 40);
  PutU32(out, static_cast<uint32_t>(size));
  PutU32(out, static_cast<uint32_t>(2 * size));
  PutU16(out, 1);   // planes
  PutU16(out, 32);  // bits a pixel
  PutU32(out, 0);   // BI_RGB
  PutU32(out, static_cast<uint32_t>(ImageBytes(size) - 40));
  for (int i = 0; i < 4; ++i) PutU32(out, 0);  // resolution, colours

  for (int y = size - 1; y >= 0; --y) {
    const uint8_t* p = &image.rgba[static_cast<size_t>(y) * size * 4];
    for (int x = 0; x < size; ++x, p += 4) {
      out.insert(out.end(), {p[2], p[1], p[0], p[3]});
    }
  }
  for (int y = size - 1; y >= 0; --y) {
    std::vector<uint8_t> row(MaskRowBytes(size), 0);
    for (int x = 0; x < size; ++x) {
      if (image.rgba[(static_cast<size_t>(y) * size + x) * 4 + 3] == 0)
        row[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
    }
    out.insert(out.end(), row.begin(), row.end());
  }
}

}  // namespace

std::vector<uint8_t> EncodeIco(const std::vector<art::IconImage>& images) {
  if (images.empty() || images.size() > 0xFFFF) return {};
  for (const art::IconImage& image : images) {
    if (image.size < 1 || image.size > 256 ||
        image.rgba.size() != static_cast<size_t>(image.size) * image.size * 4)
      return {};
  }
  std::vector<uint8_t> out;
  PutU16(out, 0);  // reserved
  PutU16(out, 1);  // an icon, not a cursor
  PutU16(out, static_cast<uint32_t>(images.size()));
  size_t offset = 6 + 16 * images.size();
  for (const art::IconImage& image : images) {
    // 256 does not fit the byte: it is written as 0.
    out.push_back(static_cast<uint8_t>(image.size == 256 ? 0 : image.size));
    out.push_back(static_cast<uint8_t>(image.size == 256 ? 0 : image.size));
    out.push_back(0);  // no palette
    out.push_back(0);
    PutU16(out, 1);
    PutU16(out, 32);
    PutU32(out, static_cast<uint32_t>(ImageBytes(image.size)));
    PutU32(out, static_cast<uint32_t>(offset));
    offset += ImageBytes(image.size);
  }
  for (const art::IconImage& image : images) PutImage(out, image);
  return out;
}

}  // namespace icon
}  // namespace kv
