// A recording or a replay of the whole program: what --record FILE and
// --replay FILE [--verify] start. The session begins before the game's
// static initialisation (its first clock readings belong to the recording)
// and ends when WinMain returns.
#pragma once

#include <string>

#include "platform/backend.h"

namespace kv {
namespace record {

enum class Mode { kOff, kRecord, kReplayWindow, kReplayVerify };

// The exit status of a replay whose file is bad (not a recording, newer,
// truncated, damaged); 1 is a replay that differs, 0 one that matches.
constexpr int kExitBadFile = 2;

// Starts a session from the program's arguments (argv[0] excluded): looks
// for --record FILE, --replay FILE and --verify. False with a message when
// the file cannot be made or read; true (and kOff) when none is given.
bool StartFromArguments(int argc, const char* const* argv, std::string* error);

bool StartRecording(const std::string& path, std::string* error);
bool StartReplay(const std::string& path, bool verify, std::string* error);
Mode CurrentMode();

// The backend the program uses during the session, made on first call from
// the display `openDisplay` opens (not opened for a verification); without a
// session, simply the display.
Backend* SessionBackend(Backend* (*openDisplay)());

// A replay that must stop (it differs, or the file ends early) calls this;
// the program normally leaves at once with the outcome. Tests replace it.
void SetStopHandler(void (*handler)(int exitCode, const std::string& line));

struct Outcome {
  int exitCode = 0;
  std::string line;  // the replay's one line, empty for a recording
};

// Ends the session after WinMain returned `programExit`: a recording gets its
// trailer; a replay is compared with it. Leaves no session behind.
Outcome EndSession(int programExit);

// What the replay has found so far (for a stop handler): the line it would print.
Outcome ReplayOutcomeNow();

}  // namespace record
}  // namespace kv
