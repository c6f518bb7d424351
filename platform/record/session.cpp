#include "platform/record/session.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <fstream>
#include <memory>
#include <vector>

#include "platform/gdi/gdi_internal.h"
#include "platform/record/recording_backend.h"
#include "platform/record/replay_backend.h"
#include "platform/rt/wall_clock.h"

#ifndef KV_PROGRAM_VERSION
#define KV_PROGRAM_VERSION "unknown"
#endif

namespace kv {
namespace record {

namespace {

struct Session {
  Mode mode = Mode::kOff;
  std::string path;
  rt::WallClockSourceFn previousClock = nullptr;
  // Recording
  TapeWriter writer;
  std::unique_ptr<RecordingBackend> recorder;
  // Replay
  TapeReader reader;
  std::unique_ptr<ReplayBackend> replay;
  Backend* display = nullptr;
  bool backendMade = false;

  // The score lines as last drawn: the only place the platform sees them.
  int64_t leftScore = -1, rightScore = -1;
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

int64_t ReadThrough() {
  Session& s = S();
  return s.previousClock ? s.previousClock() : rt::SystemWallClockMs();
}

int64_t RecordingClock() {
  const int64_t ms = ReadThrough();
  Record r;
  r.kind = Kind::kClock;
  r.a = ms;
  S().writer.Add(r);
  return ms;
}

int64_t ReplayClock() { return S().replay->ClockRead(); }

bool ReadScore(const wchar_t* text, int length, const wchar_t* prefix, int64_t* score) {
  const size_t n = std::wcslen(prefix);
  if (length <= static_cast<int>(n) || std::wcsncmp(text, prefix, n) != 0) return false;
  int64_t value = 0;
  bool negative = false;
  size_t i = n;
  if (text[i] == L'-') negative = true, ++i;
  if (i >= static_cast<size_t>(length)) return false;
  for (; i < static_cast<size_t>(length); ++i) {
    if (text[i] < L'0' || text[i] > L'9' || value > 1000000000) return false;
    value = value * 10 + (text[i] - L'0');
  }
  *score = negative ? -value : value;
  return true;
}

void ObserveText(const wchar_t* text, int length) {
  if (length < 20 || (text[0] != L'L' && text[0] != L'R')) return;  // cheap for other text
  Session& s = S();
  if (!ReadScore(text, length, L"Left Player Score: ", &s.leftScore)) {
    ReadScore(text, length, L"Right Player Score: ", &s.rightScore);
  }
}

std::string Hex(uint64_t v) {
  char text[20];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(v));
  return text;
}

std::string Summary(uint64_t frames, int64_t left, int64_t right, uint64_t hash) {
  return "replay: " + std::to_string(frames) + " frames, score " + std::to_string(left) + "-" +
         std::to_string(right) + ", frame " + Hex(hash);
}

void DefaultStop(int exitCode, const std::string& line) {
  std::fprintf(exitCode == 0 ? stdout : stdout, "%s\n", line.c_str());
  std::fflush(stdout);
  std::fflush(stderr);
  // The game is mid-frame and cannot be asked to finish: leave here.
  std::_Exit(exitCode);
}

Outcome Stopped(const ReplayBackend& replay, const Session& s) {
  Outcome o;
  const uint64_t frames = replay.frames();
  switch (replay.state()) {
    case ReplayBackend::State::kDiffers:
      o.exitCode = 1;
      o.line = "replay: " + replay.difference();
      break;
    case ReplayBackend::State::kEnded:
      o.exitCode = kExitBadFile;
      o.line = Summary(frames, s.leftScore, s.rightScore,
                       const_cast<ReplayBackend&>(replay).LastFrameHash()) +
               ", recording ends early: " + s.reader.problem();
      break;
    case ReplayBackend::State::kStopped:
      o.line = "replay: stopped at frame " + std::to_string(frames);
      break;
    case ReplayBackend::State::kPlaying:
      break;
  }
  return o;
}

void OnReplayStop(void*) {
  Session& s = S();
  const Outcome o = Stopped(*s.replay, s);
  if (s.replay->Live()) {
    // In a window the person keeps the program: say why playback stopped.
    if (!o.line.empty()) std::fprintf(stderr, "kelvara: %s\n", o.line.c_str());
    if (s.replay->state() != ReplayBackend::State::kStopped) {
      std::fprintf(stderr, "kelvara: playback over; the game is yours from here\n");
    }
    return;
  }
  (s.stopHandler ? s.stopHandler : DefaultStop)(o.exitCode, o.line);
}

// Whether `path` could be created or overwritten, found without touching
// it: the file itself is made only once the program has accepted its command
// line, but a name that can never be written is worth saying at once.
bool CouldMake(const std::string& path, std::string* error) {
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
  gdi::SetTextObserver(nullptr);
  s.recorder.reset();
  s.replay.reset();
  s.reader = TapeReader();
  s.mode = Mode::kOff;
  s.display = nullptr;
  s.backendMade = false;
  s.leftScore = s.rightScore = -1;
}

}  // namespace

bool StartRecording(const std::string& path, std::string* error) {
  Session& s = S();
  if (s.mode != Mode::kOff) Clear(s);
  if (!CouldMake(path, error)) return false;
  // Readings are kept in memory until the program asks for its display,
  // which it does only after accepting its command line (SessionBackend).
  s.writer.Begin(std::string("Kelvara ") + KV_PROGRAM_VERSION);
  s.mode = Mode::kRecord;
  s.path = path;
  s.previousClock = rt::CurrentWallClockSource();
  rt::SetWallClockSource(RecordingClock);
  gdi::SetTextObserver(ObserveText);
  return true;
}

bool StartReplay(const std::string& path, bool verify, std::string* error) {
  Session& s = S();
  if (s.mode != Mode::kOff) Clear(s);
  if (!s.reader.Open(path, error)) return false;
  s.mode = verify ? Mode::kReplayVerify : Mode::kReplayWindow;
  s.path = path;
  s.replay = std::make_unique<ReplayBackend>(&s.reader, nullptr);
  s.replay->SetOnStop(OnReplayStop, nullptr);
  s.previousClock = rt::CurrentWallClockSource();
  rt::SetWallClockSource(ReplayClock);
  gdi::SetTextObserver(ObserveText);
  return true;
}

Mode CurrentMode() { return S().mode; }

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
          std::fprintf(stderr, "kelvara: %s: %s\n", s.path.c_str(), error.c_str());
          std::fflush(stderr);
          std::_Exit(kExitBadFile);
        }
        s.recorder = std::make_unique<RecordingBackend>(s.display, &s.writer);
      }
    } else {
      Backend* live = nullptr;
      if (s.mode == Mode::kReplayWindow && openDisplay) {
        live = openDisplay();
        KeepForTheRun(live);
        if (!live) std::fprintf(stderr, "kelvara: no display; replaying without a window\n");
      }
      s.replay = std::make_unique<ReplayBackend>(&s.reader, live);
      s.replay->SetOnStop(OnReplayStop, nullptr);
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
  return Stopped(*s.replay, s);
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
    Trailer t;
    if (s.recorder) {
      t.frames = s.recorder->frames();
      t.lastFrameHash = s.recorder->LastFrameHash();
    }
    t.leftScore = s.leftScore;
    t.rightScore = s.rightScore;
    s.writer.Close(t);
    if (!s.writer.Healthy()) {
      std::fprintf(stderr, "kelvara: %s: the recording could not be written in full\n",
                   s.path.c_str());
    }
  } else if (s.replay) {
    ReplayBackend& r = *s.replay;
    if (r.state() == ReplayBackend::State::kPlaying && !r.TapeDrained()) {
      r.ProgramEnded();
    }
    if (r.state() != ReplayBackend::State::kPlaying) {
      o = Stopped(r, s);
    } else if (s.reader.end() != TapeReader::End::kComplete) {
      o.exitCode = kExitBadFile;
      o.line = Summary(r.frames(), s.leftScore, s.rightScore, r.LastFrameHash()) +
               ", recording ends early: " + s.reader.problem();
    } else {
      const Trailer& t = s.reader.trailer();
      const uint64_t hash = r.LastFrameHash();
      std::string what;
      if (r.frames() != t.frames) {
        what = std::to_string(r.frames()) + " frames, recorded " + std::to_string(t.frames);
      } else if (s.leftScore != t.leftScore || s.rightScore != t.rightScore) {
        what = "score " + std::to_string(s.leftScore) + "-" + std::to_string(s.rightScore) +
               ", recorded " + std::to_string(t.leftScore) + "-" + std::to_string(t.rightScore);
      } else if (hash != t.lastFrameHash) {
        what = "last frame hash " + Hex(hash) + ", recorded " + Hex(t.lastFrameHash);
      }
      if (what.empty()) {
        o.exitCode = 0;
        o.line = Summary(r.frames(), s.leftScore, s.rightScore, hash) + ", matches";
      } else {
        o.exitCode = 1;
        o.line = "replay: differs at frame " + std::to_string(r.frames()) + ": " + what;
      }
    }
  }
  Clear(s);
  return o;
}

