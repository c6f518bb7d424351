#include "platform/record/tape_writer.h"

#include <zlib.h>

#include <cerrno>
#include <cstring>

namespace kv {
namespace record {

namespace {
// Past this many raw bytes a block ends early, so a reader's buffer stays small.
constexpr size_t kBlockTarget = 1u << 20;
static_assert(kBlockTarget < kMaxBlockBytes, "a reader must accept every block we write");
}  // namespace

std::string PackHeader(const std::string& programVersion) {
  std::string out(kMagic, sizeof kMagic);
  out.push_back(static_cast<char>(kFormatVersion));
  const std::string text = programVersion.substr(0, kMaxVersionText);
  PutVarint(out, text.size());
  out += text;
  return out;
}

std::string PackBlock(const std::string& raw) {
  uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
  std::string packed(packedSize, '\0');
  compress2(reinterpret_cast<Bytef*>(&packed[0]), &packedSize,
            reinterpret_cast<const Bytef*>(raw.data()), static_cast<uLong>(raw.size()), 6);
  packed.resize(packedSize);
  std::string sizes;
  PutVarint(sizes, raw.size());
  PutVarint(sizes, packed.size());
  uLong crc = crc32(0L, reinterpret_cast<const Bytef*>(sizes.data()), static_cast<uInt>(sizes.size()));
  crc = crc32(crc, reinterpret_cast<const Bytef*>(packed.data()), static_cast<uInt>(packed.size()));
  std::string out(1, static_cast<char>(kBlockTag));
  out += sizes;
  PutFixed(out, crc, 4);
  out += packed;
  return out;
}

std::string PackTrailer(const Trailer& t) {
  std::string fields;
  PutVarint(fields, t.frames);
  PutSigned(fields, t.leftScore);
  PutSigned(fields, t.rightScore);
  PutFixed(fields, t.lastFrameHash, 8);
  const uLong crc =
      crc32(0L, reinterpret_cast<const Bytef*>(fields.data()), static_cast<uInt>(fields.size()));
  std::string out(1, static_cast<char>(kTrailerTag));
  out += fields;
  PutFixed(out, crc, 4);
  return out;
}

TapeWriter::~TapeWriter() {
  if (file_) std::fclose(file_);
}

bool TapeWriter::Open(const std::string& path, const std::string& programVersion,
                      std::string* error) {
  Begin(programVersion);
  return Create(path, error);
}

void TapeWriter::Begin(const std::string& programVersion) {
  begun_ = true;
  version_ = programVersion;
  blockStart_ = std::chrono::steady_clock::now();
}

bool TapeWriter::Create(const std::string& path, std::string* error) {
  if (!begun_ || file_) return false;
  file_ = std::fopen(path.c_str(), "wb");
  if (!file_) {
    begun_ = false;  // nothing more to keep
    block_.clear();
    if (error) *error = std::string("cannot create it: ") + std::strerror(errno);
    return false;
  }
  Write(PackHeader(version_));
  // What was kept before the file existed goes out with the first block.
  std::fflush(file_);
  if (block_.empty()) blockStart_ = std::chrono::steady_clock::now();
  return healthy_;
}

void TapeWriter::Add(const Record& r) {
  if (!begun_) return;
  if (block_.empty()) blockStart_ = std::chrono::steady_clock::now();
  codec_.Encode(r, block_);
}

bool TapeWriter::BlockDue() const {
  if (!file_ || block_.empty()) return false;
  return block_.size() >= kBlockTarget ||
         std::chrono::steady_clock::now() - blockStart_ >= std::chrono::seconds(1);
}

void TapeWriter::EndBlock() {
  if (!file_ || block_.empty()) return;
  Write(PackBlock(block_));
  std::fflush(file_);
  block_.clear();
}

void TapeWriter::Close(const Trailer& trailer) {
  begun_ = false;
  if (!file_) {
    block_.clear();  // the records kept for a file never made go nowhere
    return;
  }
  EndBlock();
  Write(PackTrailer(trailer));
  if (std::fclose(file_) != 0) healthy_ = false;
  file_ = nullptr;
}

void TapeWriter::Write(const std::string& bytes) {
  if (!healthy_) return;
  if (std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size()) {
    healthy_ = false;
    return;
  }
  written_ += bytes.size();
}

}  // namespace record
}  // namespace kv
