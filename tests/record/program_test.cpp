// The program's --replay --verify on the committed recordings and on bad
// ones made from them: 0 when a replay matches, 1 when it differs, 2 when
// the file is bad.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/record/tape_reader.h"
#include "platform/record/tape_writer.h"

namespace kv {
namespace record {
namespace {

const std::string kBuild = KV_BUILD_DIR;
const std::string kReplays = KV_SOURCE_DIR "/tests/replays";

struct ProgramRun {
  int status = -1;
  std::string out;
};

// The program with `arguments`, without a display; stdout and stderr together.
// `shellBefore` goes before it on the shell's line (a limit, a timeout).
ProgramRun RunProgram(const std::string& arguments, const std::string& shellBefore = "") {
  ProgramRun run;
  const std::string command =
      shellBefore + "env -u DISPLAY " + kBuild + "/kelvara " + arguments + " 2>&1";
  FILE* p = popen(command.c_str(), "r");
  if (!p) return run;
  char buffer[512];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, p)) > 0) run.out.append(buffer, n);
  const int status = pclose(p);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  return run;
}

ProgramRun Verify(const std::string& file) { return RunProgram("--replay '" + file + "' --verify"); }

bool Exists(const std::string& path) { return static_cast<bool>(std::ifstream(path)); }

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string Spit(const std::string& name, const std::string& bytes) {
  const std::string path = kBuild + "/" + name;
  std::ofstream(path, std::ios::binary) << bytes;
  return path;
}

// Every record of a recording, and its trailer.
struct Recording {
  std::string writer;
  std::string commandLine;  // as the recorded program was given it
  std::vector<Record> records;
  Trailer trailer;
};

Recording ReadRecording(const std::string& path) {
  Recording out;
  TapeReader reader;
  std::string error;
  EXPECT_TRUE(reader.Open(path, &error)) << path << ": " << error;
  Record r;
  while (reader.Next(&r)) out.records.push_back(r);
  EXPECT_EQ(reader.end(), TapeReader::End::kComplete) << path << ": " << reader.problem();
  out.writer = reader.writerVersion();
  if (reader.commandLine()) out.commandLine = *reader.commandLine();
  out.trailer = reader.trailer();
  return out;
}

std::string WriteRecording(const std::string& name, const Recording& recording) {
  const std::string path = kBuild + "/" + name;
  TapeWriter writer;
  std::string error;
  EXPECT_TRUE(writer.Open(path, recording.writer, &error, recording.commandLine)) << error;
  for (const Record& r : recording.records) writer.Add(r);
  writer.Close(recording.trailer);
  return path;
}

TEST(Replays, EveryCommittedRecordingVerifies) {
  int count = 0;
  for (const char* name : {"easy", "medium", "hard", "champion-full", "made-by-sanitizer-build"}) {
    const std::string path = kReplays + "/" + name + ".kvr";
    if (!std::ifstream(path)) continue;
    ++count;
    const ProgramRun run = Verify(path);
    EXPECT_EQ(run.status, 0) << name << ": " << run.out;
    EXPECT_NE(run.out.find(", matches"), std::string::npos) << run.out;
  }
  EXPECT_GE(count, 3);
}

TEST(Replays, BadFilesGetAClearErrorAndStatusTwo) {
  const std::string good = Slurp(kReplays + "/easy.kvr");
  ASSERT_GT(good.size(), 1000u);

  ProgramRun run = Verify(Spit("not_a_recording.kvr", "Kelvara is a football game\n"));
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.out.find(": not a recording"), std::string::npos) << run.out;

  std::string newer = good;
  newer[8] = 9;
  run = Verify(Spit("newer.kvr", newer));
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.out.find("newer version"), std::string::npos) << run.out;

  run = Verify(kBuild + "/no_such_recording.kvr");
  EXPECT_EQ(run.status, 2);

  // Cut short: replays what is there, then says so.
  run = Verify(Spit("truncated.kvr", good.substr(0, good.size() * 6 / 10)));
  EXPECT_EQ(run.status, 2) << run.out;
  EXPECT_NE(run.out.find("recording ends early: truncated"), std::string::npos) << run.out;
  EXPECT_EQ(run.out.find("replay: 0 frames"), std::string::npos) << run.out;

  std::string damaged = good;
  damaged[good.size() / 2] = static_cast<char>(damaged[good.size() / 2] ^ 0x10);
  run = Verify(Spit("damaged.kvr", damaged));
  EXPECT_EQ(run.status, 2) << run.out;
  EXPECT_NE(run.out.find("corrupted"), std::string::npos) << run.out;
}

