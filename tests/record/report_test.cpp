// What a replay says before it starts and about the score.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/record/record_codec.h"
#include "platform/record/replay_report.h"
#include "platform/record/score.h"
#include "platform/record/tape_writer.h"

namespace kv {
namespace record {
namespace {

// Two frames of a recording, packed as one block.
std::string TwoFrames() {
  RecordCodec codec;
  std::string raw;
  for (Kind kind : {Kind::kClock, Kind::kPresent, Kind::kClock, Kind::kPresent}) {
    Record r;
    r.kind = kind;
    r.a = kind == Kind::kClock ? 1700000000000LL : 0;
    codec.Encode(r, raw);
  }
  return PackHeader("Tester 2.5") + PackBlock(raw);
}

TapeReader Opened(const std::string& bytes) {
  TapeReader reader;
  std::string error;
  EXPECT_TRUE(reader.OpenBytes(std::vector<uint8_t>(bytes.begin(), bytes.end()), &error)) << error;
  return reader;
}

TEST(Introduction, SaysTheFramesAndTheRecordedScore) {
  Trailer trailer;
  trailer.frames = 2;
  trailer.leftScore = 1;
  trailer.rightScore = 4;
  TapeReader reader = Opened(TwoFrames() + PackTrailer(trailer));
  EXPECT_EQ(Introduction("m.kvr", reader), "replay: m.kvr: 2 frames, recorded score 1-4");

  // Cut short by a signal or a lost display: said with the rest.
  trailer.ending = Ending::kSignal;
  trailer.signal = 15;
  TapeReader stopped = Opened(TwoFrames() + PackTrailer(trailer));
  EXPECT_EQ(Introduction("s.kvr", stopped),
            "replay: s.kvr: 2 frames, recorded score 1-4, then it was stopped by SIGTERM");
  trailer.ending = Ending::kDisplayLost;
  trailer.signal = 0;
  TapeReader lost = Opened(TwoFrames() + PackTrailer(trailer));
  EXPECT_EQ(Introduction("l.kvr", lost),
            "replay: l.kvr: 2 frames, recorded score 1-4, then its display was lost");

  // Cut short: the frames that are there, and why it stops.
  TapeReader cut = Opened(TwoFrames());
  const std::string introduction = Introduction("cut.kvr", cut);
  EXPECT_EQ(introduction.rfind("replay: cut.kvr: 2 frames, then the recording ends early: truncated",
                               0),
            0u)
      << introduction;
}

// Without a reader (or before it ever answers) the score is unknown, and is
// said so rather than as -1-(-1).
TEST(Score, IsUnknownUntilTheReaderAnswersAndKeptWhenItFallsSilent) {
  Score score;
  SetScoreReader(nullptr);
  ReadScore(&score);
  EXPECT_EQ(ScoreText(score), "score unknown");

  static bool answering = true;
  SetScoreReader([](int64_t* left, int64_t* right) {
    if (!answering) return false;
    *left = 2;
    *right = 0;
    return true;
  });
  ReadScore(&score);
  EXPECT_EQ(ScoreText(score), "score 2-0");
  answering = false;
  ReadScore(&score);
  EXPECT_EQ(ScoreText(score), "score 2-0");
  SetScoreReader(nullptr);
}

}  // namespace
}  // namespace record
}  // namespace kv
