// A wall clock that the test sets, and that can move on by itself between
// two readings (to see which reading an operation uses).
#pragma once

#include <cstdint>

#include "platform/rt/wall_clock.h"

class FakeWallClock {
 public:
  FakeWallClock() { kv::rt::SetWallClockSource(&Read); }
  ~FakeWallClock() {
    kv::rt::SetWallClockSource(nullptr);
    now_ = 0;
    stepPerRead_ = 0;
  }
  void Set(int64_t ms) { now_ = ms; }
  void Advance(int64_t ms) { now_ += ms; }
  // Every reading after this one is `ms` later than the one before.
  void StepPerRead(int64_t ms) { stepPerRead_ = ms; }

 private:
  static int64_t Read() {
    const int64_t t = now_;
    now_ += stepPerRead_;
    return t;
  }
  static inline int64_t now_ = 0;
  static inline int64_t stepPerRead_ = 0;
};
