#include "platform/rt/cut_short.h"

#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "platform/rt/program.h"

namespace kv {
namespace rt {

namespace {

CutShortHook gHook = nullptr;
volatile sig_atomic_t gPendingSignal = 0;
bool gCutting = false;  // the hook runs once, even if it is cut short itself

void NoteSignal(int signal) {
  if (gPendingSignal == 0) gPendingSignal = signal;
}

void RunHookOnce(int signal) {
  if (gCutting) return;
  gCutting = true;
  if (gHook) gHook(signal);
  std::fflush(nullptr);
}

}  // namespace

void SetCutShortHook(CutShortHook hook) { gHook = hook; }

void CatchStopSignals() {
  struct sigaction action {};
  action.sa_handler = NoteSignal;
  sigemptyset(&action.sa_mask);
  // No SA_RESTART: a wait the signal interrupts returns, and the program
  // comes round to look at it sooner.
  action.sa_flags = 0;
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) sigaction(signal, &action, nullptr);
}

int PendingStopSignal() { return gPendingSignal; }

void EndBySignal(int signal) {
  RunHookOnce(signal);
  struct sigaction action {};
  action.sa_handler = SIG_DFL;
  sigemptyset(&action.sa_mask);
  sigaction(signal, &action, nullptr);
  sigset_t only;
  sigemptyset(&only);
  sigaddset(&only, signal);
  sigprocmask(SIG_UNBLOCK, &only, nullptr);
  raise(signal);
  // A signal whose default is not to end the program: end as it would.
  _exit(128 + signal);
}

void EndForLostDisplay(const std::string& what) {
  Say("%s", what.c_str());
  RunHookOnce(0);
  _exit(1);
}

}  // namespace rt
}  // namespace kv
