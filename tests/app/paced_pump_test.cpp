// The paced pump (--pace) on the headless monotonic clock, which moves only
// while the program waits, by exactly what the wait asks for, and here by
// a fixed cost for each frame. So every frame's time and every wait can be
// counted: a frame runs when it is due, never before (nor after, on a clock
// that wakes exactly); between frames the pump waits once, for the time
// left, and never looks again without waiting.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <vector>

#include "app/pace.h"
#include "platform/rt/monotonic_clock.h"
#include "tests/render/headless_game.h"

namespace {

// Readings of the clock between two waits past which the pump is spinning.
constexpr int kSpinGuard = 50;

struct PumpWatch {
  int framesWanted = 0;  // then the close box, at the next reading
  int64_t frameCostNs = 0;
  int64_t start = 0;     // the clock when the pump started
  int64_t presents = 0;  // frames seen so far
  int64_t lastReadNs = 0;
  std::vector<int64_t> frameNs;  // when each frame started, from the start
  std::vector<int64_t> waitNs;   // when each wait began, from the start
  int readsSinceWait = 0;
  int mostReadsBetweenWaits = 0;
  bool closed = false;
  // What a test does at wait number `wait` (from 0), with the wait's input.
  std::function<void(PumpWatch&, size_t wait)> atWait;
};

PumpWatch* gWatch = nullptr;

// Every reading of the clock (the pump's counter, the timer's and the
// wait's) comes here. A frame shown since the last reading started at that
// reading (the one that found it due) and took its cost. A pump that looks
// again without waiting would never see the time move and would hang: past
// the guard the clock creeps on a microsecond a reading, so such a pump
// ends and the count shows it.
int64_t CountingClock() {
  PumpWatch& w = *gWatch;
  if (!w.closed && kv::headless::PresentCount(gWindow) > w.presents) {
    ++w.presents;
    w.frameNs.push_back(w.lastReadNs - w.start);
    kv::headless::AdvanceMonotonicNs(w.frameCostNs);
    if (static_cast<int>(w.frameNs.size()) >= w.framesWanted) {
      kv::headless::RequestClose(gWindow);
      w.closed = true;
    }
  }
  if (++w.readsSinceWait > kSpinGuard) kv::headless::AdvanceMonotonicNs(1000);
  return w.lastReadNs = kv::headless::MonotonicNs();
}

void OnWait(void*) {
  PumpWatch& w = *gWatch;
  w.waitNs.push_back(kv::headless::MonotonicNs() - w.start);
  w.mostReadsBetweenWaits = std::max(w.mostReadsBetweenWaits, w.readsSinceWait);
  w.readsSinceWait = 0;
  if (w.atWait) w.atWait(w, w.waitNs.size() - 1);
}

class PacedPumpTest : public crafted::HeadlessGame {
 protected:
  void SetUp() override {
    crafted::HeadlessGame::SetUp();
    gWatch = &watch_;
    kv::rt::SetMonotonicSource(&CountingClock);
    kv::headless::SetModalIdleHook(&OnWait, nullptr);
  }
  void TearDown() override {
    kv::rt::SetMonotonicSource(nullptr);
    gWatch = nullptr;
    crafted::HeadlessGame::TearDown();
  }

  // Runs the pump at `rate`, each frame taking a fifth of its period (at
  // most 0.4 ms, about what one costs), until `frames` frames have run, then
  // closes the window; the pump's exit code.
  int Pump(int rate, int frames) {
    watch_.framesWanted = frames;
    watch_.frameCostNs = std::min<int64_t>(400000, 1000000000 / rate / 5);
    watch_.presents = kv::headless::PresentCount(gWindow);
    watch_.start = watch_.lastReadNs = kv::headless::MonotonicNs();
    return RunPacedPump(rate);
  }

  // Frame n is due n periods after the start, the periods' remainders
  // spread so that `rate` frames take exactly a second.
  static int64_t DueNs(int rate, size_t n) {
    return static_cast<int64_t>(n) * 1000000000 / rate;
  }

  void ExpectEveryFrameOnTime(int rate) {
    for (size_t n = 0; n < watch_.frameNs.size(); ++n) {
      ASSERT_GE(watch_.frameNs[n], DueNs(rate, n)) << "frame " << n << " ran early at " << rate;
      // The wait is rounded up to a whole microsecond, and no further.
      ASSERT_LT(watch_.frameNs[n], DueNs(rate, n) + 1000) << "frame " << n << " late at " << rate;
    }
  }

  PumpWatch watch_;
};

class PacedPumpRates : public PacedPumpTest, public ::testing::WithParamInterface<int> {};

TEST_P(PacedPumpRates, EachFrameRunsWhenDueAfterOneWaitAndNoSpin) {
  const int rate = GetParam();
  EXPECT_EQ(Pump(rate, 120), 0);
  EXPECT_FALSE(IsWindow(gWindow));
  ASSERT_EQ(watch_.frameNs.size(), 120u);
  ExpectEveryFrameOnTime(rate);
  // One wait between each two frames, which ends when the next is due: none
  // for nothing, none cut short.
  ASSERT_EQ(watch_.waitNs.size(), 119u);
  for (size_t n = 0; n < watch_.waitNs.size(); ++n) {
    ASSERT_EQ(watch_.waitNs[n], watch_.frameNs[n] + watch_.frameCostNs) << "wait " << n;
  }
  // A pass reads the clock once; setting the timer and the wait read it a
  // few more times. Nothing like a loop.
  EXPECT_LE(watch_.mostReadsBetweenWaits, 6);
}

// 500 divides a second; 60, 3000 and 7777 leave remainders, and 10000 is the
// fastest pace offered.
INSTANTIATE_TEST_SUITE_P(Paces, PacedPumpRates, ::testing::Values(500, 60, 3000, 7777, 10000));

TEST_F(PacedPumpTest, InputEndsTheWaitAtOnceAndTheFrameStillWaitsForItsTime) {
  // Two moves and a click arrive part of the way through three waits.
  size_t clickWait = 0;
  int64_t framesAtClick = -1;
  bool playingBeforeNextFrame = false;
  watch_.atWait = [&](PumpWatch& w, size_t wait) {
    if (wait == 10 || wait == 30) {
      kv::headless::AdvanceMonotonicNs(700000);
      kv::headless::MoveMouseClient(gWindow, 400 + static_cast<int>(wait), 300);
    } else if (wait == 50) {
      kv::headless::AdvanceMonotonicNs(300000);
      kv::headless::ClickClient(gWindow, 150, 300, 1);
      clickWait = wait;
      framesAtClick = static_cast<int64_t>(w.frameNs.size());
    } else if (clickWait != 0 && wait == clickWait + 1) {
      // The click was dispatched before anything else ran.
      playingBeforeNextFrame =
          !gMatch->stopped && static_cast<int64_t>(w.frameNs.size()) == framesAtClick;
    }
  };
  EXPECT_EQ(Pump(500, 100), 0);
  ASSERT_EQ(watch_.frameNs.size(), 100u);
  ExpectEveryFrameOnTime(500);
  // Each input cost one more wait, for the rest of the frame's time.
  EXPECT_EQ(watch_.waitNs.size(), 99u + 3u);
  for (size_t n = 1; n < watch_.waitNs.size(); ++n) {
    EXPECT_GT(watch_.waitNs[n], watch_.waitNs[n - 1]) << "a wait for nothing, wait " << n;
  }
  EXPECT_TRUE(playingBeforeNextFrame);
  EXPECT_LE(watch_.mostReadsBetweenWaits, 6);
}

}  // namespace
