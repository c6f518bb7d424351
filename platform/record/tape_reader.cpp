#include "platform/record/tape_reader.h"

#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace kv {
namespace record {

namespace {

uint32_t Crc(uint32_t crc, const uint8_t* data, size_t size) {
  return static_cast<uint32_t>(crc32(crc, data, static_cast<uInt>(size)));
}

// The longest a section's fixed part can be: a tag, two ten-byte varints
// and a checksum (a block); a varint, two signed ones, a hash and a
// checksum (the trailer).
constexpr size_t kSectionHead = 1 + 10 + 10 + 4;
constexpr size_t kTrailerMost = 1 + 10 + 10 + 10 + 8 + 10 + 10 + 4;
// Read from the source in pieces of this size at most.
constexpr size_t kReadPiece = 64 * 1024;

}  // namespace

struct TapeReader::FileSource {
  std::FILE* file = nullptr;
  int error = 0;
  ~FileSource() {
    if (file) std::fclose(file);
  }
  static long Read(void* context, uint8_t* to, size_t size) {
    auto* self = static_cast<FileSource*>(context);
    const size_t n = std::fread(to, 1, size, self->file);
    if (n == 0 && std::ferror(self->file)) {
      self->error = errno;
      return -1;
    }
    return static_cast<long>(n);
  }
  static std::string Error(void* context) {
    const int error = static_cast<FileSource*>(context)->error;
    return error ? std::strerror(error) : "read error";
  }
};

struct TapeReader::MemorySource {
  std::vector<uint8_t> bytes;
  size_t pos = 0;
  static long Read(void* context, uint8_t* to, size_t size) {
    auto* self = static_cast<MemorySource*>(context);
    const size_t n = std::min(size, self->bytes.size() - self->pos);
    if (n == 0) return 0;  // an empty vector's data() may be null
    std::memcpy(to, self->bytes.data() + self->pos, n);
    self->pos += n;
    return static_cast<long>(n);
  }
};

TapeReader::TapeReader() = default;
TapeReader::~TapeReader() = default;
TapeReader::TapeReader(TapeReader&&) noexcept = default;
TapeReader& TapeReader::operator=(TapeReader&&) noexcept = default;

bool TapeReader::Open(const std::string& path, std::string* error) {
  auto file = std::make_unique<FileSource>();
  file->file = std::fopen(path.c_str(), "rb");
  if (!file->file) {
    if (error) *error = std::string("cannot open it: ") + std::strerror(errno);
    return false;
  }
  ByteSource source;
  source.read = &FileSource::Read;
  source.error = &FileSource::Error;
  source.context = file.get();
  file_ = std::move(file);
  return OpenSource(source, error);
}

bool TapeReader::OpenBytes(std::vector<uint8_t> bytes, std::string* error) {
  auto memory = std::make_unique<MemorySource>();
  memory->bytes = std::move(bytes);
  ByteSource source;
  source.read = &MemorySource::Read;
  source.context = memory.get();
  memory_ = std::move(memory);
  return OpenSource(source, error);
}

bool TapeReader::OpenSource(const ByteSource& source, std::string* error) {
  source_ = source;
  if (!ReadHeader(error)) {
    end_ = End::kCorrupt;
    return false;
  }
  return true;
}

size_t TapeReader::Fill(size_t n) {
  if (inPos_ > 0 && inPos_ + n > in_.size()) {
    // Keep only what is unread, so the buffer never grows past one section.
    in_.erase(in_.begin(), in_.begin() + static_cast<std::ptrdiff_t>(inPos_));
    inPos_ = 0;
  }
  while (in_.size() - inPos_ < n && !sourceFailed_ && source_.read) {
    const size_t want = std::min(kReadPiece, n - (in_.size() - inPos_));
    const size_t had = in_.size();
    in_.resize(had + want);
    const long got = source_.read(source_.context, in_.data() + had, want);
    in_.resize(had + static_cast<size_t>(std::max(got, 0L)));
    if (got < 0) sourceFailed_ = true;
    if (got <= 0) break;
  }
  return in_.size() - inPos_;
}

void TapeReader::Consume(size_t n) {
  inPos_ += n;
  offset_ += n;
}

std::string TapeReader::Failure(const std::string& truncated) const {
  if (!sourceFailed_) return truncated;
  const std::string why = source_.error ? source_.error(source_.context) : "read error";
  return "truncated: cannot read it past byte " + std::to_string(offset_ + (in_.size() - inPos_)) +
         ": " + why;
}

bool TapeReader::ReadHeader(std::string* error) {
  auto fail = [error](const std::string& why) {
    if (error) *error = why;
    return false;
  };
  // The magic first, from the first bytes alone: anything else is turned
  // down before more is read.
  const size_t got = Fill(sizeof kMagic + 1);
  if (got < sizeof kMagic || std::memcmp(in_.data() + inPos_, kMagic, sizeof kMagic) != 0) {
    if (sourceFailed_) {
      return fail("cannot read it: " +
                  (source_.error ? source_.error(source_.context) : std::string("read error")));
    }
    return fail("not a recording");
  }
  if (got < sizeof kMagic + 1) return fail("truncated: the recording ends inside its header");
  const uint8_t version = in_[inPos_ + sizeof kMagic];
  if (version > kFormatVersion) {
    return fail("made by a newer version of the program (recording format " +
                std::to_string(version) + ", this program reads up to " +
                std::to_string(kFormatVersion) + ")");
  }
  if (version == 0) return fail("not a recording (format 0)");
  Consume(sizeof kMagic + 1);

  Fill(10 + kMaxVersionText);
  SpanReader in(in_.data() + inPos_, in_.size() - inPos_);
  uint64_t textSize = 0;
  if (!in.Varint(&textSize) || textSize > kMaxVersionText || in.Left() < textSize) {
    return fail("truncated or damaged header");
  }
  writerVersion_.assign(reinterpret_cast<const char*>(in.Here()), textSize);
  in.Skip(textSize);
  Consume(in_.size() - inPos_ - in.Left());
  version_ = version;
  if (version < 2) return true;

  Fill(10 + kMaxCommandLine);
  SpanReader line(in_.data() + inPos_, in_.size() - inPos_);
  uint64_t lineSize = 0;
  if (!line.Varint(&lineSize) || lineSize > kMaxCommandLine || line.Left() < lineSize) {
    return fail("truncated or damaged header");
  }
  commandLine_.assign(reinterpret_cast<const char*>(line.Here()), lineSize);
  line.Skip(lineSize);
  Consume(in_.size() - inPos_ - line.Left());
  return true;
}

void TapeReader::Stop(End end, const std::string& problem) {
  end_ = end;
  problem_ = problem;
  block_.clear();
  block_.shrink_to_fit();
  blockPos_ = 0;
}

bool TapeReader::LoadSection() {
  const uint64_t at = offset_;
  const std::string where = " at byte " + std::to_string(at);
  if (Fill(1) == 0) {
    Stop(End::kTruncated, Failure("truncated: the recording stops without its end record"));
    return false;
  }
  const uint8_t tag = in_[inPos_];
  if (tag == kTrailerTag) {
    Fill(kTrailerMost);
    SpanReader in(in_.data() + inPos_ + 1, in_.size() - inPos_ - 1);
    const uint8_t* start = in.Here();
    uint64_t frames, hash, crc, ending = 0, signal = 0;
    int64_t left, right;
    if (!in.Varint(&frames) || !in.Signed(&left) || !in.Signed(&right) || !in.Fixed(&hash, 8) ||
        (version_ >= 2 && (!in.Varint(&ending) || !in.Varint(&signal)))) {
      Stop(End::kTruncated, Failure("truncated: the end record is cut short"));
      return false;
    }
    const size_t fieldBytes = static_cast<size_t>(in.Here() - start);
    if (!in.Fixed(&crc, 4)) {
      Stop(End::kTruncated, Failure("truncated: the end record is cut short"));
      return false;
    }
    if (Crc(0, start, fieldBytes) != crc) {
      Stop(End::kCorrupt, "corrupted end record" + where + " (checksum)");
      return false;
    }
    // An ending this program does not know, or a signal that says nothing.
    const bool bySignal = ending == static_cast<uint64_t>(Ending::kSignal);
    if (ending > static_cast<uint64_t>(Ending::kSignal) || (bySignal != (signal != 0)) ||
        signal > 64) {
      Stop(End::kCorrupt, "corrupted end record" + where + " (how it ended)");
      return false;
    }
    trailer_ = Trailer{frames, left, right, hash, static_cast<Ending>(ending),
                       static_cast<int>(signal)};
    Consume(1 + fieldBytes + 4);
    // Nothing may follow; one more byte is enough to tell.
    if (Fill(1) > 0) {
      Stop(End::kCorrupt, "data after the end record");
    } else {
      Stop(End::kComplete, "");
    }
    return false;
  }
  if (tag != kBlockTag) {
    Stop(End::kCorrupt, "corrupted recording" + where + " (not a block)");
    return false;
  }
  Fill(kSectionHead);
  SpanReader in(in_.data() + inPos_ + 1, in_.size() - inPos_ - 1);
  const uint8_t* sizesStart = in.Here();
  uint64_t rawSize, packedSize, crc;
  if (!in.Varint(&rawSize) || !in.Varint(&packedSize)) {
    Stop(End::kTruncated, Failure("truncated: the recording stops inside a block" + where));
    return false;
  }
  const size_t sizeBytes = static_cast<size_t>(in.Here() - sizesStart);
  // Sizes are checked before anything is allocated for them.
  if (rawSize == 0 || rawSize > kMaxBlockBytes || packedSize > compressBound(kMaxBlockBytes)) {
    Stop(End::kCorrupt, "corrupted block" + where + " (impossible size)");
    return false;
  }
  if (rawTotal_ + rawSize > kMaxRecordingBytes) {
    Stop(End::kCorrupt, "corrupted recording" + where + " (longer than any recording can be)");
    return false;
  }
  const size_t head = 1 + sizeBytes + 4;
  if (Fill(head + packedSize) < head + packedSize) {
    Stop(End::kTruncated, Failure("truncated: the recording stops inside a block" + where));
    return false;
  }
  SpanReader whole(in_.data() + inPos_ + 1 + sizeBytes, 4);
  whole.Fixed(&crc, 4);
  const uint8_t* packed = in_.data() + inPos_ + head;
  if (Crc(Crc(0, in_.data() + inPos_ + 1, sizeBytes), packed, packedSize) != crc) {
    Stop(End::kCorrupt, "corrupted block" + where + " (checksum)");
    return false;
  }
  block_.resize(rawSize);
  uLongf unpacked = static_cast<uLongf>(rawSize);
  if (uncompress(block_.data(), &unpacked, packed, static_cast<uLong>(packedSize)) != Z_OK ||
      unpacked != rawSize) {
    Stop(End::kCorrupt, "corrupted block" + where + " (does not unpack)");
    return false;
  }
  rawTotal_ += rawSize;
  blockPos_ = 0;
  Consume(head + packedSize);
  return true;
}

bool TapeReader::Next(Record* r) {
  while (end_ == End::kNone) {
    if (blockPos_ < block_.size()) {
      SpanReader in(block_.data() + blockPos_, block_.size() - blockPos_);
      if (!codec_.Decode(in, r)) {
        Stop(End::kCorrupt, "corrupted record in the block before byte " + std::to_string(offset_));
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
