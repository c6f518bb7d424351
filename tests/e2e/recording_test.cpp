// Recording the real program in a real X server, and what the file keeps
// when things go wrong: the program stopped by a signal, its display gone,
// a disk that fills, a second program asked to record into the same file,
// and a program that sits in a dialog without drawing a frame.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "game_session.h"

namespace {

using kv_e2e::Eventually;
using kv_e2e::GameSession;

std::string FileNamed(const std::string& name) {
  const std::string path = std::string(KV_BUILD_DIR) + "/e2e_recording_" + name + ".kvr";
  std::remove(path.c_str());
  return path;
}

long long SizeOf(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 ? static_cast<long long>(st.st_size) : -1;
}

size_t Count(const std::string& text, const std::string& what) {
  size_t n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

kv_e2e::CommandResult Verify(const std::string& path) {
  return kv_e2e::Run({kv_e2e::KelvaraPath(), "--replay", path, "--verify"},
                     {{"DISPLAY", std::nullopt}}, 300000);
}

// Starts play and moves the player about.
void Play(GameSession& s, int moves) {
  s.ClickClient(300, 300, 1);
  for (int i = 0; i < moves; ++i) {
    s.Xdotool({"mousemove_relative", "--", i % 2 ? "15" : "-15", i % 3 ? "7" : "-7"});
  }
}

// Opens the About box and waits until it is on the screen.
bool OpenAbout(GameSession& s) {
  s.Key("alt+h");
  s.Key("a");
  return Eventually(
      [&] {
        int named = 0;
        for (const kv_e2e::TopWindow& w : s.probe().MappedTopLevels()) {
          named += w.name == "Kelvara" && !w.overrideRedirect;
        }
        return named >= 2;
      },
      20000);
}

// Closes the main window: the program ends by itself, and its recording
// matches.
void CloseAndVerify(GameSession& s, const std::string& path) {
  s.probe().SendDeleteWindow(s.window());
  const std::optional<int> status = s.WaitExit(30000);
  ASSERT_TRUE(status.has_value());
  EXPECT_EQ(*status, 0) << s.game().Stderr();
  const kv_e2e::CommandResult replay = Verify(path);
  EXPECT_EQ(replay.exitCode, 0) << replay.out << replay.err;
  EXPECT_NE(replay.out.find(", matches"), std::string::npos) << replay.out;
}

// Ctrl+C in the middle of a dialog, a kill during play, a logout while
// paused: each time the recording gets its end, is complete up to there,
// and the program ends as the signal ends a program.
TEST(Recording, AStopSignalEndsTheRecordingProperlyAndThenTheProgram) {
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
    SCOPED_TRACE(signal);
    const std::string path = FileNamed("signal" + std::to_string(signal));
    GameSession s;
    ASSERT_TRUE(s.Start({"--record", path}, "")) << s.error();
    Play(s, 6);
    if (signal == SIGINT) ASSERT_TRUE(OpenAbout(s));
    if (signal == SIGHUP) s.Click(3);  // paused
    ASSERT_EQ(kill(s.game().pid(), signal), 0);
    const std::optional<int> status = s.WaitExit(30000);
    ASSERT_TRUE(status.has_value()) << "the program did not end: " << s.game().Stderr();
    EXPECT_EQ(*status, -signal) << s.game().Stderr();
    EXPECT_NE(s.game().Stderr().find("the recording is complete up to frame"), std::string::npos)
        << s.game().Stderr();

    const kv_e2e::CommandResult replay = Verify(path);
    EXPECT_EQ(replay.exitCode, 0) << replay.out << replay.err;
    EXPECT_NE(replay.out.find(", matches up to where it was stopped by SIG"), std::string::npos)
        << replay.out << replay.err;
  }
}

// A program that waits (a dialog open, no frame drawn) still writes its
// recording out at least once a second, so a crash loses that second only.
TEST(Recording, TheFileGrowsWhileTheProgramWaitsInADialog) {
  const std::string path = FileNamed("waiting");
  GameSession s;
  ASSERT_TRUE(s.Start({"--record", path}, "")) << s.error();
  Play(s, 4);
  s.Click(3);
  ASSERT_TRUE(OpenAbout(s));
  for (int growth = 0; growth < 2; ++growth) {
    const long long before = SizeOf(path);
    EXPECT_TRUE(Eventually([&] { return SizeOf(path) > before; }, 10000))
        << "the file stayed at " << before << " bytes with the About box open";
  }
  s.Key("Return");
  CloseAndVerify(s, path);
}

// Losing the X server is a failure: said, the recording ended properly
// first, status 1.
TEST(Recording, LosingTheDisplayEndsTheRecordingProperlyAndFails) {
  const std::string path = FileNamed("display_lost");
  GameSession s;
  ASSERT_TRUE(s.Start({"--record", path}, "")) << s.error();
  Play(s, 6);
  s.CloseProbe();
  s.server().Kill();
  const std::optional<int> status = s.WaitExit(30000);
  ASSERT_TRUE(status.has_value()) << "still running without its display";
  EXPECT_EQ(*status, 1) << s.game().Stderr();
  const std::string said = s.game().Stderr();
  EXPECT_NE(said.find("the connection to the X server"), std::string::npos) << said;
  EXPECT_NE(said.find("the recording is complete up to frame"), std::string::npos) << said;
  EXPECT_NE(said.find("where the display was lost"), std::string::npos) << said;

  const kv_e2e::CommandResult replay = Verify(path);
  EXPECT_EQ(replay.exitCode, 0) << replay.out << replay.err;
  EXPECT_NE(replay.out.find(", matches up to where its display was lost"), std::string::npos)
      << replay.out << replay.err;
}

// A write that fails is said at once, once; play goes on, and the status at
// the end is a failure.
TEST(Recording, AWriteThatFailsIsSaidAtOnceAndTheStatusSaysSo) {
  GameSession s;
  ASSERT_TRUE(s.Start({"--record", "/dev/full"}, "")) << s.error();
  Play(s, 4);
  EXPECT_TRUE(Eventually(
      [&] { return s.game().Stderr().find("cannot write the recording") != std::string::npos; },
      20000))
      << s.game().Stderr();
  EXPECT_TRUE(s.game().Running());
  Play(s, 4);
  s.probe().SendDeleteWindow(s.window());
  const std::optional<int> status = s.WaitExit(30000);
  ASSERT_TRUE(status.has_value());
  EXPECT_EQ(*status, 1) << s.game().Stderr();
  EXPECT_EQ(Count(s.game().Stderr(), "cannot write"), 1u) << s.game().Stderr();
  EXPECT_NE(s.game().Stderr().find("/dev/full: cannot write the recording: No space left"),
            std::string::npos)
      << s.game().Stderr();
}

// A file system that fills in the middle of a match (a file-size limit
// stands in for it: the program may not make the file larger than 2 KiB):
// the file keeps every whole block written before, and replays that far.
TEST(Recording, AFileThatCannotGrowKeepsItsWholeBlocks) {
  const std::string path = FileNamed("full");
  GameSession s;
  // Ignored, SIGXFSZ leaves the write to fail with EFBIG, as a full disk's
  // fails with ENOSPC; `ulimit -f` counts blocks of 512 bytes.
  s.SetLauncher({"sh", "-c", "trap '' XFSZ; ulimit -f 4; exec \"$0\" \"$@\""});
  ASSERT_TRUE(s.Start({"--record", path}, "")) << s.error();
  EXPECT_TRUE(Eventually(
      [&] {
        Play(s, 2);
        return s.game().Stderr().find("cannot write the recording") != std::string::npos;
      },
      60000, 10))
      << s.game().Stderr();
  s.probe().SendDeleteWindow(s.window());
  const std::optional<int> status = s.WaitExit(30000);
  ASSERT_TRUE(status.has_value());
  EXPECT_EQ(*status, 1) << s.game().Stderr();
  EXPECT_EQ(Count(s.game().Stderr(), "cannot write"), 1u) << s.game().Stderr();
  EXPECT_LE(SizeOf(path), 2048);

  const kv_e2e::CommandResult replay = Verify(path);
  EXPECT_EQ(replay.exitCode, 2) << replay.out << replay.err;
  // Cut at a section's end, not inside a block, and frames were kept.
  EXPECT_NE(replay.out.find("recording ends early: truncated: the recording stops without its "
                            "end record"),
            std::string::npos)
      << replay.out;
  EXPECT_EQ(replay.out.find("replay: 0 frames"), std::string::npos) << replay.out;
}

// The file is the first program's until it ends: a second one asked to
// record into it is turned down before it shows anything, and the first
// one's recording is whole.
TEST(Recording, ASecondProgramRecordingIntoTheSameFileIsTurnedDown) {
  const std::string path = FileNamed("shared");
  GameSession s;
  ASSERT_TRUE(s.Start({"--record", path}, "")) << s.error();
  const kv_e2e::CommandResult second =
      kv_e2e::Run({kv_e2e::KelvaraPath(), "--record", path}, s.server().Env(), 60000);
  EXPECT_EQ(second.exitCode, 2) << second.err;
  EXPECT_NE(second.err.find(path + ": another program is recording into it"), std::string::npos)
      << second.err;
  Play(s, 6);
  CloseAndVerify(s, path);
}

}  // namespace
