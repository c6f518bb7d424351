#include "tools/screenshots/png_writer.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace kv {
namespace screenshots {

namespace {

uint32_t Crc32(const uint8_t* data, size_t size, uint32_t crc = 0) {
  static uint32_t table[256];
  static bool ready = false;
  if (!ready) {
    for (uint32_t n = 0; n < 256; ++n) {
      uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      table[n] = c;
    }
    ready = true;
  }
  crc = ~crc;
  for (size_t i = 0; i < size; ++i) crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
  return ~crc;
}

void PutU32(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v >> 24));
  out.push_back(static_cast<uint8_t>(v >> 16));
  out.push_back(static_cast<uint8_t>(v >> 8));
  out.push_back(static_cast<uint8_t>(v));
}

void PutChunk(std::vector<uint8_t>& out, const char type[4], const std::vector<uint8_t>& body) {
  PutU32(out, static_cast<uint32_t>(body.size()));
  const size_t start = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), body.begin(), body.end());
  PutU32(out, Crc32(out.data() + start, out.size() - start));
}

// A zlib stream of stored blocks (at most 65535 bytes each).
std::vector<uint8_t> ZlibStored(const std::vector<uint8_t>& raw) {
  std::vector<uint8_t> z = {0x78, 0x01};
  size_t pos = 0;
  do {
    const size_t n = std::min<size_t>(65535, raw.size() - pos);
    const bool last = pos + n == raw.size();
    z.push_back(last ? 1 : 0);
    z.push_back(static_cast<uint8_t>(n));
    z.push_back(static_cast<uint8_t>(n >> 8));
    z.push_back(static_cast<uint8_t>(~n));
    z.push_back(static_cast<uint8_t>(~n >> 8));
    z.insert(z.end(), raw.begin() + static_cast<long>(pos), raw.begin() + static_cast<long>(pos + n));
    pos += n;
  } while (pos < raw.size());
  uint32_t a = 1, b = 0;
  for (uint8_t byte : raw) {
    a = (a + byte) % 65521;
    b = (b + a) % 65521;
  }
  PutU32(z, (b << 16) | a);
  return z;
}

}  // namespace

namespace {

// `raw` holds each row with its filter byte; colour type 2 is RGB, 6 RGBA.
bool WriteRows(int width, int height, uint8_t colourType, const std::vector<uint8_t>& raw,
               const std::string& path) {
  std::vector<uint8_t> file = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<uint8_t> header;
  PutU32(header, static_cast<uint32_t>(width));
  PutU32(header, static_cast<uint32_t>(height));
  header.insert(header.end(), {8, colourType, 0, 0, 0});  // 8 bits a sample, no interlace
  PutChunk(file, "IHDR", header);
  PutChunk(file, "IDAT", ZlibStored(raw));
  PutChunk(file, "IEND", {});

  FILE* out = std::fopen(path.c_str(), "wb");
  if (out == nullptr) return false;
  const bool written = std::fwrite(file.data(), 1, file.size(), out) == file.size();
  return std::fclose(out) == 0 && written;
}

}  // namespace

bool WritePng(const PixelSurface& surface, const std::string& path) {
  if (surface.pixels == nullptr || surface.width <= 0 || surface.height <= 0) return false;

  std::vector<uint8_t> raw;
  raw.reserve(static_cast<size_t>(surface.height) * (1 + 3 * static_cast<size_t>(surface.width)));
  for (int y = 0; y < surface.height; ++y) {
    raw.push_back(0);  // filter: none
    const uint32_t* row = surface.pixels + static_cast<size_t>(y) * surface.stride;
    for (int x = 0; x < surface.width; ++x) {
      raw.push_back(static_cast<uint8_t>(row[x] >> 16));
      raw.push_back(static_cast<uint8_t>(row[x] >> 8));
      raw.push_back(static_cast<uint8_t>(row[x]));
    }
  }
  return WriteRows(surface.width, surface.height, 2, raw, path);
}

bool WritePngRgba(int width, int height, const uint8_t* rgba, const std::string& path) {
  if (rgba == nullptr || width <= 0 || height <= 0) return false;
  const size_t rowBytes = 4 * static_cast<size_t>(width);
  std::vector<uint8_t> raw;
  raw.reserve(static_cast<size_t>(height) * (1 + rowBytes));
  for (int y = 0; y < height; ++y) {
    raw.push_back(0);  // filter: none
    const uint8_t* row = rgba + static_cast<size_t>(y) * rowBytes;
    raw.insert(raw.end(), row, row + rowBytes);
  }
  return WriteRows(width, height, 6, raw, path);
}

}  // namespace screenshots
}  // namespace kv
