// Variable-length integers: seven bits a byte, low bits first; signed values
// zig-zag first so that small deltas of either sign take one byte.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace kv {
namespace record {

inline uint64_t ZigZag(int64_t v) {
  return (static_cast<uint64_t>(v) << 1) ^ static_cast<uint64_t>(v >> 63);
}
inline int64_t UnZigZag(uint64_t u) {
  return static_cast<int64_t>(u >> 1) ^ -static_cast<int64_t>(u & 1);
}

inline void PutVarint(std::string& out, uint64_t v) {
  while (v >= 0x80) {
    out.push_back(static_cast<char>((v & 0x7F) | 0x80));
    v >>= 7;
  }
  out.push_back(static_cast<char>(v));
}
inline void PutSigned(std::string& out, int64_t v) { PutVarint(out, ZigZag(v)); }

inline void PutFixed(std::string& out, uint64_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

// Reads from a bounded span; every read fails cleanly at the end.
class SpanReader {
 public:
  SpanReader(const uint8_t* data, size_t size) : p_(data), end_(data + size) {}
  bool AtEnd() const { return p_ == end_; }
  size_t Left() const { return static_cast<size_t>(end_ - p_); }
  bool Byte(uint8_t* v) {
    if (p_ == end_) return false;
    *v = *p_++;
    return true;
  }
  bool Varint(uint64_t* v) {
    uint64_t result = 0;
    for (int shift = 0; shift < 64; shift += 7) {
      if (p_ == end_) return false;
      const uint8_t b = *p_++;
      result |= static_cast<uint64_t>(b & 0x7F) << shift;
      if (!(b & 0x80)) {
        *v = result;
        return true;
      }
    }
    return false;  // more than ten bytes: not ours
  }
  bool Signed(int64_t* v) {
    uint64_t u;
    if (!Varint(&u)) return false;
    *v = UnZigZag(u);
    return true;
  }
  bool Fixed(uint64_t* v, int bytes) {
    if (Left() < static_cast<size_t>(bytes)) return false;
    uint64_t r = 0;
    for (int i = 0; i < bytes; ++i) r |= static_cast<uint64_t>(*p_++) << (8 * i);
    *v = r;
    return true;
  }
  const uint8_t* Here() const { return p_; }
  bool Skip(size_t n) {
    if (Left() < n) return false;
    p_ += n;
    return true;
  }

 private:
  const uint8_t* p_;
  const uint8_t* end_;
};

}  // namespace record
}  // namespace kv
