// What a replay says, in one line each: where it stopped, how it compared
// with the recording at the program's end, and, for a replay in the window,
// what is about to be shown.
#pragma once

#include <string>

#include "platform/record/replay_backend.h"
#include "platform/record/score.h"
#include "platform/record/tape_reader.h"

namespace kv {
namespace record {

// The exit status of a replay whose file is bad (not a recording, newer,
// truncated, damaged); 1 is a replay that differs, 0 one that matches.
constexpr int kExitBadFile = 2;

struct Outcome {
  int exitCode = 0;
  std::string line;  // the replay's one line, empty for a recording
};

// Once playback has left kPlaying: it differs (1), the recording ran out
// (2), or the person closed the window (0).
Outcome StoppedOutcome(ReplayBackend& replay, const TapeReader& tape, const Score& score);

// When the program has ended: as StoppedOutcome if playback stopped before,
// else the program's end compared with the recording's.
Outcome FinalOutcome(ReplayBackend& replay, const TapeReader& tape, const Score& score);

// "replay: FILE: N frames, recorded score L-R", read through `fresh`, a
// reader of its own on the same file that has read nothing yet.
std::string Introduction(const std::string& path, TapeReader& fresh);

}  // namespace record
}  // namespace kv
