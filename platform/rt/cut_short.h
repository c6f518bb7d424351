// The program cut short before it ends by itself: a stop signal (Ctrl+C, a
// logout, kill), or its display gone for good. Whatever cuts it short, what
// must be finished first (a recording's end) is finished by the one hook the
// program's entry installs, so that every display backend (X11 losing its
// server, Wayland its compositor) and every signal reach it the same way,
// and no layer below the entry needs to know what a recording is.
#pragma once

#include <string>

namespace kv {
namespace rt {

// Called once, before the program is cut short. `signal` is the stop
// signal's number, or 0 when the display was lost.
using CutShortHook = void (*)(int signal);
void SetCutShortHook(CutShortHook hook);

// From now on SIGINT, SIGTERM and SIGHUP are noted instead of ending the
// program at once: whoever has something to finish (a recording) looks at
// PendingStopSignal() where it safely can and calls EndBySignal().
void CatchStopSignals();
// The stop signal noted and not acted on yet; 0 when there is none.
int PendingStopSignal();

// Runs the hook, then ends the program as `signal` ends it, so that a shell
// or a session manager sees the program killed by that signal.
[[noreturn]] void EndBySignal(int signal);

// The display is gone and will not come back: says `what` (one line on
// standard error), runs the hook, and exits with status 1: a lost display
// is a failure, whatever the program was doing.
[[noreturn]] void EndForLostDisplay(const std::string& what);

}  // namespace rt
}  // namespace kv
