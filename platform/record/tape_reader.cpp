#include "platform/record/tape_reader.h"

#include <zlib.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace kv {
namespace record {

namespace {

uint32_t Crc(uint32_t crc, const uint8_t* data, size_t size) {
  return static_cast<uint32_t>(crc32(crc, data, static_cast<uInt>(size)));
}

}  // namespace

bool TapeReader::Open(const std::string& path, std::string* error) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) {
    if (error) *error = std::string("cannot open it: ") + std::strerror(errno);
    return false;
  }
  std::vector<uint8_t> bytes;
  uint8_t buffer[65536];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) bytes.insert(bytes.end(), buffer, buffer + n);
  const bool failed = std::ferror(f) != 0;
  std::fclose(f);
  if (failed) {
    if (error) *error = "cannot read it";
    return false;
  }
  return OpenBytes(std::move(bytes), error);
}

bool TapeReader::OpenBytes(std::vector<uint8_t> bytes, std::string* error) {
  file_ = std::move(bytes);
  SpanReader in(file_.data(), file_.size());
  if (file_.size() < sizeof kMagic || std::memcmp(file_.data(), kMagic, sizeof kMagic) != 0) {
    if (error) *error = "not a recording";
    return false;
  }
  in.Skip(sizeof kMagic);
  uint8_t version = 0;
  uint64_t textSize = 0;
  if (!in.Byte(&version)) {
    if (error) *error = "truncated: the recording ends inside its header";
    return false;
  }
  if (version > kFormatVersion) {
    if (error) {
      *error = "made by a newer version of the program (recording format " +
               std::to_string(version) + ", this program reads up to " +
               std::to_string(kFormatVersion) + ")";
    }
    return false;
  }
  if (version == 0) {
    if (error) *error = "not a recording (format 0)";
    return false;
  }
  if (!in.Varint(&textSize) || textSize > kMaxVersionText || in.Left() < textSize) {
    if (error) *error = "truncated or damaged header";
    return false;
  }
  writerVersion_.assign(reinterpret_cast<const char*>(in.Here()), textSize);
  in.Skip(textSize);
  pos_ = file_.size() - in.Left();
  return true;
}

void TapeReader::Stop(End end, const std::string& problem) {
  end_ = end;
  problem_ = problem;
  block_.clear();
  blockPos_ = 0;
}

bool TapeReader::LoadSection() {
  const size_t at = pos_;
  SpanReader in(file_.data() + pos_, file_.size() - pos_);
  uint8_t tag;
  if (!in.Byte(&tag)) {
    Stop(End::kTruncated, "truncated: the recording stops without its end record");
    return false;
  }
  const std::string where = " at byte " + std::to_string(at);
  if (tag == kTrailerTag) {
    const uint8_t* start = in.Here();
    uint64_t frames, hash, crc;
    int64_t left, right;
    if (!in.Varint(&frames) || !in.Signed(&left) || !in.Signed(&right) || !in.Fixed(&hash, 8)) {
      Stop(End::kTruncated, "truncated: the end record is cut short");
      return false;
    }
    const size_t fieldBytes = static_cast<size_t>(in.Here() - start);
    if (!in.Fixed(&crc, 4)) {
      Stop(End::kTruncated, "truncated: the end record is cut short");
      return false;
    }
    if (Crc(0, start, fieldBytes) != crc) {
      Stop(End::kCorrupt, "corrupted end record" + where + " (checksum)");
      return false;
    }
    trailer_ = Trailer{frames, left, right, hash};
    Stop(End::kComplete, "");
    if (!in.AtEnd()) Stop(End::kCorrupt, "data after the end record");
    return false;
  }
  if (tag != kBlockTag) {
    Stop(End::kCorrupt, "corrupted recording" + where + " (not a block)");
    return false;
  }
  const uint8_t* sizesStart = in.Here();
  uint64_t rawSize, packedSize, crc;
  if (!in.Varint(&rawSize) || !in.Varint(&packedSize)) {
    Stop(End::kTruncated, "truncated: the recording stops inside a block" + where);
    return false;
  }
  const size_t sizeBytes = static_cast<size_t>(in.Here() - sizesStart);
  if (rawSize == 0 || rawSize > kMaxBlockBytes || packedSize > compressBound(kMaxBlockBytes)) {
    Stop(End::kCorrupt, "corrupted block" + where + " (impossible size)");
    return false;
  }
  if (!in.Fixed(&crc, 4) || in.Left() < packedSize) {
    Stop(End::kTruncated, "truncated: the recording stops inside a block" + where);
    return false;
  }
  const uint8_t* packed = in.Here();
  if (Crc(Crc(0, sizesStart, sizeBytes), packed, packedSize) != crc) {
    Stop(End::kCorrupt, "corrupted block" + where + " (checksum)");
    return false;
  }
  block_.assign(rawSize, 0);
  uLongf unpacked = static_cast<uLongf>(rawSize);
  if (uncompress(block_.data(), &unpacked, packed, static_cast<uLong>(packedSize)) != Z_OK ||
      unpacked != rawSize) {
    Stop(End::kCorrupt, "corrupted block" + where + " (does not unpack)");
    return false;
  }
  blockPos_ = 0;
  in.Skip(packedSize);
  pos_ = file_.size() - in.Left();
  return true;
}

bool TapeReader::Next(Record* r) {
  while (end_ == End::kNone) {
    if (blockPos_ < block_.size()) {
      SpanReader in(block_.data() + blockPos_, block_.size() - blockPos_);
      if (!codec_.Decode(in, r)) {
        Stop(End::kCorrupt, "corrupted record in the block before byte " + std::to_string(pos_));
        return false;
      }
      blockPos_ = block_.size() - in.Left();
      return true;
    }
    if (!LoadSection()) return false;
  }
  return false;
}

}  // namespace record
}  // namespace kv
