// Writes a recording as the session goes: records gather in a block, and a
// block is compressed, checksummed and written to the file at the latest a
// second after it was begun, so a crash loses at most that second.
//
// The file is the recording's alone while it is written: the writer holds
// an exclusive lock on it, and a second program asked to record into it is
// turned down. A write that fails (a full disk) is said at once, and the
// file is left as it was after its last whole section, so it replays that
// far; nothing more is written to it.
#pragma once

#include <chrono>
#include <string>

#include "platform/record/record_codec.h"

namespace kv {
namespace record {

class TapeWriter {
 public:
  TapeWriter() = default;
  TapeWriter(const TapeWriter&) = delete;
  TapeWriter& operator=(const TapeWriter&) = delete;
  ~TapeWriter();

  // Begin() then Create(): false with a message when the file cannot be made.
  bool Open(const std::string& path, const std::string& programVersion, std::string* error,
            const std::string& commandLine = "");
  // Starts taking records before there is a file: they are kept in memory
  // until Create() makes the file, so a program that turns its command line
  // down leaves no file behind. `commandLine` is what the program was given.
  void Begin(const std::string& programVersion, const std::string& commandLine = "");
  // Creates (or takes over) the file and writes the header and what was
  // kept so far. False with a message when it cannot be made or another
  // program is recording into it.
  bool Create(const std::string& path, std::string* error);
  void Add(const Record& r);
  // True when the current block began a second ago or more (or is large).
  bool BlockDue() const;
  void EndBlock();
  // Ends the last block and writes the trailer; the file is then complete.
  void Close(const Trailer& trailer);
  bool IsOpen() const { return fd_ >= 0; }
  uint64_t BytesWritten() const { return written_; }
  // False once a write has failed: recording stops, play goes on.
  bool Healthy() const { return failure_.empty(); }
  const std::string& failure() const { return failure_; }

 private:
  void Write(const std::string& bytes);
  void Fail(const std::string& why);

  int fd_ = -1;
  std::string path_;
  bool begun_ = false;  // taking records, with or without a file yet
  std::string version_, commandLine_;
  RecordCodec codec_;
  std::string block_;
  std::chrono::steady_clock::time_point blockStart_{};
  uint64_t written_ = 0;   // bytes in the file, every one of a whole section
  uint64_t rawTotal_ = 0;  // records taken, in bytes before packing
  std::string failure_;
};

// Whether `path` is being recorded into by another program now (it holds
// the lock). Asks without changing the file.
bool RecordedElsewhere(const std::string& path);

// The section bytes of one block (tag, sizes, checksum, payload), and of
// the trailer: shared with the tests, which build damaged files from them.
std::string PackBlock(const std::string& raw);
std::string PackTrailer(const Trailer& trailer);
std::string PackHeader(const std::string& programVersion, const std::string& commandLine = "");
// A format 1 header, for the tests of reading older files.
std::string PackHeaderVersion1(const std::string& programVersion);
std::string PackTrailerVersion1(const Trailer& trailer);

}  // namespace record
}  // namespace kv
