// Raster operations as data: a ROP3 code becomes four masks, and one loop
// applies any of them.
#include <cstring>

#include "platform/gdi/gdi_objects.h"

namespace kv {
namespace gdi {

bool DecodeRop(DWORD rop, RopMasks* out) {
  // The operation byte is the result for pattern 0xF0, source 0xCC and
  // destination 0xAA; bit (p*4 + s*2 + d) is the result for those inputs.
  const unsigned code = (rop >> 16) & 0xFF;
  if ((code >> 4) != (code & 0x0F)) return false;  // depends on the pattern
  auto bit = [code](int s, int d) -> uint32_t { return ((code >> (s * 2 + d)) & 1) ? ~0u : 0u; };
  // result = (d AND (f(s,0) XOR f(s,1))) XOR f(s,0), for each source bit value s
  out->xor0 = bit(0, 0);
  out->xor1 = bit(1, 0);
  out->and0 = bit(0, 0) ^ bit(0, 1);
  out->and1 = bit(1, 0) ^ bit(1, 1);
  out->usesSource = out->xor0 != out->xor1 || out->and0 != out->and1;
  return true;
}

namespace {

// One pixel of the operation: and/xor masks chosen bit by bit by the source.
inline uint32_t Apply(uint32_t d, uint32_t s, uint32_t a0, uint32_t a1, uint32_t x0,
                      uint32_t x1) {
  const uint32_t a = (s & a1) | (~s & a0);
  const uint32_t x = (s & x1) | (~s & x0);
  return (d & a) ^ x;
}

constexpr int kBlock = 8;  // fixed-size blocks, so the compiler vectorises them at -O2

}  // namespace

void RopRow(uint32_t* __restrict dst, const uint32_t* __restrict src, int count,
            const RopMasks& rop) {
  const uint32_t a0 = rop.and0, a1 = rop.and1, x0 = rop.xor0, x1 = rop.xor1;
  if (a0 == 0 && a1 == 0 && x0 == 0 && x1 == ~0u) {  // a plain copy
    std::memcpy(dst, src, static_cast<size_t>(count) * sizeof *dst);
    return;
  }
  int i = 0;
  // The two halves of every masked draw get loops of their own: one
  // operation per pixel instead of the general six.
  if (FastPathsOn() && x0 == 0 && x1 == 0 && a0 == 0 && a1 == ~0u) {  // AND
    for (; i + kBlock <= count; i += kBlock)
      for (int k = 0; k < kBlock; ++k) dst[i + k] &= src[i + k];
    for (; i < count; ++i) dst[i] &= src[i];
    return;
  }
  if (FastPathsOn() && x0 == 0 && x1 == ~0u && a0 == ~0u && a1 == 0) {  // OR
    for (; i + kBlock <= count; i += kBlock)
      for (int k = 0; k < kBlock; ++k) dst[i + k] |= src[i + k];
    for (; i < count; ++i) dst[i] |= src[i];
    return;
  }
  if (!rop.usesSource) {
    for (; i + kBlock <= count; i += kBlock)
      for (int k = 0; k < kBlock; ++k) dst[i + k] = (dst[i + k] & a0) ^ x0;
    for (; i < count; ++i) dst[i] = (dst[i] & a0) ^ x0;
    return;
  }
  for (; i + kBlock <= count; i += kBlock)
    for (int k = 0; k < kBlock; ++k) dst[i + k] = Apply(dst[i + k], src[i + k], a0, a1, x0, x1);
  for (; i < count; ++i) dst[i] = Apply(dst[i], src[i], a0, a1, x0, x1);
}

}  // namespace gdi
}  // namespace kv
