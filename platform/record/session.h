// A recording or a replay of the whole program: what --record FILE and
// --replay FILE [--verify] start. The program's entry starts the session
// before the program's static initialisation (its first clock readings
// belong to the recording) and ends it when WinMain returns.
#pragma once

#include <string>

#include "platform/backend.h"
#include "platform/record/replay_report.h"

namespace kv {
namespace record {

enum class Mode { kOff, kRecord, kReplayWindow, kReplayVerify };

// What the entry hands down: which session, on which file.
struct SessionSettings {
  Mode mode = Mode::kOff;
  std::string path;
  // The command line the program is given (WinMain's): a recording keeps it,
  // since what the program does depends on it (its pace).
  std::string commandLine;
};

// Whether a replay holds each checked frame's pixels to the recording's
// (the default). A display that cannot draw the pixels the recording's did
// (the browser's typefaces) turns it off before the session starts: the
// number of frames and the score are still compared, and the replay's line
// says that the pixels were not.
void SetPixelChecks(bool on);

// The exit status of a program whose recording could not be written in full
// (a full disk), when the program itself ended well.
constexpr int kExitRecordingFailed = 1;

// Starts the session the settings ask for (none for kOff). False with a
// message when the file can never be made, or cannot be read as a recording.
bool StartSession(const SessionSettings& settings, std::string* error);
Mode CurrentMode();

// The backend the program uses during the session, made on first call from
// the display `openDisplay` opens (not opened for a verification); without a
// session, simply the display.
Backend* SessionBackend(Backend* (*openDisplay)());

// A replay that must stop (it differs, or the file ends early) calls this;
// the program normally leaves at once with the outcome. Tests replace it.
void SetStopHandler(void (*handler)(int exitCode, const std::string& line));

// Ends the session after WinMain returned `programExit`: a recording gets its
// trailer; a replay is compared with it. Leaves no session behind.
Outcome EndSession(int programExit);

// What the replay has found so far (for a stop handler): the line it would print.
Outcome ReplayOutcomeNow();

// During a replay, the command line the recording was made with (the
// program is given that one, so it runs as it ran: at its pace); null for
// any other session, or a recording of the first format, which has none.
const std::string* RecordedCommandLine();

// The program is being cut short (rt/cut_short.h): by the stop signal
// `signal`, or (0) by losing its display. A recording gets its end record,
// saying so, and the file is complete up to here; nothing else happens.
void CutSessionShort(int signal);

}  // namespace record
}  // namespace kv
