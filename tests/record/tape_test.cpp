// The recording's file: records survive coding, and every kind of bad file
// is told apart and read as far as it is sound.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/record/tape_reader.h"
#include "platform/record/tape_writer.h"

namespace kv {
namespace record {
namespace {

std::vector<Record> SampleRecords() {
  std::vector<Record> rs;
  auto add = [&](Kind k, int64_t a = 0, int64_t b = 0) {
    Record r;
    r.kind = k;
    r.a = a;
    r.b = b;
    rs.push_back(r);
  };
  add(Kind::kClock, 1700000000000LL);
  add(Kind::kClock, 1700000000003LL);   // small step: in the tag
  add(Kind::kClock, 1699999999000LL);   // the clock set back
  add(Kind::kScreen, 1920, 1080);
  add(Kind::kCreate, 1);
  add(Kind::kCreate, 0);
  add(Kind::kOrigin, 200, 249);
  add(Kind::kOrigin, 200, 249);         // unchanged
  add(Kind::kPointer, 700, 549);
  add(Kind::kPointer, -3, kMaxScreenCoordinate);  // off screen, as far as a screen goes
  add(Kind::kGrab, 0);
  add(Kind::kGrab, 1);
  add(Kind::kNoEvent);
  add(Kind::kPresent);
  Record check;
  check.kind = Kind::kCheckpoint;
  check.a = 123456;
  check.hash = 0xFEDCBA9876543210ull;
  rs.push_back(check);
  Record ev;
  ev.kind = Kind::kEvent;
  ev.windowId = 3;
  ev.event.type = InputEvent::kKeyDown;
  ev.event.screenX = 640;
  ev.event.screenY = 480;
  ev.event.x = 440;
  ev.event.y = 231;
  ev.event.key = 0x44;
  ev.event.ch = L'd';
  ev.event.alt = true;
  ev.event.ctrl = true;
  rs.push_back(ev);
  ev.event = InputEvent{};
  ev.event.type = InputEvent::kButtonDown;
  ev.event.button = 3;
  ev.event.screenX = 10;
  ev.event.screenY = 20;
  ev.event.shift = true;
  ev.windowId = 0;
  rs.push_back(ev);
  ev.event = InputEvent{};
  ev.event.type = InputEvent::kResized;  // the last type, with a size of its own
  ev.event.width = 1300;
  ev.event.height = 8192;
  ev.windowId = 1;
  rs.push_back(ev);
  return rs;
}

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool Same(const Record& x, const Record& y) {
  if (x.kind != y.kind || x.a != y.a || x.b != y.b || x.hash != y.hash) return false;
  if (x.kind != Kind::kEvent) return true;
  const InputEvent &e = x.event, &f = y.event;
  return x.windowId == y.windowId && e.type == f.type && e.x == f.x && e.y == f.y &&
         e.screenX == f.screenX && e.screenY == f.screenY && e.button == f.button &&
         e.key == f.key && e.ch == f.ch && e.alt == f.alt && e.shift == f.shift &&
         e.ctrl == f.ctrl && e.width == f.width && e.height == f.height;
}

// A whole file: header, the records in blocks of `perBlock`, the trailer.
std::string FileOf(const std::vector<Record>& rs, size_t perBlock, const Trailer& t) {
  std::string file = PackHeader("Kelvara test");
  RecordCodec codec;
  std::string raw;
  for (size_t i = 0; i < rs.size(); ++i) {
    codec.Encode(rs[i], raw);
    if ((i + 1) % perBlock == 0 || i + 1 == rs.size()) {
      file += PackBlock(raw);
      raw.clear();
    }
  }
  return file + PackTrailer(t);
}

struct ReadBack {
  bool opened = false;
  std::string error;
  std::vector<Record> records;
  TapeReader::End end = TapeReader::End::kNone;
  std::string problem;
  Trailer trailer;
};

ReadBack Read(const std::string& bytes) {
  ReadBack out;
  TapeReader reader;
  out.opened = reader.OpenBytes(std::vector<uint8_t>(bytes.begin(), bytes.end()), &out.error);
  if (!out.opened) return out;
  Record r;
  while (reader.Next(&r)) out.records.push_back(r);
  out.end = reader.end();
  out.problem = reader.problem();
  out.trailer = reader.trailer();
  return out;
}

TEST(Tape, RecordsAndTrailerComeBackAsWritten) {
  const std::vector<Record> rs = SampleRecords();
  const Trailer t{225000, 3, 1, 0x0123456789ABCDEFull};
  for (size_t perBlock : {size_t{1}, size_t{5}, rs.size()}) {
    ReadBack back = Read(FileOf(rs, perBlock, t));
    ASSERT_TRUE(back.opened) << back.error;
    ASSERT_EQ(back.records.size(), rs.size());
    for (size_t i = 0; i < rs.size(); ++i) EXPECT_TRUE(Same(back.records[i], rs[i])) << i;
    EXPECT_EQ(back.end, TapeReader::End::kComplete);
    EXPECT_EQ(back.trailer.frames, 225000u);
    EXPECT_EQ(back.trailer.leftScore, 3);
    EXPECT_EQ(back.trailer.rightScore, 1);
    EXPECT_EQ(back.trailer.lastFrameHash, 0x0123456789ABCDEFull);
  }
}

TEST(Tape, WriterFileReadsBack) {
  const std::string path = std::string(KV_BUILD_DIR) + "/tape_writer_test.kvr";
  TapeWriter writer;
  std::string error;
  ASSERT_TRUE(writer.Open(path, "Kelvara 9.9", &error)) << error;
  const std::vector<Record> rs = SampleRecords();
  for (const Record& r : rs) writer.Add(r);
  writer.EndBlock();
  for (const Record& r : rs) writer.Add(r);
  writer.Close(Trailer{2, 0, 0, 7});
  TapeReader reader;
  ASSERT_TRUE(reader.Open(path, &error)) << error;
  EXPECT_EQ(reader.writerVersion(), "Kelvara 9.9");
  Record r;
  size_t n = 0;
  while (reader.Next(&r)) ++n;
  EXPECT_EQ(n, 2 * rs.size());
  EXPECT_EQ(reader.end(), TapeReader::End::kComplete);
  std::remove(path.c_str());
}

TEST(Tape, RecordsKeptBeforeTheFileExistsGoIntoItInOrder) {
  const std::string path = std::string(KV_BUILD_DIR) + "/tape_writer_kept_test.kvr";
  std::remove(path.c_str());
  const std::vector<Record> rs = SampleRecords();
  std::string error;
  {
    // Begun and closed without a file: nothing is made.
    TapeWriter writer;
    writer.Begin("Kelvara 9.9");
    for (const Record& r : rs) writer.Add(r);
    EXPECT_FALSE(writer.BlockDue());
    writer.Close(Trailer{1, 0, 0, 1});
    EXPECT_FALSE(std::fopen(path.c_str(), "rb"));
  }
  TapeWriter writer;
  writer.Begin("Kelvara 9.9");
  for (size_t i = 0; i < 3; ++i) writer.Add(rs[i]);
  ASSERT_TRUE(writer.Create(path, &error)) << error;
  for (size_t i = 3; i < rs.size(); ++i) writer.Add(rs[i]);
  writer.Close(Trailer{2, 0, 0, 7});
  TapeReader reader;
  ASSERT_TRUE(reader.Open(path, &error)) << error;
  std::vector<Record> back;
  Record r;
  while (reader.Next(&r)) back.push_back(r);
  ASSERT_EQ(back.size(), rs.size());
  for (size_t i = 0; i < rs.size(); ++i) EXPECT_TRUE(Same(back[i], rs[i])) << i;
  EXPECT_EQ(reader.end(), TapeReader::End::kComplete);
  std::remove(path.c_str());

  TapeWriter nowhere;
  nowhere.Begin("Kelvara 9.9");
  EXPECT_FALSE(nowhere.Create(std::string(KV_BUILD_DIR) + "/no/such/folder.kvr", &error));
  EXPECT_NE(error.find("cannot create it"), std::string::npos) << error;
}

TEST(Tape, BadHeadersAreRefusedWithTheirReason) {
  std::string error;
  TapeReader reader;
  EXPECT_FALSE(reader.Open(std::string(KV_BUILD_DIR) + "/no/such/file.kvr", &error));
  EXPECT_NE(error.find("cannot open"), std::string::npos) << error;

  EXPECT_FALSE(Read("").opened);
  EXPECT_EQ(Read("GIF89a this is a picture").error, "not a recording");

  std::string newer = PackHeader("Kelvara 7.0");
  newer[8] = kFormatVersion + 1;
  ReadBack back = Read(newer);
  EXPECT_FALSE(back.opened);
  EXPECT_NE(back.error.find("newer version"), std::string::npos) << back.error;

  EXPECT_FALSE(Read(PackHeader("x").substr(0, 8)).opened);  // magic, nothing more
}

TEST(Tape, TruncatedFileReadsUpToItsLastWholeBlock) {
  const std::vector<Record> rs = SampleRecords();
  const std::string whole = FileOf(rs, 4, Trailer{1, 0, 0, 0});
  const size_t header = PackHeader("Kelvara test").size();
  size_t lastCount = 0;
  // Every cut between the header and the trailer's end.
  for (size_t cut = header; cut < whole.size(); ++cut) {
    ReadBack back = Read(whole.substr(0, cut));
    ASSERT_TRUE(back.opened);
    EXPECT_EQ(back.end, TapeReader::End::kTruncated) << cut;
    EXPECT_NE(back.problem.find("truncated"), std::string::npos);
    EXPECT_EQ(back.records.size() % 4 == 0 || back.records.size() == rs.size(), true);
    EXPECT_GE(back.records.size(), lastCount);  // never fewer for a longer file
    lastCount = back.records.size();
    for (size_t i = 0; i < back.records.size(); ++i) EXPECT_TRUE(Same(back.records[i], rs[i]));
  }
  EXPECT_EQ(lastCount, rs.size());
}

TEST(Tape, DamagedBlockStopsTheReadThere) {
  const std::vector<Record> rs = SampleRecords();
  const std::string whole = FileOf(rs, 4, Trailer{1, 0, 0, 0});
  const size_t header = PackHeader("Kelvara test").size();
  // Any single flipped byte past the header is found: the block before it is
  // read, nothing of the damaged one is.
  for (size_t at = header; at < whole.size(); ++at) {
    std::string bad = whole;
    bad[at] = static_cast<char>(bad[at] ^ 0x20);
    ReadBack back = Read(bad);
    ASSERT_TRUE(back.opened);
    EXPECT_NE(back.end, TapeReader::End::kComplete) << "flip at " << at;
    EXPECT_LE(back.records.size(), rs.size());
    for (size_t i = 0; i < back.records.size(); ++i) EXPECT_TRUE(Same(back.records[i], rs[i]));
  }
  std::string flipped = whole;
  flipped[header + 8] = static_cast<char>(flipped[header + 8] ^ 1);  // inside the first payload
  ReadBack back = Read(flipped);
  EXPECT_EQ(back.end, TapeReader::End::kCorrupt);
  EXPECT_NE(back.problem.find("corrupted block at byte"), std::string::npos) << back.problem;
  EXPECT_TRUE(back.records.empty());
}

// A size no surface can have is a corrupted record, not a window the replay
// would try to make.
TEST(Tape, AResizeToASizeNoSurfaceCanHaveIsCorrupt) {
  for (int width : {0, -5, 8193}) {
    Record r;
    r.kind = Kind::kEvent;
    r.windowId = 1;
    r.event.type = InputEvent::kResized;
    r.event.width = width;
    r.event.height = 600;
    ReadBack back = Read(FileOf({r}, 1, Trailer{1, 0, 0, 0}));
    ASSERT_TRUE(back.opened);
    EXPECT_EQ(back.end, TapeReader::End::kCorrupt) << width;
    EXPECT_NE(back.problem.find("corrupted record"), std::string::npos) << back.problem;
    EXPECT_TRUE(back.records.empty());
  }
}

// A source that gives `prefix` and then `filler` bytes for ever, counting
// what it was asked for.
struct EndlessSource {
  std::string prefix;
  uint8_t filler = 0;
  uint64_t given = 0;
  static long Read(void* context, uint8_t* to, size_t size) {
    auto* self = static_cast<EndlessSource*>(context);
    for (size_t i = 0; i < size; ++i, ++self->given) {
      to[i] = self->given < self->prefix.size() ? static_cast<uint8_t>(self->prefix[self->given])
                                                : self->filler;
    }
    return static_cast<long>(size);
  }
};

ByteSource SourceOf(EndlessSource* endless) {
  ByteSource source;
  source.read = &EndlessSource::Read;
  source.context = endless;
  return source;
}

// The reader asks its source only for what the next section needs: an input
// without end costs a section's worth of bytes at most.
TEST(Tape, AnEndlessInputIsReadOnlyAsFarAsItsFirstBadSection) {
  std::string error;
  {
    EndlessSource zeros;
    TapeReader reader;
    EXPECT_FALSE(reader.OpenSource(SourceOf(&zeros), &error));
    EXPECT_EQ(error, "not a recording");
    EXPECT_LE(zeros.given, 1024u);
  }
  {
    EndlessSource afterHeader;
    afterHeader.prefix = PackHeader("Kelvara test");
    TapeReader reader;
    ASSERT_TRUE(reader.OpenSource(SourceOf(&afterHeader), &error)) << error;
    Record r;
    EXPECT_FALSE(reader.Next(&r));
    EXPECT_EQ(reader.end(), TapeReader::End::kCorrupt);
    EXPECT_NE(reader.problem().find("not a block"), std::string::npos) << reader.problem();
    EXPECT_LE(afterHeader.given, 64u * 1024);
  }
  {
    // A block that claims the largest packed size, then bytes for ever: its
    // packed bytes are read, fail their checksum, and nothing more is.
    EndlessSource bigBlock;
    bigBlock.prefix = PackHeader("Kelvara test");
    bigBlock.prefix.push_back('B');
    PutVarint(bigBlock.prefix, kMaxBlockBytes);
    PutVarint(bigBlock.prefix, kMaxBlockBytes);
    bigBlock.filler = 0xA5;
    TapeReader reader;
    ASSERT_TRUE(reader.OpenSource(SourceOf(&bigBlock), &error)) << error;
    Record r;
    EXPECT_FALSE(reader.Next(&r));
    EXPECT_EQ(reader.end(), TapeReader::End::kCorrupt);
    EXPECT_NE(reader.problem().find("checksum"), std::string::npos) << reader.problem();
    EXPECT_LE(bigBlock.given, uint64_t{kMaxBlockBytes} + 128 * 1024);
  }
}

// A source that fails is said as such, with how far it was read.
TEST(Tape, ASourceThatFailsIsTold) {
  struct Failing {
    std::string bytes;
    static long Read(void* context, uint8_t* to, size_t size) {
      auto* self = static_cast<Failing*>(context);
      if (self->bytes.empty()) return -1;
      const size_t n = std::min(size, self->bytes.size());
      std::memcpy(to, self->bytes.data(), n);
      self->bytes.erase(0, n);
      return static_cast<long>(n);
    }
    static std::string Error(void*) { return "the disk is on fire"; }
  };
  const std::vector<Record> rs = SampleRecords();
  const std::string whole = FileOf(rs, 4, Trailer{1, 0, 0, 0});
  Failing failing{whole.substr(0, whole.size() / 2)};
  ByteSource source;
  source.read = &Failing::Read;
  source.error = &Failing::Error;
  source.context = &failing;
  TapeReader reader;
  std::string error;
  ASSERT_TRUE(reader.OpenSource(source, &error)) << error;
  Record r;
  size_t n = 0;
  while (reader.Next(&r)) ++n;
  EXPECT_GT(n, 0u);
  EXPECT_EQ(reader.end(), TapeReader::End::kTruncated);
  EXPECT_NE(reader.problem().find("cannot read it past byte"), std::string::npos) << reader.problem();
  EXPECT_NE(reader.problem().find("the disk is on fire"), std::string::npos) << reader.problem();

  Failing nothing{""};
  source.context = &nothing;
  TapeReader refused;
  EXPECT_FALSE(refused.OpenSource(source, &error));
  EXPECT_EQ(error, "cannot read it: the disk is on fire");
}

// The first format (no command line, no counter, an end record without how
// the program ended) is still read.
TEST(Tape, AFileOfTheFirstFormatIsStillRead) {
  std::vector<Record> rs = SampleRecords();
  std::string file = PackHeaderVersion1("Kelvara 1.0");
  RecordCodec codec;
  std::string raw;
  for (const Record& r : rs) codec.Encode(r, raw);
  file += PackBlock(raw) + PackTrailerVersion1(Trailer{7, 1, 2, 99});
  ReadBack back = Read(file);
  ASSERT_TRUE(back.opened) << back.error;
  EXPECT_EQ(back.records.size(), rs.size());
  EXPECT_EQ(back.end, TapeReader::End::kComplete) << back.problem;
  EXPECT_EQ(back.trailer.frames, 7u);
  EXPECT_EQ(back.trailer.ending, Ending::kProgramEnded);
  TapeReader reader;
  std::string error;
  ASSERT_TRUE(reader.OpenBytes(std::vector<uint8_t>(file.begin(), file.end()), &error));
  EXPECT_EQ(reader.version(), 1);
  EXPECT_EQ(reader.commandLine(), nullptr);
  // The newer end record in a file of the first format is damage.
  back = Read(PackHeaderVersion1("Kelvara 1.0") + PackBlock(raw) + PackTrailer(Trailer{}));
  EXPECT_EQ(back.end, TapeReader::End::kCorrupt) << back.problem;
}

// What the second format adds: the command line, performance-counter
// readings, and how the program ended, each read back as written and each
// checked.
TEST(Tape, TheCommandLineTheCounterAndTheEndingComeBack) {
  std::string raw;
  RecordCodec codec;
  const int64_t readings[] = {123456789, 123456789, 123456800, 123456790, kMaxCounterUnits};
  for (int64_t reading : readings) {
    Record r;
    r.kind = Kind::kCounter;
    r.a = reading;
    codec.Encode(r, raw);
  }
  for (Ending ending : {Ending::kProgramEnded, Ending::kDisplayLost, Ending::kSignal}) {
    Trailer t{3, 0, 1, 5, ending, ending == Ending::kSignal ? 15 : 0};
    const std::string file = PackHeader("Kelvara 1.0", "--record \"a b.kvr\" --pace 500") +
                             PackBlock(raw) + PackTrailer(t);
    TapeReader reader;
    std::string error;
    ASSERT_TRUE(reader.OpenBytes(std::vector<uint8_t>(file.begin(), file.end()), &error)) << error;
    ASSERT_NE(reader.commandLine(), nullptr);
    EXPECT_EQ(*reader.commandLine(), "--record \"a b.kvr\" --pace 500");
    Record r;
    size_t i = 0;
    while (reader.Next(&r)) {
      ASSERT_LT(i, std::size(readings));
      EXPECT_EQ(r.kind, Kind::kCounter);
      EXPECT_EQ(r.a, readings[i++]);
    }
    EXPECT_EQ(i, std::size(readings));
    EXPECT_EQ(reader.end(), TapeReader::End::kComplete) << reader.problem();
    EXPECT_EQ(reader.trailer().ending, ending);
    EXPECT_EQ(reader.trailer().signal, t.signal);
  }
  // A counter past what nanoseconds can hold, an ending this program does
  // not know, and a signal ending without its signal are damage.
  Record beyond;
  beyond.kind = Kind::kCounter;
  beyond.a = kMaxCounterUnits + 1;
  std::string bad;
  RecordCodec fresh;
  fresh.Encode(beyond, bad);
  EXPECT_EQ(Read(PackHeader("x") + PackBlock(bad) + PackTrailer(Trailer{})).end,
            TapeReader::End::kCorrupt);
  Trailer unknown;
  unknown.ending = static_cast<Ending>(3);
  EXPECT_EQ(Read(PackHeader("x") + PackBlock(raw) + PackTrailer(unknown)).end,
            TapeReader::End::kCorrupt);
  Trailer silent;
  silent.ending = Ending::kSignal;
  EXPECT_EQ(Read(PackHeader("x") + PackBlock(raw) + PackTrailer(silent)).end,
            TapeReader::End::kCorrupt);
}

// The file is the writer's alone while it writes: a second writer is turned
// down, and nothing of the first one's file is touched by the attempt.
TEST(Tape, ASecondWriterOfTheSameFileIsTurnedDown) {
  const std::string path = std::string(KV_BUILD_DIR) + "/tape_writer_locked.kvr";
  std::remove(path.c_str());
  std::string error;
  TapeWriter first;
  ASSERT_TRUE(first.Open(path, "Kelvara 1.0", &error)) << error;
  EXPECT_TRUE(RecordedElsewhere(path));
  for (const Record& r : SampleRecords()) first.Add(r);
  first.EndBlock();
  TapeWriter second;
  EXPECT_FALSE(second.Open(path, "Kelvara 1.0", &error));
  EXPECT_EQ(error, "another program is recording into it");
  first.Close(Trailer{1, 0, 0, 0});
  EXPECT_FALSE(RecordedElsewhere(path));
  ReadBack back = Read(Slurp(path));
  EXPECT_EQ(back.end, TapeReader::End::kComplete) << back.problem;
  EXPECT_EQ(back.records.size(), SampleRecords().size());
  std::remove(path.c_str());
}

// A write that fails is said once; nothing is written after it, and a file
// that cannot grow keeps its whole sections and reads as cut short there.
TEST(Tape, AFailedWriteIsSaidOnceAndTheFileKeepsItsWholeBlocks) {
  std::string error;
  {
    TapeWriter full;
    testing::internal::CaptureStderr();
    ASSERT_TRUE(full.Open("/dev/full", "Kelvara 1.0", &error)) << error;
    for (int i = 0; i < 3; ++i) {
      for (const Record& r : SampleRecords()) full.Add(r);
      full.EndBlock();
    }
    full.Close(Trailer{});
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_FALSE(full.Healthy());
    EXPECT_EQ(full.failure(), std::strerror(ENOSPC));
    EXPECT_EQ(said.find("/dev/full: cannot write the recording: "), said.rfind("/dev/full: "))
        << said;
    EXPECT_NE(said.find("/dev/full: cannot write the recording: "), std::string::npos) << said;
  }

  const std::string path = std::string(KV_BUILD_DIR) + "/tape_writer_limited.kvr";
  std::remove(path.c_str());
  // A file-size limit stands in for a disk that fills: the write past it
  // fails with EFBIG (SIGXFSZ, ignored here, would end the test otherwise).
  struct sigaction ignore {}, before {};
  ignore.sa_handler = SIG_IGN;
  sigaction(SIGXFSZ, &ignore, &before);
  rlimit limit{}, saved{};
  getrlimit(RLIMIT_FSIZE, &saved);
  limit = saved;
  limit.rlim_cur = 700;
  setrlimit(RLIMIT_FSIZE, &limit);
  TapeWriter writer;
  testing::internal::CaptureStderr();
  const bool made = writer.Open(path, "Kelvara 1.0", &error);
  size_t added = 0;
  for (int i = 0; i < 40 && writer.Healthy(); ++i) {
    for (Record r : SampleRecords()) {
      r.a += i;  // blocks that do not pack to nothing
      writer.Add(r);
      ++added;
    }
    writer.EndBlock();
  }
  writer.Close(Trailer{});
  setrlimit(RLIMIT_FSIZE, &saved);
  sigaction(SIGXFSZ, &before, nullptr);
  const std::string said = testing::internal::GetCapturedStderr();
  ASSERT_TRUE(made) << error;
  EXPECT_FALSE(writer.Healthy());
  EXPECT_EQ(writer.failure(), std::strerror(EFBIG));
  EXPECT_NE(said.find("cannot write the recording"), std::string::npos) << said;
  const std::string kept = Slurp(path);
  EXPECT_LE(kept.size(), 700u);
  EXPECT_EQ(kept.size(), writer.BytesWritten());
  ReadBack back = Read(kept);
  EXPECT_EQ(back.end, TapeReader::End::kTruncated);
  EXPECT_EQ(back.problem, "truncated: the recording stops without its end record");
  EXPECT_GT(back.records.size(), 0u);
  EXPECT_LT(back.records.size(), added);
  EXPECT_EQ(back.records.size() % SampleRecords().size(), 0u);
  std::remove(path.c_str());
}

}  // namespace
}  // namespace record
}  // namespace kv
