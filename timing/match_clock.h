// Playing time: wall-clock milliseconds since the clock was started, less
// every pause; and the count of frames in which play ran.
#pragma once

#include <cstdint>

// Wall-clock milliseconds (signed 64-bit): the one time source of the game.
int64_t NowMs();

struct MatchClock {
  bool paused;
  int64_t frameCount;
  int64_t startMs;
  int64_t pausedTotalMs;
  int64_t pauseStartMs;

  MatchClock();  // started

  void StartClock();
  void PauseClock();
  void ResumeClock();
  int64_t Elapsed() const;
};

extern MatchClock gClock;
