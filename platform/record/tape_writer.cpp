#include "platform/record/tape_writer.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <cerrno>
#include <cstring>

#include "platform/rt/program.h"

namespace kv {
namespace record {

namespace {
// Past this many raw bytes a block ends early, so a reader's buffer stays small.
constexpr size_t kBlockTarget = 1u << 20;
static_assert(kBlockTarget < kMaxBlockBytes, "a reader must accept every block we write");

std::string HeaderStart(uint8_t version, const std::string& programVersion) {
  std::string out(kMagic, sizeof kMagic);
  out.push_back(static_cast<char>(version));
  const std::string text = programVersion.substr(0, kMaxVersionText);
  PutVarint(out, text.size());
  out += text;
  return out;
}

std::string TrailerOf(const std::string& fields) {
  const uLong crc =
      crc32(0L, reinterpret_cast<const Bytef*>(fields.data()), static_cast<uInt>(fields.size()));
  std::string out(1, static_cast<char>(kTrailerTag));
  out += fields;
  PutFixed(out, crc, 4);
  return out;
}

std::string TrailerFields(const Trailer& t) {
  std::string fields;
  PutVarint(fields, t.frames);
  PutSigned(fields, t.leftScore);
  PutSigned(fields, t.rightScore);
  PutFixed(fields, t.lastFrameHash, 8);
  return fields;
}

// Opened for writing without emptying it: an existing file is emptied only
// once the lock says no one else is recording into it.
int OpenUnemptied(const std::string& path, int* error) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) *error = errno;
  return fd;
}

bool IsRegular(int fd) {
  struct stat st;
  return fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
}

}  // namespace

std::string PackHeader(const std::string& programVersion, const std::string& commandLine) {
  std::string out = HeaderStart(kFormatVersion, programVersion);
  const std::string line = commandLine.substr(0, kMaxCommandLine);
  PutVarint(out, line.size());
  out += line;
  return out;
}

std::string PackHeaderVersion1(const std::string& programVersion) {
  return HeaderStart(1, programVersion);
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
  std::string fields = TrailerFields(t);
  PutVarint(fields, static_cast<uint64_t>(t.ending));
  PutVarint(fields, static_cast<uint64_t>(t.ending == Ending::kSignal ? t.signal : 0));
  return TrailerOf(fields);
}

std::string PackTrailerVersion1(const Trailer& t) { return TrailerOf(TrailerFields(t)); }

bool RecordedElsewhere(const std::string& path) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) return false;
  const bool held = flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
  ::close(fd);  // and with it our lock, if we got one
  return held;
}

TapeWriter::~TapeWriter() {
  if (fd_ >= 0) ::close(fd_);
}

bool TapeWriter::Open(const std::string& path, const std::string& programVersion,
                      std::string* error, const std::string& commandLine) {
  Begin(programVersion, commandLine);
  return Create(path, error);
}

void TapeWriter::Begin(const std::string& programVersion, const std::string& commandLine) {
  begun_ = true;
  version_ = programVersion;
  commandLine_ = commandLine;
  blockStart_ = std::chrono::steady_clock::now();
}

bool TapeWriter::Create(const std::string& path, std::string* error) {
  if (!begun_ || fd_ >= 0) return false;
  auto refuse = [&](const std::string& why) {
    begun_ = false;  // nothing more to keep
    block_.clear();
    if (error) *error = why;
    return false;
  };
  int problem = 0;
  const int fd = OpenUnemptied(path, &problem);
  if (fd < 0) return refuse(std::string("cannot create it: ") + std::strerror(problem));
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    const int why = errno;
    ::close(fd);
    if (why == EWOULDBLOCK) return refuse("another program is recording into it");
    // A file system without locks: record without one.
  }
  if (IsRegular(fd) && ftruncate(fd, 0) != 0) {
    const int why = errno;
    ::close(fd);
    return refuse(std::string("cannot empty it: ") + std::strerror(why));
  }
  fd_ = fd;
  path_ = path;
  Write(PackHeader(version_, commandLine_));
  // What was kept before the file existed goes out with the first block.
  if (block_.empty()) blockStart_ = std::chrono::steady_clock::now();
  return true;
}

void TapeWriter::Add(const Record& r) {
  if (!begun_ || !Healthy()) return;
  if (block_.empty()) blockStart_ = std::chrono::steady_clock::now();
  const size_t before = block_.size();
  codec_.Encode(r, block_);
  rawTotal_ += block_.size() - before;
  if (rawTotal_ > kMaxRecordingBytes) {
    block_.clear();
    Fail("it is as long as a recording may be (16 GiB of records)");
  }
}

bool TapeWriter::BlockDue() const {
  if (fd_ < 0 || block_.empty() || !Healthy()) return false;
  return block_.size() >= kBlockTarget ||
         std::chrono::steady_clock::now() - blockStart_ >= std::chrono::seconds(1);
}

void TapeWriter::EndBlock() {
  if (fd_ < 0 || block_.empty()) return;
  Write(PackBlock(block_));
  block_.clear();
}

void TapeWriter::Close(const Trailer& trailer) {
  begun_ = false;
  if (fd_ < 0) {
    block_.clear();  // the records kept for a file never made go nowhere
    return;
  }
  EndBlock();
  Write(PackTrailer(trailer));
  // Some file systems say only now that the data did not reach them.
  if (::close(fd_) != 0 && Healthy()) Fail(std::strerror(errno));
  fd_ = -1;
}

void TapeWriter::Write(const std::string& bytes) {
  if (fd_ < 0 || !Healthy()) return;
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      const int why = n < 0 ? errno : ENOSPC;
      // Cut back to the last whole section, so that the file reads (as cut
      // short) up to there rather than into half a block.
      if (IsRegular(fd_)) (void)!ftruncate(fd_, static_cast<off_t>(written_));
      Fail(std::strerror(why));
      return;
    }
    done += static_cast<size_t>(n);
  }
  written_ += bytes.size();
}

void TapeWriter::Fail(const std::string& why) {
  if (!Healthy()) return;
  failure_ = why;
  block_.clear();
  // Said once, when it happens; the program's exit status says it again.
  rt::Say("%s: cannot write the recording: %s; it keeps what was written before, and the game "
          "goes on",
          path_.c_str(), why.c_str());
}

}  // namespace record
}  // namespace kv
