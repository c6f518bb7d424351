// Writes a recording as the session goes: records gather in a block, and a
// block is compressed, checksummed and flushed to the file at the latest a
// second after it was begun, so a crash loses at most that second.
#pragma once

#include <chrono>
#include <cstdio>
#include <string>

#include "platform/record/record_codec.h"

namespace kv {
namespace record {

class TapeWriter {
 public:
  ~TapeWriter();
  // Begin() then Create(): false with a message when the file cannot be made.
  bool Open(const std::string& path, const std::string& programVersion, std::string* error);
  // Starts taking records before there is a file: they are kept in memory
  // until Create() makes the file, so a program that turns its command line
  // down leaves no file behind.
  void Begin(const std::string& programVersion);
  // Creates the file and writes the header and what was kept so far.
  bool Create(const std::string& path, std::string* error);
  void Add(const Record& r);
  // Ends the current block if a second has passed since it began (or it is
  // large); `checkpoint` is called first to add the frame check.
  bool BlockDue() const;
  void EndBlock();
  // Ends the last block and writes the trailer; the file is then complete.
  void Close(const Trailer& trailer);
  bool IsOpen() const { return file_ != nullptr; }
  uint64_t BytesWritten() const { return written_; }
  // False once a write has failed (a full disk): recording stops, play goes on.
  bool Healthy() const { return healthy_; }

 private:
  void Write(const std::string& bytes);

  std::FILE* file_ = nullptr;
  bool begun_ = false;  // taking records, with or without a file yet
  std::string version_;
  RecordCodec codec_;
  std::string block_;
  std::chrono::steady_clock::time_point blockStart_{};
  uint64_t written_ = 0;
  bool healthy_ = true;
};

// The section bytes of one block (tag, sizes, checksum, payload), and of
// the trailer: shared with the tests, which build damaged files from them.
std::string PackBlock(const std::string& raw);
std::string PackTrailer(const Trailer& trailer);
std::string PackHeader(const std::string& programVersion);

}  // namespace record
}  // namespace kv
