#include "app/pace.h"

#include <algorithm>

PaceSchedule StartPace(int64_t now, int64_t frequency, int framesPerSecond) {
  PaceSchedule pace;
  pace.frequency = frequency > 0 ? frequency : 1;
  pace.rate = framesPerSecond > 0 ? framesPerSecond : 1;
  pace.periodWhole = pace.frequency / pace.rate;
  pace.periodRest = pace.frequency % pace.rate;
  pace.due = now;
  return pace;
}

bool PaceFrameDue(const PaceSchedule& pace, int64_t now) { return now >= pace.due; }

namespace {

// The time until the frame is due in 1/unitsPerSecond units, rounded up. A
// frame is never more than a period and the resync margin away, so the
// product fits; a clamp to a second keeps a bad reading from overflowing.
int64_t WaitUnits(const PaceSchedule& pace, int64_t now, int64_t unitsPerSecond) {
  if (now >= pace.due) return 0;
  const int64_t ticks = std::min(pace.due - now, pace.frequency);
  return (ticks * unitsPerSecond + pace.frequency - 1) / pace.frequency;
}

}  // namespace

int64_t PaceWait100ns(const PaceSchedule& pace, int64_t now) {
  return WaitUnits(pace, now, 10000000);
}

uint32_t PaceWaitMs(const PaceSchedule& pace, int64_t now) {
  return static_cast<uint32_t>(WaitUnits(pace, now, 1000));
}

int64_t PaceResyncTicks(const PaceSchedule& pace) { return pace.frequency / 10; }

void PaceFrameRan(PaceSchedule* pace, int64_t now) {
  pace->due += pace->periodWhole;
  pace->restSum += pace->periodRest;
  if (pace->restSum >= pace->rate) {
    pace->restSum -= pace->rate;
    pace->due += 1;
  }
  if (now - pace->due > PaceResyncTicks(*pace)) {
    pace->due = now;
    pace->restSum = 0;
  }
}