// The recording starts before main (the clock is read during static
// initialisation), but its file is made only once the program has taken its
// command line: a refused one, or --help, leaves nothing behind, and an
// existing file of that name is left as it was.
TEST(Recording, ACommandLineTheProgramTurnsDownMakesNoFile) {
  const std::string path = kBuild + "/refused_command_line.kvr";
  std::remove(path.c_str());
  ProgramRun run = RunProgram("--record '" + path + "' --bogus");
  EXPECT_EQ(run.status, 2) << run.out;
  EXPECT_NE(run.out.find("unknown option '--bogus'"), std::string::npos) << run.out;
  EXPECT_FALSE(Exists(path));

  run = RunProgram("--bogus --record='" + path + "'");
  EXPECT_EQ(run.status, 2) << run.out;
  EXPECT_FALSE(Exists(path));

  run = RunProgram("--record '" + path + "' --pace 3");
  EXPECT_EQ(run.status, 2) << run.out;
  EXPECT_FALSE(Exists(path));

  for (const char* option : {"--help", "--version"}) {
    run = RunProgram(std::string("--record '") + path + "' " + option);
    EXPECT_EQ(run.status, 0) << option << ": " << run.out;
    EXPECT_FALSE(Exists(path)) << option;
  }

  Spit("refused_command_line.kvr", "an earlier match");
  run = RunProgram("--record '" + path + "' --bogus");
  EXPECT_EQ(run.status, 2) << run.out;
  EXPECT_EQ(Slurp(path), "an earlier match");
  std::remove(path.c_str());

  // A name that can never be written is still said before anything runs.
  run = RunProgram("--record '" + kBuild + "/no/such/folder/x.kvr'");
  EXPECT_EQ(run.status, 2) << run.out;
  EXPECT_NE(run.out.find("cannot create it"), std::string::npos) << run.out;
}

// The file is read a block at a time and its header checked from its first
// bytes: an endless or huge input is turned down at once. The program runs
// under an address-space limit (in the plain build: the sanitizers reserve
// more than that) so that a reader that took everything fails here rather
// than take the machine.
TEST(Replays, EndlessOrHugeInputIsTurnedDownFromItsFirstBytes) {
#if defined(__SANITIZE_ADDRESS__)
  const std::string limit;
#else
  const std::string limit = "ulimit -v 1048576; ";
#endif
  auto verify = [&](const std::string& file) {
    return RunProgram("--replay '" + file + "' --verify", limit + "timeout 120 ");
  };
  for (const char* endless : {"/dev/zero", "/dev/urandom"}) {
    const ProgramRun run = verify(endless);
    EXPECT_EQ(run.status, 2) << endless << ": " << run.out;
    EXPECT_NE(run.out.find(": not a recording"), std::string::npos) << endless << ": " << run.out;
  }
  // A sound header and then 1.5 GB of nothing (a sparse file: no disk used).
  const std::string huge = kBuild + "/huge_recording.kvr";
  Spit("huge_recording.kvr", PackHeader("Kelvara 1.0"));
  ASSERT_EQ(truncate(huge.c_str(), 1536ll << 20), 0);
  const ProgramRun run = verify(huge);
  std::remove(huge.c_str());
  EXPECT_EQ(run.status, 2) << run.out;
  EXPECT_NE(run.out.find("corrupted recording at byte"), std::string::npos) << run.out;
}

