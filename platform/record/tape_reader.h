// Reads a recording back record by record, a block at a time from wherever
// its bytes come from (a file, or bytes in memory such as a page's
// download): whatever the input, the reader holds at most one block and its
// packed bytes. A damaged file is read as far as it is sound: records come
// until the damage, and then the reader says what was wrong and where.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "platform/record/record_codec.h"

namespace kv {
namespace record {

// Where a reader's bytes come from. `read` copies up to `size` bytes to
// `to` and returns how many, 0 at the end, or -1 when the source fails
// (then `error`, if set, says why). It may block (a file) or not (bytes
// already in memory); the reader asks only for what the next section needs.
struct ByteSource {
  long (*read)(void* context, uint8_t* to, size_t size) = nullptr;
  std::string (*error)(void* context) = nullptr;
  void* context = nullptr;
};

class TapeReader {
 public:
  enum class End {
    kNone,       // records are still coming
    kComplete,   // the trailer was read
    kTruncated,  // the file stops before its trailer
    kCorrupt,    // a block or the trailer fails its check or does not decode
  };

  TapeReader();
  ~TapeReader();
  TapeReader(TapeReader&&) noexcept;
  TapeReader& operator=(TapeReader&&) noexcept;

  // Opens the file and checks its header from its first bytes. False with a
  // message when it is not a recording, is of a newer format, or cannot be
  // read.
  bool Open(const std::string& path, std::string* error);
  bool OpenBytes(std::vector<uint8_t> bytes, std::string* error);
  // The source must outlive the reader.
  bool OpenSource(const ByteSource& source, std::string* error);

  // The next record, or false at the end (then see end() and problem()).
  bool Next(Record* r);

  End end() const { return end_; }
  const std::string& problem() const { return problem_; }
  const Trailer& trailer() const { return trailer_; }
  const std::string& writerVersion() const { return writerVersion_; }
  int version() const { return version_; }
  // The command line the recorded program was given (format 2 on), or null.
  const std::string* commandLine() const { return version_ >= 2 ? &commandLine_ : nullptr; }

 private:
  bool ReadHeader(std::string* error);
  // Makes at least `n` unread bytes available, fewer only at the source's
  // end (or failure); returns how many are.
  size_t Fill(size_t n);
  void Consume(size_t n);
  bool LoadSection();
  void Stop(End end, const std::string& problem);
  std::string Failure(const std::string& truncated) const;

  struct FileSource;
  struct MemorySource;
  std::unique_ptr<FileSource> file_;
  std::unique_ptr<MemorySource> memory_;
  ByteSource source_;
  bool sourceFailed_ = false;

  std::vector<uint8_t> in_;  // bytes read from the source, from inPos_ on unread
  size_t inPos_ = 0;
  uint64_t offset_ = 0;      // the file offset of in_[inPos_]
  uint64_t rawTotal_ = 0;    // records unpacked so far, in bytes

  std::vector<uint8_t> block_;
  size_t blockPos_ = 0;
  RecordCodec codec_;
  End end_ = End::kNone;
  std::string problem_;
  Trailer trailer_;
  std::string writerVersion_;
  int version_ = 0;
  std::string commandLine_;
};

}  // namespace record
}  // namespace kv
