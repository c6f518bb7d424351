// Playback in the real window: a recording shown with --replay reaches, on
// the screen, the very frame the recording checked last.
#include <gtest/gtest.h>

#include <cstdio>
#include <optional>
#include <string>

#include "game_session.h"
#include "platform/record/frame_hash.h"
#include "platform/record/tape_reader.h"

namespace {

using kv_e2e::Eventually;
using kv_e2e::GameSession;

// Made by tests/record/record_cut_short.sh: a few seconds of play, paused,
// and the program killed while paused. Its last whole block ends on the
// paused picture, so when playback runs out that picture stays on the
// screen (the game, now the person's, is still paused) and can be read.
const std::string kCutShort = KV_SOURCE_DIR "/tests/e2e/replays/paused-cut-short.kvr";

struct LastCheck {
  uint64_t frame = 0, hash = 0;
};

LastCheck LastCheckOf(const std::string& path) {
  LastCheck last;
  kv::record::TapeReader reader;
  std::string error;
  if (!reader.Open(path, &error)) return last;
  kv::record::Record r;
  while (reader.Next(&r)) {
    if (r.kind == kv::record::Kind::kCheckpoint) last = {static_cast<uint64_t>(r.a), r.hash};
  }
  return last;
}

std::string Hex(uint64_t v) {
  char text[20];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(v));
  return text;
}

TEST(ReplayInAWindow, ShowsTheRecordingsLastFrameOnTheScreen) {
  const LastCheck last = LastCheckOf(kCutShort);
  ASSERT_GT(last.frame, 100u) << "no frame check in " << kCutShort;

  GameSession s;
  ASSERT_TRUE(s.Start({"--replay", kCutShort}, "")) << s.error();
  // Played at the recorded pace: a few seconds.
  ASSERT_TRUE(Eventually([&] { return s.game().Stdout().find("playback over") != std::string::npos; },
                         60000))
      << "playback never ended; stdout: " << s.game().Stdout() << "stderr: " << s.game().Stderr();
  // Standard output says what is replayed, then, in the words --verify
  // uses, the frame playback ended on and why.
  const std::string said = s.game().Stdout();
  EXPECT_EQ(said.rfind("replay: " + kCutShort + ": ", 0), 0u) << said;
  EXPECT_NE(said.find("\nreplay: " + std::to_string(last.frame) + " frames, score 0-0, frame " +
                      Hex(last.hash) + ", recording ends early: truncated"),
            std::string::npos)
      << said;
  EXPECT_NE(said.find("\nreplay: playback over; the game is yours from here\n"),
            std::string::npos)
      << said;

  // The window's pixels, read back from the X server, hashed as the
  // recording hashes a presented frame (the whole window surface).
  const kv_e2e::TopWindow& w = s.windowInfo();
  const kv_e2e::Image shown = s.probe().CaptureSettled(s.window(), w.width, w.height, 15000);
  ASSERT_FALSE(shown.pixels.empty()) << "the window never settled";
  kv::PixelSurface surface;
  surface.pixels = const_cast<uint32_t*>(shown.pixels.data());
  surface.width = shown.width;
  surface.height = shown.height;
  surface.stride = shown.width;
  const uint64_t hash = kv::record::FrameHash(surface);
  if (hash != last.hash) kv_e2e::WritePpm(shown, KV_BUILD_DIR "/replay_window_shown.ppm");
  EXPECT_EQ(Hex(hash), Hex(last.hash))
      << "the window shows another picture than the recording's frame " << last.frame
      << " (saved as replay_window_shown.ppm)";

  // The game is the person's now: it runs on.
  EXPECT_TRUE(s.game().Running());
}

// Live input is not the recording's; the close box is the one way out of a
// playback (see docs/recording.md for why File, Exit is not).
TEST(ReplayInAWindow, TheCloseBoxEndsPlayback) {
  // The 45-second match: still playing when the close request comes.
  GameSession s;
  ASSERT_TRUE(s.Start({"--replay", KV_SOURCE_DIR "/tests/replays/champion-full.kvr"}, ""))
      << s.error();
  s.probe().SendDeleteWindow(s.window());
  const std::optional<int> status = s.WaitExit(20000);
  ASSERT_TRUE(status.has_value()) << "the program did not end; stderr: " << s.game().Stderr();
  EXPECT_EQ(*status, 0) << s.game().Stderr();
  // What is shown, from the recording's end, and then how it ended, once.
  const std::string said = s.game().Stdout();
  EXPECT_EQ(said.rfind("replay: " KV_SOURCE_DIR "/tests/replays/champion-full.kvr: "
                       "108340 frames, recorded score 0-0\nreplay: stopped at frame ",
                       0),
            0u)
      << said;
  EXPECT_EQ(said.find("stopped at frame", said.find("stopped at frame") + 1), std::string::npos)
      << said;
  EXPECT_EQ(said.find("playback over"), std::string::npos) << said;
}

}  // namespace
