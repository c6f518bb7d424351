#include "platform/record/frame_hash.h"

#include <cstddef>

namespace kv {
namespace record {

namespace {
constexpr uint64_t kOffset = 14695981039346656037ull;
constexpr uint64_t kPrime = 1099511628211ull;

uint64_t Mix(uint64_t h, uint32_t v) {
  for (int i = 0; i < 4; ++i) {
    h ^= (v >> (8 * i)) & 0xFF;
    h *= kPrime;
  }
  return h;
}
}  // namespace

uint64_t FrameHash(const PixelSurface& s) {
  uint64_t h = Mix(Mix(kOffset, static_cast<uint32_t>(s.width)), static_cast<uint32_t>(s.height));
  if (!s.pixels) return h;
  for (int y = 0; y < s.height; ++y) {
    const uint32_t* row = s.pixels + static_cast<ptrdiff_t>(y) * s.stride;
    // The unused top byte is not part of the picture.
    for (int x = 0; x < s.width; ++x) h = Mix(h, row[x] & 0x00FFFFFFu);
  }
  return h;
}

}  // namespace record
}  // namespace kv