TEST(Replays, ACommandLineTheProgramTurnsDownReplaysNothing) {
  for (const char* extra : {"--bogus", "--verify --pace 3", "--verify --record x.kvr"}) {
    const ProgramRun run = RunProgram("--replay '" + kReplays + "/easy.kvr' " + extra);
    EXPECT_EQ(run.status, 2) << extra << ": " << run.out;
    EXPECT_NE(run.out.find("Try 'kelvara --help'"), std::string::npos) << run.out;
    // No replay line: "replay: N frames, ..." or "replay: differs ...".
    EXPECT_EQ(run.out.find("\nreplay: "), std::string::npos) << extra << ": " << run.out;
    EXPECT_NE(run.out.rfind("replay: ", 0), 0u) << extra << ": " << run.out;
  }
}

// The session starts before main from the arguments as the program's own
// parser reads them: what the parser turns down or answers by itself never
// gets as far as the file.
TEST(Replays, TheFileIsReadOnlyForACommandLineTheParserAccepts) {
  const std::string missing = kBuild + "/no_such_recording.kvr";
  ProgramRun run = RunProgram("--replay='" + missing + "' --version");
  EXPECT_EQ(run.status, 0) << run.out;
  EXPECT_EQ(run.out, "Kelvara " + std::string(KV_VERSION) + "\n");

  run = RunProgram("-h --replay '" + missing + "'");
  EXPECT_EQ(run.status, 0) << run.out;
  EXPECT_NE(run.out.find("Usage: kelvara"), std::string::npos) << run.out;

  run = RunProgram("--replay '" + missing + "' --bogus");
  EXPECT_EQ(run.status, 2) << run.out;
  EXPECT_EQ(run.out,
            "kelvara: unknown option '--bogus'\nTry 'kelvara --help' for more information.\n");

  // Accepted, the line reaches the file, which is then said to be missing.
  run = RunProgram("--replay '" + missing + "' --verify");
  EXPECT_EQ(run.status, 2) << run.out;
  EXPECT_EQ(run.out.rfind("kelvara: " + missing + ": cannot open it", 0), 0u) << run.out;
}

TEST(Replays, OneCursorReadingMovedByOnePixelNoLongerMatches) {
  // A paced recording: its rewrite keeps the command line it was made with.
  const Recording original = ReadRecording(kReplays + "/easy.kvr");
  Recording moved = original;
  // The player follows the cursor's place, not its moves, so a reading off by
  // a pixel shows only in the frame that read it: take the reading of a
  // checked frame during play (after the first left click).
  bool clicked = false;
  Record* reading = nullptr;
  bool changed = false;
  for (Record& each : moved.records) {
    if (each.kind == Kind::kEvent && each.event.type == InputEvent::kButtonDown &&
        each.event.button == 1) {
      clicked = true;
    }
    if (clicked && each.kind == Kind::kPointer) reading = &each;
    if (clicked && each.kind == Kind::kCheckpoint && reading) {
      reading->a += 1;
      changed = true;
      break;
    }
  }
  ASSERT_TRUE(changed);
  const ProgramRun run = Verify(WriteRecording("one_pixel.kvr", moved));
  EXPECT_EQ(run.status, 1) << run.out;
  EXPECT_NE(run.out.find("differs at frame"), std::string::npos) << run.out;

  // The same records unchanged still match: the rewrite itself is faithful.
  const ProgramRun same = Verify(WriteRecording("one_pixel_unchanged.kvr", original));
  EXPECT_EQ(same.status, 0) << same.out;
}

