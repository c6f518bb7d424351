// The frame pace's schedule, on made-up counter values.
#include <gtest/gtest.h>

#include "app/pace.h"

namespace {

TEST(PaceSchedule, NFramesTakeExactlyOneSecondWithoutDrift) {
  // A counter that does not divide evenly by the rate: 10 MHz at 3000 fps
  // is 3333.33 ticks a frame.
  for (auto [frequency, rate] : {std::pair<int64_t, int>{10000000, 3000}, {1000000000, 500},
                                 {3579545, 7777}, {1000000000, 10000}, {1000, 50}}) {
    const int64_t start = 123456789;
    PaceSchedule pace = StartPace(start, frequency, rate);
    EXPECT_TRUE(PaceFrameDue(pace, start));
    int64_t now = start;
    for (int second = 1; second <= 3; ++second) {
      for (int frame = 0; frame < rate; ++frame) {
        ASSERT_TRUE(PaceFrameDue(pace, now));
        // Each frame takes a tenth of its period, then the pump waits.
        now += frequency / rate / 10;
        PaceFrameRan(&pace, now);
        ASSERT_FALSE(PaceFrameDue(pace, now));
        now = pace.due;
      }
      EXPECT_EQ(pace.due, start + second * frequency) << frequency << " at " << rate;
    }
  }
}

TEST(PaceSchedule, LateFramesAreCaughtUpButAStallStartsAfresh) {
  const int64_t f = 1000000000, period = f / 500;
  PaceSchedule pace = StartPace(0, f, 500);
  // A frame that took 50 ms: the next frames are due at once, one period
  // apart from where they belonged, until the schedule is met again.
  PaceFrameRan(&pace, 50 * 1000000);
  EXPECT_EQ(pace.due, period);
  EXPECT_TRUE(PaceFrameDue(pace, 50 * 1000000));
  // Exactly 100 ms behind is still caught up...
  pace = StartPace(0, f, 500);
  PaceFrameRan(&pace, period + PaceResyncTicks(pace));
  EXPECT_EQ(pace.due, period);
  // ...more than that (a modal loop held the pump) is not raced through.
  pace = StartPace(0, f, 500);
  const int64_t stalled = period + PaceResyncTicks(pace) + 1;
  PaceFrameRan(&pace, stalled);
  EXPECT_EQ(pace.due, stalled);
  EXPECT_TRUE(PaceFrameDue(pace, stalled));
  PaceFrameRan(&pace, stalled);
  EXPECT_EQ(pace.due, stalled + period);
}

TEST(PaceSchedule, WaitsAreRoundedUpSoNoneEndsBeforeTheFrameIsDue) {
  const int64_t f = 1000000000;
  PaceSchedule pace = StartPace(0, f, 50);  // 20 ms a frame
  PaceFrameRan(&pace, 0);
  EXPECT_EQ(PaceWaitMs(pace, 0), 20u);
  EXPECT_EQ(PaceWait100ns(pace, 0), 200000);
  EXPECT_EQ(PaceWaitMs(pace, 1), 20u);         // 19.999999 ms
  EXPECT_EQ(PaceWait100ns(pace, 1), 200000);
  EXPECT_EQ(PaceWaitMs(pace, 18100000), 2u);   // 1.9 ms left
  EXPECT_EQ(PaceWait100ns(pace, 18100000), 19000);
  EXPECT_EQ(PaceWaitMs(pace, 19999999), 1u);   // a nanosecond: never 0, never a spin
  EXPECT_EQ(PaceWait100ns(pace, 19999999), 1);
  EXPECT_EQ(PaceWaitMs(pace, 20000000), 0u);   // due
  EXPECT_EQ(PaceWait100ns(pace, 20000000), 0);
  EXPECT_EQ(PaceWaitMs(pace, 25000000), 0u);   // overdue
  EXPECT_EQ(PaceWait100ns(pace, 25000000), 0);

  // Windows' counter is commonly 10 MHz: 3 ticks are 3 units of 100 ns.
  pace = StartPace(0, 10000000, 500);
  PaceFrameRan(&pace, 0);
  EXPECT_EQ(PaceWait100ns(pace, 20000 - 3), 3);
  EXPECT_EQ(PaceWaitMs(pace, 20000 - 3), 1u);
  // A counter reading far before the due time (a bad clock) waits at most a second.
  EXPECT_EQ(PaceWait100ns(pace, -(int64_t{1} << 62)), 10000000);
  EXPECT_EQ(PaceWaitMs(pace, -(int64_t{1} << 62)), 1000u);
}

}  // namespace
