// zlib streams (deflate data in a two-byte header and an Adler-32 trailer)
// for where there is no zlib to link: the browser build, which downloads
// nothing. Unpacking is written for untrusted bytes: every read is checked,
// the output never grows past the room given, and a stream that is
// damaged, cut short or that needs a preset dictionary is refused. Packing
// stores the bytes as they are, in deflate's stored blocks: what any zlib
// reads, without the compression.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kv {
namespace rt {

enum class InflateResult {
  kOk,         // the whole stream, its checksum verified
  kBadData,    // not a zlib stream, a damaged one, or a wrong checksum
  kTruncated,  // the stream ends before its end
  kNoRoom,     // the output does not fit in `capacity` bytes
};

// Unpacks the stream at `in` into `out`; `*written` gets the bytes written.
InflateResult InflateZlib(const uint8_t* in, size_t inSize, uint8_t* out, size_t capacity,
                          size_t* written);

// The room StoreZlib needs for `size` bytes at most (zlib's own bound, so
// that what zlib packs fits in it too).
size_t ZlibBound(size_t size);

// Packs `size` bytes at `in` into stored blocks at `out`; the length of the
// stream, or 0 when it does not fit in `capacity` bytes.
size_t StoreZlib(const uint8_t* in, size_t size, uint8_t* out, size_t capacity);

// Adler-32 of `data`, continuing from `adler` (1 to start).
uint32_t Adler32(uint32_t adler, const uint8_t* data, size_t size);

// CRC-32 (the one zlib and PNG use) of `data`, continuing from `crc` (0 to start).
uint32_t Crc32(uint32_t crc, const uint8_t* data, size_t size);

}  // namespace rt
}  // namespace kv