// The kinds are checked in order: "no input" in place of anything the
// program asks for other than input is a difference, never read as a zero.
TEST(Replays, NoInputInPlaceOfAnotherReadingDiffers) {
  const Recording original = ReadRecording(kReplays + "/made-by-sanitizer-build.kvr");
  // Rewritten unchanged it matches: what differs below is the substitution.
  const ProgramRun same = Verify(WriteRecording("no_input_unchanged.kvr", original));
  ASSERT_EQ(same.status, 0) << same.out;
  for (Kind kind : {Kind::kClock, Kind::kPointer, Kind::kScreen, Kind::kGrab, Kind::kOrigin,
                    Kind::kCreate, Kind::kPresent}) {
    Recording changed = original;
    bool replaced = false;
    for (Record& r : changed.records) {
      if (r.kind == kind) {
        r = Record{};
        r.kind = Kind::kNoEvent;
        replaced = true;
        break;
      }
    }
    ASSERT_TRUE(replaced) << KindName(kind);
    const ProgramRun run = Verify(WriteRecording("no_input_for_another.kvr", changed));
    EXPECT_TRUE(run.status == 1 || run.status == 2) << KindName(kind) << ": " << run.out;
    EXPECT_EQ(run.out.find(", matches"), std::string::npos) << KindName(kind) << ": " << run.out;
  }
}

// A copy of `original` with the first record of `kind` after the first
// left click changed by `change`.
Recording Changed(const Recording& original, Kind kind, void (*change)(Record*)) {
  Recording changed = original;
  bool clicked = false;
  for (Record& r : changed.records) {
    if (r.kind == Kind::kEvent && r.event.type == InputEvent::kButtonDown && r.event.button == 1) {
      clicked = true;
    }
    if (clicked && r.kind == kind) {
      change(&r);
      return changed;
    }
  }
  ADD_FAILURE() << "no " << KindName(kind) << " after a click";
  return changed;
}

// Coordinates no display can report are a corrupted record, whatever the
// windowing layer would make of them; those at the edge of what a display
// can report replay without harm (the sanitizer build aborts on any
// overflow on their way).
TEST(Replays, CoordinatesNoDisplayCanReportAreCorrupt) {
  const Recording original = ReadRecording(kReplays + "/made-by-sanitizer-build.kvr");
  struct Case {
    const char* what;
    Kind kind;
    void (*change)(Record*);
  };
  const Case beyond[] = {
      {"pointer", Kind::kPointer, [](Record* r) { r->a = r->b = INT32_MAX; }},
      {"window place", Kind::kOrigin, [](Record* r) { r->a = INT32_MIN, r->b = INT32_MAX; }},
      {"screen", Kind::kScreen, [](Record* r) { r->a = r->b = -1; }},
      {"event", Kind::kEvent,
       [](Record* r) { r->event.screenX = r->event.x = INT32_MIN, r->event.y = INT32_MAX; }},
  };
  for (const Case& c : beyond) {
    const ProgramRun run = Verify(WriteRecording("beyond_the_screen.kvr", Changed(original, c.kind, c.change)));
    EXPECT_EQ(run.status, 2) << c.what << ": " << run.out;
    EXPECT_NE(run.out.find("corrupted record"), std::string::npos) << c.what << ": " << run.out;
  }
  const Case edge[] = {
      {"pointer", Kind::kPointer,
       [](Record* r) { r->a = kMaxScreenCoordinate, r->b = -kMaxScreenCoordinate; }},
      {"window place", Kind::kOrigin,
       [](Record* r) { r->a = -kMaxScreenCoordinate, r->b = kMaxScreenCoordinate; }},
      {"screen", Kind::kScreen, [](Record* r) { r->a = r->b = kMaxScreenCoordinate; }},
      {"event", Kind::kEvent, [](Record* r) {
         r->event.screenX = -kMaxScreenCoordinate, r->event.screenY = kMaxScreenCoordinate;
         r->event.x = kMaxScreenCoordinate, r->event.y = -kMaxScreenCoordinate;
       }},
  };
  for (const Case& c : edge) {
    const ProgramRun run = Verify(WriteRecording("edge_of_the_screen.kvr", Changed(original, c.kind, c.change)));
    EXPECT_TRUE(run.status == 0 || run.status == 1) << c.what << ": " << run.out;
    EXPECT_NE(run.out.find("replay: "), std::string::npos) << c.what << ": " << run.out;
  }
}

}  // namespace
}  // namespace record
}  // namespace kv
