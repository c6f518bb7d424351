#include "platform/record/session.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/record/recording_backend.h"
#include "platform/record/replay_backend.h"
#include "platform/record/score.h"
#include "platform/rt/cut_short.h"
#include "platform/rt/monotonic_clock.h"
#include "platform/rt/program.h"
#include "platform/rt/wall_clock.h"

namespace kv {
namespace record {

namespace {

struct Session {
  Mode mode = Mode::kOff;
  std::string path;
  rt::WallClockSourceFn previousClock = nullptr;
  rt::MonotonicSourceFn previousCounter = nullptr;
  // Recording
  TapeWriter writer;
  std::unique_ptr<RecordingBackend> recorder;
  // Replay
  TapeReader reader;
  std::unique_ptr<ReplayBackend> replay;
  std::string introduction;  // said when a replay in the window begins
  bool stopSaid = false;     // a replay in the window has said how playback stopped
  bool ending = false;       // the program has ended: its end says how the replay went
  Backend* display = nullptr;
  bool backendMade = false;
  bool pixelChecks = true;

  // Read whenever the program reads the clock, which it does in every frame
  // and for every message: the last reading is the score the program had
  // at its end (its match is gone by the time the session ends).
  Score score;
  void (*stopHandler)(int, const std::string&) = nullptr;
};

Session& S() {
  static Session session;
  return session;
}

// Every display opened for a session stays open for the run, as the
// windowing layer keeps one it opened itself: an ended session forgets its
// display, which is then still reachable here (never destroyed, so not at
// exit either, when the leak checker looks).
void KeepForTheRun(Backend* display) {
  static auto* kept = new std::vector<Backend*>();
  if (display) kept->push_back(display);
}

// At every reading the recording takes: a stop signal caught since ends the
// recording here (through the hook the entry installs), and the program.
void Watch() {
  if (const int signal = rt::PendingStopSignal()) rt::EndBySignal(signal);
}

void AddReading(Kind kind, int64_t value) {
  Record r;
  r.kind = kind;
  r.a = value;
  S().writer.Add(r);
}

int64_t RecordingClock() {
  Watch();
  Session& s = S();
  const int64_t ms = s.previousClock ? s.previousClock() : rt::SystemWallClockMs();
  AddReading(Kind::kClock, ms);
  ReadScore(&s.score);
  return ms;
}

// The performance counter, in the steps a recording keeps (kCounterUnitNs).
int64_t RecordingCounter() {
  Watch();
  Session& s = S();
  const int64_t ns = s.previousCounter ? s.previousCounter() : rt::SystemMonotonicNs();
  const int64_t units = std::clamp<int64_t>(ns / kCounterUnitNs, 0, kMaxCounterUnits);
  AddReading(Kind::kCounter, units);
  return units * kCounterUnitNs;
}

// The score is read after the clock: where the recording ends at this
// reading, the replay says its outcome with the score the recording had.
int64_t ReplayClock() {
  Session& s = S();
  const int64_t ms = s.replay->ClockRead();
  ReadScore(&s.score);
  return ms;
}

int64_t ReplayCounter() { return S().replay->CounterRead(); }

void DefaultStop(int exitCode, const std::string& line) {
  std::printf("%s\n", line.c_str());
  std::fflush(stdout);
  std::fflush(stderr);
  // The game is mid-frame and cannot be asked to finish: leave here.
  std::_Exit(exitCode);
}

void OnReplayStop(void*) {
  Session& s = S();
  const Outcome o = StoppedOutcome(*s.replay, s.reader, s.score);
  if (s.replay->Live()) {
    if (s.ending) return;
    // In a window the person keeps the program: say why playback stopped,
    // once; the program's end then adds nothing.
    if (!o.line.empty()) std::printf("%s\n", o.line.c_str());
    if (s.replay->state() != ReplayBackend::State::kStopped || !s.replay->ClosedFirstWindow()) {
      std::printf("replay: playback over; the game is yours from here\n");
    }
    std::fflush(stdout);
    s.stopSaid = true;
    return;
  }
  (s.stopHandler ? s.stopHandler : DefaultStop)(o.exitCode, o.line);
}

// Whether `path` could be created or overwritten, found without touching
// it: the file itself is made only once the program has accepted its command
// line, but a name that can never be written is worth saying at once.
bool CouldMake(const std::string& path, std::string* error) {
  if (RecordedElsewhere(path)) {
    if (error) *error = "another program is recording into it";
    return false;
  }
  struct stat st;
  int problem = 0;
  if (stat(path.c_str(), &st) == 0) {
    if (S_ISDIR(st.st_mode)) {
      problem = EISDIR;
    } else if (access(path.c_str(), W_OK) != 0) {
      problem = errno;
    }
  } else if (errno != ENOENT) {
    problem = errno;
  } else {
    const size_t slash = path.find_last_of('/');
    const std::string folder =
        slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    if (access(folder.c_str(), W_OK | X_OK) != 0) problem = errno;
  }
  if (problem == 0) return true;
  if (error) *error = std::string("cannot create it: ") + std::strerror(problem);
  return false;
}

void Clear(Session& s) {
  rt::SetWallClockSource(s.previousClock);
  rt::SetMonotonicSource(s.previousCounter);
  s.recorder.reset();
  s.replay.reset();
  s.reader = TapeReader();
  s.introduction.clear();
  s.stopSaid = false;
  s.ending = false;
  s.mode = Mode::kOff;
  s.display = nullptr;
  s.backendMade = false;
  s.score = Score();
}

void InstallSources(rt::WallClockSourceFn clock, rt::MonotonicSourceFn counter) {
  Session& s = S();
  s.previousClock = rt::CurrentWallClockSource();
  s.previousCounter = rt::CurrentMonotonicSource();
  rt::SetWallClockSource(clock);
  rt::SetMonotonicSource(counter);
}

bool StartRecording(const SessionSettings& settings, std::string* error) {
  Session& s = S();
  if (!CouldMake(settings.path, error)) return false;
  // Readings are kept in memory until the program asks for its display,
  // which it does only after accepting its command line (SessionBackend).
  const rt::ProgramDescription& program = rt::Program();
  s.writer.Begin(std::string(program.title) + " " + program.version, settings.commandLine);
  s.mode = Mode::kRecord;
  s.path = settings.path;
  InstallSources(RecordingClock, RecordingCounter);
  // Ctrl+C, a logout or a kill ends the recording properly before the
  // program goes (Watch, CutSessionShort).
  rt::CatchStopSignals();
  return true;
}

// What a replay in the window says first. The frames are counted by a
// reader of its own; a pipe can be read only once, so for one the length
// shows only at its end.
std::string IntroductionOf(const std::string& path) {
  struct stat st;
  TapeReader again;
  if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || !again.Open(path, nullptr)) {
    return "replay: " + path;
  }
  return Introduction(path, again);
}

bool StartReplay(const std::string& path, bool verify, std::string* error) {
  Session& s = S();
  if (!s.reader.Open(path, error)) return false;
  s.mode = verify ? Mode::kReplayVerify : Mode::kReplayWindow;
  s.path = path;
  if (!verify) s.introduction = IntroductionOf(path);
  s.replay = std::make_unique<ReplayBackend>(&s.reader, nullptr);
  s.replay->SetOnStop(OnReplayStop, nullptr);
  s.replay->SetPixelChecks(s.pixelChecks);
  InstallSources(ReplayClock, ReplayCounter);
  return true;
}

}  // namespace

bool StartSession(const SessionSettings& settings, std::string* error) {
  Session& s = S();
  if (s.mode != Mode::kOff) Clear(s);
  switch (settings.mode) {
    case Mode::kOff:
      return true;
    case Mode::kRecord:
      return StartRecording(settings, error);
    case Mode::kReplayWindow:
    case Mode::kReplayVerify:
      return StartReplay(settings.path, settings.mode == Mode::kReplayVerify, error);
  }
  return true;
}

Mode CurrentMode() { return S().mode; }

void SetPixelChecks(bool on) { S().pixelChecks = on; }

void SetStopHandler(void (*handler)(int, const std::string&)) { S().stopHandler = handler; }

Backend* SessionBackend(Backend* (*openDisplay)()) {
  Session& s = S();
  if (s.mode == Mode::kOff) return openDisplay ? openDisplay() : nullptr;
  if (!s.backendMade) {
    s.backendMade = true;
    if (s.mode == Mode::kRecord) {
      s.display = openDisplay ? openDisplay() : nullptr;
      KeepForTheRun(s.display);
      // No display: nothing to record and no file, the program fails as it
      // would anyway.
      if (s.display) {
        std::string error;
        if (!s.writer.Create(s.path, &error)) {
          // Made impossible since the start (a folder removed): nothing has
          // been shown yet, so leave as a bad file would.
          rt::Say("%s: %s", s.path.c_str(), error.c_str());
          std::_Exit(kExitBadFile);
        }
        s.recorder = std::make_unique<RecordingBackend>(s.display, &s.writer);
        s.recorder->SetWatch(&Watch);
      }
    } else {
      Backend* live = nullptr;
      if (s.mode == Mode::kReplayWindow) {
        std::printf("%s\n", s.introduction.c_str());
        std::fflush(stdout);
        live = openDisplay ? openDisplay() : nullptr;
        KeepForTheRun(live);
        if (!live) rt::Say("no display; replaying without a window");
      }
      s.replay = std::make_unique<ReplayBackend>(&s.reader, live);
      s.replay->SetOnStop(OnReplayStop, nullptr);
      s.replay->SetPixelChecks(s.pixelChecks);
      s.display = live;
    }
  }
  if (s.recorder) return s.recorder.get();
  if (s.replay) return s.replay.get();
  return s.display;
}

Outcome ReplayOutcomeNow() {
  Session& s = S();
  if (!s.replay) return Outcome{};
  return StoppedOutcome(*s.replay, s.reader, s.score);
}

namespace {

// The end record as things stand.
Trailer TrailerNow(Session& s) {
  Trailer t;
  if (s.recorder) {
    t.frames = s.recorder->frames();
    t.lastFrameHash = s.recorder->LastFrameHash();
  }
  t.leftScore = s.score.left;
  t.rightScore = s.score.right;
  return t;
}

}  // namespace

const std::string* RecordedCommandLine() {
  Session& s = S();
  if (s.mode != Mode::kReplayWindow && s.mode != Mode::kReplayVerify) return nullptr;
  return s.reader.commandLine();
}

void CutSessionShort(int signal) {
  Session& s = S();
  if (s.mode != Mode::kRecord) return;
  if (!s.writer.IsOpen()) {
    s.writer.Close(Trailer());  // cut short before the file was made: none is
    return;
  }
  Trailer t = TrailerNow(s);
  t.ending = signal ? Ending::kSignal : Ending::kDisplayLost;
  t.signal = signal;
  s.writer.Close(t);
  if (s.writer.Healthy()) {
    rt::Say("%s: the recording is complete up to frame %llu, where %s", s.path.c_str(),
            static_cast<unsigned long long>(t.frames),
            signal ? ("the program was stopped by " + SignalName(signal)).c_str()
                   : "the display was lost");
  }
}

Outcome EndSession(int programExit) {
  Session& s = S();
  Outcome o;
  o.exitCode = programExit;
  if (!s.backendMade) {
    // The program stopped at its command line (refused, --help): nothing
    // was played, so there is no file to finish and no replay to judge.
    if (s.mode == Mode::kRecord) s.writer.Close(Trailer());
  } else if (s.mode == Mode::kRecord) {
    s.writer.Close(TrailerNow(s));
    // Said when it happened; the status says it again.
    if (!s.writer.Healthy() && o.exitCode == 0) o.exitCode = kExitRecordingFailed;
  } else if (s.replay) {
    s.ending = true;
    o = FinalOutcome(*s.replay, s.reader, s.score);
    if (s.stopSaid) o.line.clear();
  }
  Clear(s);
  return o;
}

}  // namespace record
}  // namespace kv
