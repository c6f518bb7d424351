// Writes the probe's crafted pictures: small device-independent bitmaps whose
// pixels exercise what the raster operations and the conversion on loading
// can get wrong (row padding, channel order, palettes, grey mask rims).
// Deterministic: the same files on every run, so they are committed and a
// test checks that they still match this program.
//   make_bitmaps <output folder>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "res/art/bmp_file.h"

namespace {

using Rgb = bmp::Colour;

// A small integer hash; every pixel gets unrelated bits in every channel.
uint32_t Mix(uint32_t v) {
  v ^= v >> 16;
  v *= 0x7feb352dU;
  v ^= v >> 15;
  v *= 0x846ca68bU;
  v ^= v >> 16;
  return v;
}

Rgb Noise(uint32_t seed, int x, int y) {
  uint32_t v = Mix(seed * 0x9E3779B9U + static_cast<uint32_t>(y) * 4099U + static_cast<uint32_t>(x));
  return Rgb{static_cast<uint8_t>(v >> 16), static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v)};
}

// Padding bytes are not zero on purpose: a reader that takes them for
// pixels shows it.
constexpr uint8_t kPadding24 = 0xA5;
constexpr uint8_t kPadding8 = 0x5A;

template <typename PixelAt>
std::vector<uint8_t> Rgb24(int width, int height, PixelAt pixelAt) {
  bmp::Format format;
  format.width = width;
  format.height = height;
  format.bits = 24;
  format.padding = kPadding24;
  return bmp::Encode(format, [&](int y, std::vector<uint8_t>& out) {
    for (int x = 0; x < width; ++x) {
      const Rgb c = pixelAt(x, y);
      out.push_back(c.b);
      out.push_back(c.g);
      out.push_back(c.r);
    }
  });
}

template <typename IndexAt>
std::vector<uint8_t> Pal8(int width, int height, const std::vector<Rgb>& palette, IndexAt indexAt) {
  bmp::Format format;
  format.width = width;
  format.height = height;
  format.bits = 8;
  format.palette = palette;
  // A full table is left uncounted (0 means all 256); a short one is named.
  format.coloursUsed = palette.size() == 256 ? 0 : static_cast<uint32_t>(palette.size());
  format.padding = kPadding8;
  return bmp::Encode(format, [&](int y, std::vector<uint8_t>& out) {
    for (int x = 0; x < width; ++x) out.push_back(indexAt(x, y));
  });
}

// A disc of radius 6 in a 15 x 15 square: 0 outside, 2 on the rim, 1 inside.
int DiscPart(int x, int y) {
  const int dx = x - 7, dy = y - 7;
  const int d2 = dx * dx + dy * dy;
  if (d2 <= 25) return 1;
  if (d2 <= 42) return 2;
  return 0;
}

Rgb DiscMask(int x, int y) {
  switch (DiscPart(x, y)) {
    case 1: return Rgb{0, 0, 0};
    case 2: return Rgb{0x80, 0x7F, 0x3C};
    default: return Rgb{255, 255, 255};
  }
}

Rgb DiscPicture(int x, int y) {
  if (DiscPart(x, y) == 0) {
    // As in the game's ball picture: one nearly black pixel where the mask
    // is white, which the OR brightens the background with.
    return (x == 1 && y == 13) ? Rgb{1, 1, 1} : Rgb{0, 0, 0};
  }
  return Noise(7, x, y);
}

bool Write(const std::string& path, const std::vector<uint8_t>& bytes) {
  if (bmp::Save(path, bytes)) return true;
  std::fprintf(stderr, "make_bitmaps: cannot write %s\n", path.c_str());
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_bitmaps <output folder>\n");
    return 2;
  }
  const std::string dir = std::string(argv[1]) + "/";

  // Odd widths: 13 * 3 = 39 bytes of pixels in a 40-byte row; 2 * 3 = 6 in 8.
  auto rgb13x7 = [](int x, int y) {
    if (x == 0 && y == 0) return Rgb{255, 255, 255};
    if (x == 12 && y == 6) return Rgb{0, 0, 0};
    if (x == 12 && y == 0) return Rgb{0xFE, 0xDC, 0xBA};
    if (x == 0 && y == 6) return Rgb{0x01, 0x23, 0x45};
    return Noise(1, x, y);
  };
  auto rgb2x3 = [](int x, int y) { return Noise(2, x, y); };
  auto rgb1x1 = [](int, int) { return Rgb{0x89, 0xAB, 0xCD}; };

  // A full colour table whose entries are all different, and a short one
  // (20 entries named by the header's colour count).
  std::vector<Rgb> full(256), shortTable(20);
  for (int i = 0; i < 256; ++i) full[i] = Noise(3, i, 0);
  for (int i = 0; i < 20; ++i) shortTable[i] = Noise(4, i, 0);
  auto pal11x6 = [](int x, int y) { return static_cast<uint8_t>(Mix(5U * 131U + y * 11U + x) & 0xFF); };
  auto pal9x5 = [](int x, int y) { return static_cast<uint8_t>(Mix(6U * 131U + y * 9U + x) % 20U); };

  // The disc mask once more as an 8-bit picture, as the game's pitch mask is
  // stored: index 0 white, 1 black, 2 the rim's grey.
  std::vector<Rgb> maskTable = {Rgb{255, 255, 255}, Rgb{0, 0, 0}, Rgb{0x80, 0x7F, 0x3C}};
  maskTable.resize(256, Rgb{0x11, 0x22, 0x33});
  auto pal8Mask = [](int x, int y) { return static_cast<uint8_t>(DiscPart(x, y)); };

  bool ok = true;
  ok &= Write(dir + "rgb24_13x7.bmp", Rgb24(13, 7, rgb13x7));
  ok &= Write(dir + "rgb24_2x3.bmp", Rgb24(2, 3, rgb2x3));
  ok &= Write(dir + "rgb24_1x1.bmp", Rgb24(1, 1, rgb1x1));
  ok &= Write(dir + "pal8_11x6.bmp", Pal8(11, 6, full, pal11x6));
  ok &= Write(dir + "pal8_short_9x5.bmp", Pal8(9, 5, shortTable, pal9x5));
  ok &= Write(dir + "disc_mask_15x15.bmp", Rgb24(15, 15, DiscMask));
  ok &= Write(dir + "disc_picture_15x15.bmp", Rgb24(15, 15, DiscPicture));
  ok &= Write(dir + "disc_mask8_15x15.bmp", Pal8(15, 15, maskTable, pal8Mask));
  return ok ? 0 : 1;
}
