#include "timing/match_clock.h"

#include "platform/win32.h"

namespace {

// Two's-complement arithmetic on the readings, so that a wall clock that
// reports something absurd gives an absurd time rather than undefined
// behaviour; in any sane range it is ordinary subtraction.
int64_t Minus(int64_t a, int64_t b) {
  return static_cast<int64_t>(static_cast<uint64_t>(a) - static_cast<uint64_t>(b));
}

}  // namespace

int64_t NowMs() {
  __timeb64 now = {};
  _ftime64_s(&now);
  return static_cast<int64_t>(static_cast<uint64_t>(now.time) * 1000u + now.millitm);
}

MatchClock::MatchClock()
    : paused(false), frameCount(0), startMs(NowMs()), pausedTotalMs(0), pauseStartMs(0) {}

void MatchClock::StartClock() {
  paused = false;
  frameCount = 0;
  startMs = NowMs();
  pausedTotalMs = 0;
  pauseStartMs = 0;
}

void MatchClock::PauseClock() {
  // A second pause keeps the start of the first.
  if (paused) return;
  pauseStartMs = NowMs();
  paused = true;
}

void MatchClock::ResumeClock() {
  if (!paused) return;
  pausedTotalMs = static_cast<int64_t>(static_cast<uint64_t>(pausedTotalMs) +
                                       static_cast<uint64_t>(Minus(NowMs(), pauseStartMs)));
  paused = false;
}

int64_t MatchClock::Elapsed() const {
  const int64_t t1 = NowMs();
  const int64_t a = Minus(t1, startMs);
  // The running pause is measured with a second reading, taken either way.
  const int64_t t2 = NowMs();
  if (!paused) return Minus(a, pausedTotalMs);
  return Minus(Minus(a, pausedTotalMs), Minus(t2, pauseStartMs));
}
