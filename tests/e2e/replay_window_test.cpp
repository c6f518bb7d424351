// Playback in the real window: a recording shown with --replay reaches, on
// the screen, the very frame the recording checked last; it stays alive
// across a step of the recorded clock; and a close box closes its own window.
#include <gtest/gtest.h>

#include <cstdio>
#include <optional>
#include <string>

#include "game_session.h"
#include "platform/record/frame_hash.h"
#include "platform/record/tape_reader.h"
#include "platform/record/tape_writer.h"

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
                       "171799 frames, recorded score 0-0\nreplay: stopped at frame ",
                       0),
            0u)
      << said;
  EXPECT_EQ(said.find("stopped at frame", said.find("stopped at frame") + 1), std::string::npos)
      << said;
  EXPECT_EQ(said.find("playback over"), std::string::npos) << said;
}

// A copy of tests/replays/easy.kvr in which the wall clock steps an hour
// forward (as an NTP correction or a person setting the clock does) while
// the About box is on the screen: at the first reading after the box was
// shown, and with `again` at every reading after that too.
std::string WithAClockStep(const std::string& name, bool again) {
  using namespace kv::record;
  TapeReader reader;
  std::string error;
  EXPECT_TRUE(reader.Open(KV_SOURCE_DIR "/tests/replays/easy.kvr", &error)) << error;
  const std::string path = std::string(KV_BUILD_DIR) + "/" + name;
  TapeWriter writer;
  // The command line too: the recording is a paced one.
  EXPECT_TRUE(writer.Open(path, reader.writerVersion(), &error,
                          reader.commandLine() ? *reader.commandLine() : ""))
      << error;
  // The fourth window made is the About box; it is on the screen once it
  // has been shown twice (painted, then shown and painted again).
  int made = 0, shownSince = 0, steps = 0;
  Record r;
  while (reader.Next(&r)) {
    if (r.kind == Kind::kCreate) ++made;
    if (made == 4 && r.kind == Kind::kPresent) ++shownSince;
    if (made >= 4 && shownSince >= 2 && r.kind == Kind::kClock && (again || steps == 0)) ++steps;
    if (r.kind == Kind::kClock) r.a += int64_t{3600000} * steps;
    writer.Add(r);
  }
  writer.Close(reader.trailer());
  EXPECT_GT(steps, 0);
  return path;
}

// Across a step of an hour the playback waits a few seconds at most, and
// the window stays alive: the recording plays to its end and says so.
TEST(ReplayInAWindow, AClockStepOfAnHourIsWaitedOutInSeconds) {
  const std::string stepped = WithAClockStep("replay_clock_step.kvr", false);
  GameSession s;
  ASSERT_TRUE(s.Start({"--replay", stepped}, "")) << s.error();
  const std::optional<int> status = s.WaitExit(120000);
  ASSERT_TRUE(status.has_value()) << "still waiting for the recorded hour; stdout: "
                                  << s.game().Stdout();
  EXPECT_EQ(*status, 0) << s.game().Stdout() << s.game().Stderr();
  EXPECT_NE(s.game().Stdout().find(", matches"), std::string::npos) << s.game().Stdout();
}

// The About box's close box during playback is the About box's, not the
// program's (and is heard while the playback waits out a clock step): the
// playback stops there, the game is the person's, and its About box takes
// the request as it does live (only OK closes it).
TEST(ReplayInAWindow, ADialogsCloseBoxIsHeardAndIsTheDialogsAlone) {
  const std::string stepped = WithAClockStep("replay_clock_steps.kvr", true);
  GameSession s;
  ASSERT_TRUE(s.Start({"--replay", stepped}, "")) << s.error();
  std::optional<kv_e2e::TopWindow> about;
  auto aboutBox = [&]() -> std::optional<kv_e2e::TopWindow> {
    for (const kv_e2e::TopWindow& w : s.probe().MappedTopLevels()) {
      if (w.name == "Kelvara" && w.id != s.window() && !w.overrideRedirect) return w;
    }
    return std::nullopt;
  };
  ASSERT_TRUE(Eventually([&] { return (about = aboutBox()).has_value(); }, 60000))
      << "the About box never showed; stdout: " << s.game().Stdout();
  s.probe().SendDeleteWindow(about->id);
  ASSERT_TRUE(Eventually(
      [&] { return s.game().Stdout().find("replay: stopped at frame") != std::string::npos; },
      20000))
      << "the close box was not heard; stdout: " << s.game().Stdout();
  EXPECT_NE(s.game().Stdout().find("the game is yours from here"), std::string::npos)
      << s.game().Stdout();
  EXPECT_TRUE(s.game().Running()) << s.game().Stdout();
  EXPECT_TRUE(aboutBox().has_value());
  s.Key("Return");  // OK
  EXPECT_TRUE(Eventually([&] { return !aboutBox().has_value(); }, 20000));
  EXPECT_TRUE(s.game().Running()) << s.game().Stdout();

  s.probe().SendDeleteWindow(s.window());
  const std::optional<int> status = s.WaitExit(20000);
  ASSERT_TRUE(status.has_value());
  EXPECT_EQ(*status, 0) << s.game().Stderr();
}

}  // namespace
