#include "app/pace.h"

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

uint32_t PaceWaitMs(const PaceSchedule& pace, int64_t now) {
  if (now >= pace.due) return 0;
  const int64_t ms = (pace.due - now) * 1000 / pace.frequency;
  return static_cast<uint32_t>(ms);
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
