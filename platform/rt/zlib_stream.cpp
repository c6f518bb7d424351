#include "platform/rt/zlib_stream.h"

#include <algorithm>
#include <cstring>

namespace kv {
namespace rt {

namespace {

constexpr int kMaxBits = 15;          // the longest code deflate allows
constexpr int kLiteralCodes = 288;    // literal/length alphabet, with the two unused
constexpr int kDistanceCodes = 30;
constexpr int kCodeLengthCodes = 19;

// Reads bits least significant first, as deflate packs them. A read past the
// end yields zeros and marks the stream as cut short.
class Bits {
 public:
  Bits(const uint8_t* data, size_t size) : data_(data), size_(size) {}

  uint32_t Take(int n) {
    uint32_t value = 0;
    for (int i = 0; i < n; ++i) {
      if (pos_ >= size_) {
        past_ = true;
        return 0;
      }
      value |= static_cast<uint32_t>((data_[pos_] >> bit_) & 1) << i;
      if (++bit_ == 8) {
        bit_ = 0;
        ++pos_;
      }
    }
    return value;
  }
  // Stored blocks start at a byte.
  void Align() {
    if (bit_ != 0) {
      bit_ = 0;
      ++pos_;
    }
  }
  // Whole bytes from a byte boundary; null when the stream has fewer.
  const uint8_t* Bytes(size_t n) {
    if (n > size_ - std::min(pos_, size_)) {
      past_ = true;
      return nullptr;
    }
    const uint8_t* at = data_ + pos_;
    pos_ += n;
    return at;
  }
  bool past() const { return past_; }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
  int bit_ = 0;
  bool past_ = false;
};

// A canonical Huffman code: how many codes of each length, and the symbols
// in code order.
struct Code {
  uint16_t count[kMaxBits + 1] = {};
  uint16_t symbol[kLiteralCodes] = {};
};

// Builds a code from its symbols' lengths. Returns the codes left unused:
// negative for an over-subscribed set (no code), 0 for a complete one.
int Build(Code* code, const uint8_t* lengths, int n) {
  std::memset(code->count, 0, sizeof code->count);
  for (int i = 0; i < n; ++i) ++code->count[lengths[i]];
  int left = 1;
  for (int len = 1; len <= kMaxBits; ++len) {
    left = left * 2 - code->count[len];
    if (left < 0) return left;
  }
  uint16_t offset[kMaxBits + 1] = {};
  for (int len = 1; len < kMaxBits; ++len) offset[len + 1] = offset[len] + code->count[len];
  for (int i = 0; i < n; ++i)
    if (lengths[i]) code->symbol[offset[lengths[i]]++] = static_cast<uint16_t>(i);
  return left;
}

// A block's literal and distance codes must be complete, except that a
// code of no symbols or of one (one bit long) is allowed: writers make
// those for blocks that use one distance or none.
bool Acceptable(const Code& code, int left, int n) {
  return left == 0 || (left > 0 && n == code.count[0] + code.count[1]);
}

// The next symbol of `code`; -1 for a code the stream does not have.
int Decode(Bits& bits, const Code& code) {
  int value = 0, first = 0, index = 0;
  for (int len = 1; len <= kMaxBits; ++len) {
    value |= static_cast<int>(bits.Take(1));
    const int count = code.count[len];
    if (value - count < first) return code.symbol[index + (value - first)];
    index += count;
    first = (first + count) << 1;
    value <<= 1;
  }
  return -1;
}

constexpr uint16_t kLengthBase[29] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                      31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr uint8_t kLengthExtra[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                      2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr uint16_t kDistanceBase[30] = {1,    2,    3,    4,    5,    7,     9,     13,    17,  25,
                                        33,   49,   65,   97,   129,  193,   257,   385,   513, 769,
                                        1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
constexpr uint8_t kDistanceExtra[30] = {0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                                        6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};

struct Output {
  uint8_t* data;
  size_t capacity;
  size_t size = 0;
};

// One block's symbols up to its end code.
InflateResult Symbols(Bits& bits, Output& out, const Code& literals, const Code& distances) {
  for (;;) {
    const int symbol = Decode(bits, literals);
    if (bits.past()) return InflateResult::kTruncated;
    if (symbol < 0) return InflateResult::kBadData;
    if (symbol < 256) {
      if (out.size == out.capacity) return InflateResult::kNoRoom;
      out.data[out.size++] = static_cast<uint8_t>(symbol);
      continue;
    }
    if (symbol == 256) return InflateResult::kOk;
    const int lengthCode = symbol - 257;
    if (lengthCode >= 29) return InflateResult::kBadData;
    const size_t length = kLengthBase[lengthCode] + bits.Take(kLengthExtra[lengthCode]);
    const int distanceCode = Decode(bits, distances);
    if (bits.past()) return InflateResult::kTruncated;
    if (distanceCode < 0 || distanceCode >= kDistanceCodes) return InflateResult::kBadData;
    const size_t distance = kDistanceBase[distanceCode] + bits.Take(kDistanceExtra[distanceCode]);
    if (bits.past()) return InflateResult::kTruncated;
    if (distance > out.size) return InflateResult::kBadData;  // before the start
    if (length > out.capacity - out.size) return InflateResult::kNoRoom;
    // Byte by byte: the copy may overlap what it writes.
    for (size_t i = 0; i < length; ++i, ++out.size) out.data[out.size] = out.data[out.size - distance];
  }
}

InflateResult Stored(Bits& bits, Output& out) {
  bits.Align();
  const uint8_t* lengths = bits.Bytes(4);
  if (!lengths) return InflateResult::kTruncated;
  const unsigned length = lengths[0] | (lengths[1] << 8);
  const unsigned check = lengths[2] | (lengths[3] << 8);
  if ((length ^ 0xFFFFu) != check) return InflateResult::kBadData;
  const uint8_t* data = bits.Bytes(length);
  if (!data) return InflateResult::kTruncated;
  if (length > out.capacity - out.size) return InflateResult::kNoRoom;
  std::memcpy(out.data + out.size, data, length);
  out.size += length;
  return InflateResult::kOk;
}

InflateResult Fixed(Bits& bits, Output& out) {
  static const auto codes = [] {
    struct Both {
      Code literals, distances;
    } both;
    uint8_t lengths[kLiteralCodes];
    for (int i = 0; i < kLiteralCodes; ++i)
      lengths[i] = static_cast<uint8_t>(i < 144 ? 8 : i < 256 ? 9 : i < 280 ? 7 : 8);
    Build(&both.literals, lengths, kLiteralCodes);
    for (int i = 0; i < kDistanceCodes; ++i) lengths[i] = 5;
    Build(&both.distances, lengths, kDistanceCodes);
    return both;
  }();
  return Symbols(bits, out, codes.literals, codes.distances);
}

InflateResult Dynamic(Bits& bits, Output& out) {
  static constexpr uint8_t kOrder[kCodeLengthCodes] = {16, 17, 18, 0, 8,  7, 9,  6, 10, 5,
                                                       11, 4,  12, 3, 13, 2, 14, 1, 15};
  const int literalCount = static_cast<int>(bits.Take(5)) + 257;
  const int distanceCount = static_cast<int>(bits.Take(5)) + 1;
  const int lengthCount = static_cast<int>(bits.Take(4)) + 4;
  if (bits.past()) return InflateResult::kTruncated;
  if (literalCount > 286 || distanceCount > kDistanceCodes) return InflateResult::kBadData;

  uint8_t lengths[kLiteralCodes + kDistanceCodes] = {};
  for (int i = 0; i < lengthCount; ++i) lengths[kOrder[i]] = static_cast<uint8_t>(bits.Take(3));
  if (bits.past()) return InflateResult::kTruncated;
  Code lengthCode;
  if (Build(&lengthCode, lengths, kCodeLengthCodes) != 0) return InflateResult::kBadData;

  // The two codes' lengths, as one run-length coded sequence.
  const int total = literalCount + distanceCount;
  std::memset(lengths, 0, sizeof lengths);
  for (int i = 0; i < total;) {
    const int symbol = Decode(bits, lengthCode);
    if (bits.past()) return InflateResult::kTruncated;
    if (symbol < 0) return InflateResult::kBadData;
    if (symbol < 16) {
      lengths[i++] = static_cast<uint8_t>(symbol);
      continue;
    }
    uint8_t repeated = 0;
    int times;
    if (symbol == 16) {
      if (i == 0) return InflateResult::kBadData;  // nothing to repeat
      repeated = lengths[i - 1];
      times = 3 + static_cast<int>(bits.Take(2));
    } else if (symbol == 17) {
      times = 3 + static_cast<int>(bits.Take(3));
    } else {
      times = 11 + static_cast<int>(bits.Take(7));
    }
    if (bits.past()) return InflateResult::kTruncated;
    if (i + times > total) return InflateResult::kBadData;
    while (times--) lengths[i++] = repeated;
  }
  if (lengths[256] == 0) return InflateResult::kBadData;  // no end code
  Code literals, distances;
  if (!Acceptable(literals, Build(&literals, lengths, literalCount), literalCount) ||
      !Acceptable(distances, Build(&distances, lengths + literalCount, distanceCount),
                  distanceCount))
    return InflateResult::kBadData;
  return Symbols(bits, out, literals, distances);
}

}  // namespace

uint32_t Adler32(uint32_t adler, const uint8_t* data, size_t size) {
  constexpr uint32_t kBase = 65521;
  uint32_t a = adler & 0xFFFF, b = adler >> 16;
  while (size > 0) {
    // 5552 bytes at most before the sums could overflow.
    const size_t n = size < 5552 ? size : 5552;
    for (size_t i = 0; i < n; ++i) {
      a += data[i];
      b += a;
    }
    a %= kBase;
    b %= kBase;
    data += n;
    size -= n;
  }
  return (b << 16) | a;
}

InflateResult InflateZlib(const uint8_t* in, size_t inSize, uint8_t* out, size_t capacity,
                          size_t* written) {
  *written = 0;
  if (!in || inSize < 2) return InflateResult::kTruncated;
  const unsigned cmf = in[0], flags = in[1];
  // Deflate with a window of at most 32 KiB, a header that checks, and no
  // preset dictionary.
  if ((cmf & 0x0F) != 8 || (cmf >> 4) > 7 || (cmf * 256 + flags) % 31 != 0 || (flags & 0x20))
    return InflateResult::kBadData;
  Bits bits(in + 2, inSize - 2);
  Output output{out, out ? capacity : 0};
  for (bool last = false; !last;) {
    last = bits.Take(1) != 0;
    const uint32_t type = bits.Take(2);
    if (bits.past()) return InflateResult::kTruncated;
    InflateResult r;
    switch (type) {
      case 0:
        r = Stored(bits, output);
        break;
      case 1:
        r = Fixed(bits, output);
        break;
      case 2:
        r = Dynamic(bits, output);
        break;
      default:
        r = InflateResult::kBadData;
        break;
    }
    *written = output.size;
    if (r != InflateResult::kOk) return r;
  }
  bits.Align();
  const uint8_t* check = bits.Bytes(4);
  if (!check) return InflateResult::kTruncated;
  const uint32_t expected = (static_cast<uint32_t>(check[0]) << 24) | (check[1] << 16) |
                            (check[2] << 8) | check[3];
  if (Adler32(1, output.data, output.size) != expected) return InflateResult::kBadData;
  return InflateResult::kOk;
}

size_t ZlibBound(size_t size) {
  return size + (size >> 12) + (size >> 14) + (size >> 25) + 13;
}

size_t StoreZlib(const uint8_t* in, size_t size, uint8_t* out, size_t capacity) {
  constexpr size_t kLargestBlock = 65535;
  const size_t blocks = size == 0 ? 1 : (size + kLargestBlock - 1) / kLargestBlock;
  const size_t total = 2 + blocks * 5 + size + 4;
  if (!out || capacity < total || (size && !in)) return 0;
  size_t at = 0;
  out[at++] = 0x78;  // deflate, 32 KiB window
  out[at++] = 0x01;  // no dictionary, the fastest level; (0x78 * 256 + 1) % 31 == 0
  size_t done = 0;
  for (size_t b = 0; b < blocks; ++b) {
    const size_t n = std::min(kLargestBlock, size - done);
    out[at++] = b + 1 == blocks ? 1 : 0;  // the last block, stored
    out[at++] = static_cast<uint8_t>(n);
    out[at++] = static_cast<uint8_t>(n >> 8);
    out[at++] = static_cast<uint8_t>(~n);
    out[at++] = static_cast<uint8_t>(~n >> 8);
    if (n) std::memcpy(out + at, in + done, n);
    at += n;
    done += n;
  }
  const uint32_t adler = Adler32(1, in, size);
  for (int shift = 24; shift >= 0; shift -= 8) out[at++] = static_cast<uint8_t>(adler >> shift);
  return at;
}

uint32_t Crc32(uint32_t crc, const uint8_t* data, size_t size) {
  static const auto table = [] {
    struct Table {
      uint32_t entry[256];
    } t;
    for (uint32_t n = 0; n < 256; ++n) {
      uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t.entry[n] = c;
    }
    return t;
  }();
  crc = ~crc;
  for (size_t i = 0; i < size; ++i) crc = table.entry[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
  return ~crc;
}

}  // namespace rt
}  // namespace kv
