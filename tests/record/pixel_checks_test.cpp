// A replay on a display that cannot draw the recording's pixels (the
// browser's typefaces) leaves the pixels out of its checks, and only them:
// the frames are still counted and compared, and its line says what it did.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/record/frame_hash.h"
#include "platform/record/record_codec.h"
#include "platform/record/replay_backend.h"
#include "platform/record/replay_report.h"
#include "platform/record/tape_writer.h"

namespace kv {
namespace record {
namespace {

// A window made and one frame shown, checked against a hash no frame of
// ours has; the trailer claims `frames` frames with that hash last.
TapeReader OneFrameWithAnotherPicture(uint64_t frames) {
  RecordCodec codec;
  std::string raw;
  Record made;
  made.kind = Kind::kCreate;
  made.a = 1;
  Record shown;
  shown.kind = Kind::kPresent;
  Record check;
  check.kind = Kind::kCheckpoint;
  check.a = 1;
  check.hash = 0x0123456789abcdefull;
  for (const Record& r : {made, shown, check}) codec.Encode(r, raw);
  Trailer trailer;
  trailer.frames = frames;
  trailer.lastFrameHash = check.hash;
  const std::string bytes = PackHeader("Tester 2.5") + PackBlock(raw) + PackTrailer(trailer);
  TapeReader reader;
  std::string error;
  EXPECT_TRUE(reader.OpenBytes(std::vector<uint8_t>(bytes.begin(), bytes.end()), &error)) << error;
  return reader;
}

Outcome Play(TapeReader* tape, bool pixelChecks) {
  ReplayBackend replay(tape, nullptr);
  replay.SetPixelChecks(pixelChecks);
  NativeWindowParams params;
  params.width = 4;
  params.height = 3;
  NativeWindow* w = replay.CreateWindow(params);
  EXPECT_NE(w, nullptr);
  replay.Present(w, 0, 0, 4, 3);
  EXPECT_NE(FrameHash(replay.Surface(w)), 0x0123456789abcdefull);
  return FinalOutcome(replay, *tape, Score{});
}

TEST(PixelChecks, OffTheFramesAndScoreAreComparedButNotThePixels) {
  TapeReader checked = OneFrameWithAnotherPicture(1);
  const Outcome differs = Play(&checked, true);
  EXPECT_EQ(differs.exitCode, 1);
  EXPECT_EQ(differs.line.rfind("replay: differs at frame 1: frame hash ", 0), 0u) << differs.line;

  TapeReader unchecked = OneFrameWithAnotherPicture(1);
  const Outcome matches = Play(&unchecked, false);
  EXPECT_EQ(matches.exitCode, 0);
  EXPECT_EQ(matches.line,
            "replay: 1 frames, score unknown, matches (the frames' pixels were not compared)");

  // The number of frames still counts.
  TapeReader moreFrames = OneFrameWithAnotherPicture(2);
  const Outcome fewer = Play(&moreFrames, false);
  EXPECT_EQ(fewer.exitCode, 1);
  EXPECT_EQ(fewer.line, "replay: differs at frame 1: 1 frames, recorded 2");
}

}  // namespace
}  // namespace record
}  // namespace kv
