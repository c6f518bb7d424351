// The resource pictures as the checks see them: the header fields, the
// colour indices and the pixels as 0xRRGGBB, read with the platform's own
// DIB reader (platform/gdi/dib.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kv {
namespace rescheck {

struct Dib {
  uint32_t headerSize = 0;
  int width = 0;
  int height = 0;  // always positive here; `bottomUp` tells the row order
  bool bottomUp = true;
  int planes = 0;
  int bitsPerPixel = 0;
  uint32_t compression = 0;
  uint32_t paletteEntries = 0;
  std::vector<uint32_t> palette;  // 0xRRGGBB
  uint32_t rowBytes = 0;
  size_t storedSize = 0;         // bytes of the resource
  std::vector<uint8_t> indices;  // 8-bit images: the index of each pixel
  std::vector<uint32_t> pixels;  // top-down rows, 0xRRGGBB

  uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

// Decodes an uncompressed 8- or 24-bit DIB. False, with a reason, when the
// data is not one or is cut short; nothing is read outside the data.
bool DecodeDib(const uint8_t* data, size_t size, Dib* out, std::string* error);

inline uint32_t Rgb(int r, int g, int b) {
  return (static_cast<uint32_t>(r) << 16) | (static_cast<uint32_t>(g) << 8) |
         static_cast<uint32_t>(b);
}
inline int Red(uint32_t c) { return (c >> 16) & 0xFF; }
inline int Green(uint32_t c) { return (c >> 8) & 0xFF; }
inline int Blue(uint32_t c) { return c & 0xFF; }
inline bool IsGrey(uint32_t c) { return Red(c) == Green(c) && Green(c) == Blue(c); }

}  // namespace rescheck
}  // namespace kv
