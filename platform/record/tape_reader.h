// Reads a recording back record by record. A damaged file is read as far as
// it is sound: records come until the damage, and then the reader says what
// was wrong and where.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/record/record_codec.h"

namespace kv {
namespace record {

class TapeReader {
 public:
  enum class End {
    kNone,       // records are still coming
    kComplete,   // the trailer was read
    kTruncated,  // the file stops before its trailer
    kCorrupt,    // a block or the trailer fails its check or does not decode
  };

  // Loads the file and checks its header. False with a message when it is
  // not a recording, is of a newer format, or cannot be read.
  bool Open(const std::string& path, std::string* error);
  bool OpenBytes(std::vector<uint8_t> bytes, std::string* error);

  // The next record, or false at the end (then see end() and problem()).
  bool Next(Record* r);

  End end() const { return end_; }
  const std::string& problem() const { return problem_; }
  const Trailer& trailer() const { return trailer_; }
  const std::string& writerVersion() const { return writerVersion_; }

 private:
  bool LoadSection();
  void Stop(End end, const std::string& problem);

  std::vector<uint8_t> file_;
  size_t pos_ = 0;  // next section's offset in file_
  std::vector<uint8_t> block_;
  size_t blockPos_ = 0;
  RecordCodec codec_;
  End end_ = End::kNone;
  std::string problem_;
  Trailer trailer_;
  std::string writerVersion_;
};

}  // namespace record
}  // namespace kv