bool StartFromArguments(int argc, const char* const* argv, std::string* error) {
  std::string recordPath, replayPath;
  bool verify = false;
  for (int i = 0; i < argc; ++i) {
    const std::string arg = argv[i];
    // The same two spellings the program's command line takes.
    if (arg == "--record" && i + 1 < argc) {
      recordPath = argv[++i];
    } else if (arg.compare(0, 9, "--record=") == 0) {
      recordPath = arg.substr(9);
    } else if (arg == "--replay" && i + 1 < argc) {
      replayPath = argv[++i];
    } else if (arg.compare(0, 9, "--replay=") == 0) {
      replayPath = arg.substr(9);
    } else if (arg == "--verify") {
      verify = true;
    }
  }
  std::string problem;
  bool ok = true;
  if (!replayPath.empty()) {
    ok = StartReplay(replayPath, verify, &problem);
    if (!ok) problem = replayPath + ": " + problem;
  } else if (!recordPath.empty()) {
    ok = StartRecording(recordPath, &problem);
    if (!ok) problem = recordPath + ": " + problem;
  }
  if (!ok && error) *error = problem;
  return ok;
}

namespace {

// Runs before the game's static initialisation (constructors of priority
// 101 come before those without one): the match clock's first reading must
// already be the recording's. The arguments come from the kernel, since
// main() has not been reached.
__attribute__((constructor(101))) void StartEarly() {
  std::ifstream in("/proc/self/cmdline", std::ios::binary);
  if (!in) return;
  std::vector<std::string> args;
  std::string arg;
  while (std::getline(in, arg, '\0')) args.push_back(arg);
  if (args.size() < 2) return;
  bool mentioned = false;
  for (const auto& a : args)
    mentioned = mentioned || a.compare(0, 8, "--record") == 0 || a.compare(0, 8, "--replay") == 0;
  if (!mentioned) return;
  std::vector<const char*> pointers;
  for (size_t i = 1; i < args.size(); ++i) pointers.push_back(args[i].c_str());
  std::string error;
  if (!StartFromArguments(static_cast<int>(pointers.size()), pointers.data(), &error)) {
    std::fprintf(stderr, "kelvara: %s\n", error.c_str());
    std::fflush(stderr);
    std::_Exit(kExitBadFile);
  }
}

}  // namespace

}  // namespace record
}  // namespace kv
