// Playing time without pauses, on a wall clock the test controls.
#include <gtest/gtest.h>

#include "tests/timing/fake_wall_clock.h"
#include "timing/match_clock.h"
#include "timing/title_stats.h"

namespace {

TEST(NowMs, JoinsSecondsAndMilliseconds) {
  FakeWallClock clock;
  clock.Set(1700000012345LL);
  EXPECT_EQ(NowMs(), 1700000012345LL);
  clock.Set(0);
  EXPECT_EQ(NowMs(), 0);
  clock.Set(-1);  // before 1970: still one time line
  EXPECT_EQ(NowMs(), -1);
}

TEST(MatchClock, StartsRunningFromZero) {
  FakeWallClock clock;
  clock.Set(5000);
  MatchClock c;
  EXPECT_FALSE(c.paused);
  EXPECT_EQ(c.frameCount, 0);
  EXPECT_EQ(c.startMs, 5000);
  EXPECT_EQ(c.pausedTotalMs, 0);
  EXPECT_EQ(c.pauseStartMs, 0);
  EXPECT_EQ(c.Elapsed(), 0);
  clock.Advance(1234);
  EXPECT_EQ(c.Elapsed(), 1234);

  // Started again from a paused, used state: everything afresh.
  c.frameCount = 77;
  c.PauseClock();
  clock.Advance(500);
  c.StartClock();
  EXPECT_FALSE(c.paused);
  EXPECT_EQ(c.frameCount, 0);
  EXPECT_EQ(c.startMs, 6734);
  EXPECT_EQ(c.pausedTotalMs, 0);
  EXPECT_EQ(c.pauseStartMs, 0);
  EXPECT_EQ(c.Elapsed(), 0);
}

TEST(MatchClock, PausesAreLeftOut) {
  FakeWallClock clock;
  clock.Set(100000);
  MatchClock c;
  c.StartClock();
  c.PauseClock();
  clock.Advance(10000);
  EXPECT_EQ(c.Elapsed(), 0);
  c.ResumeClock();
  EXPECT_EQ(c.pausedTotalMs, 10000);
  EXPECT_EQ(c.Elapsed(), 0);
  clock.Advance(3000);
  EXPECT_EQ(c.Elapsed(), 3000);

  // Paused at t, paused again at t + 5 s, resumed at t + 8 s: the pause
  // keeps its first start, and the time after it is the time at t.
  c.PauseClock();
  EXPECT_EQ(c.pauseStartMs, 113000);
  clock.Advance(5000);
  c.PauseClock();
  EXPECT_EQ(c.pauseStartMs, 113000);
  EXPECT_EQ(c.Elapsed(), 3000);
  clock.Advance(3000);
  c.ResumeClock();
  EXPECT_FALSE(c.paused);
  EXPECT_EQ(c.pausedTotalMs, 18000);
  EXPECT_EQ(c.Elapsed(), 3000);

  // Resuming a running clock changes nothing.
  clock.Advance(2000);
  c.ResumeClock();
  EXPECT_EQ(c.pausedTotalMs, 18000);
  EXPECT_EQ(c.Elapsed(), 5000);
}

TEST(MatchClock, ElapsedMeasuresARunningPauseWithTheSecondReading) {
  FakeWallClock clock;
  clock.Set(0);
  MatchClock c;
  clock.Advance(4000);
  c.PauseClock();  // at 4000
  clock.Advance(600);
  clock.StepPerRead(1);
  // Readings 4600 and 4601: 4600 - 0 - 0 - (4601 - 4000).
  EXPECT_EQ(c.Elapsed(), 3999);
  // The same each time: the two readings are always one apart.
  EXPECT_EQ(c.Elapsed(), 3999);

  // Running, only the first reading counts.
  clock.StepPerRead(0);
  c.ResumeClock();  // four readings later: 4604, the pause lasted 604
  EXPECT_EQ(c.pausedTotalMs, 604);
  clock.StepPerRead(7);
  EXPECT_EQ(c.Elapsed(), 4000);
  EXPECT_EQ(c.Elapsed(), 4014);
}

TEST(MatchClock, TheMatchLimitIsReachedAt45000) {
  FakeWallClock clock;
  clock.Set(1000);
  MatchClock c;
  clock.Advance(44999);
  EXPECT_LT(c.Elapsed(), 45000);
  clock.Advance(1);
  EXPECT_GE(c.Elapsed(), 45000);
}

TEST(MatchClock, SettingTheSystemClockBackMakesTimeNegative) {
  FakeWallClock clock;
  clock.Set(50000);
  MatchClock c;
  clock.Set(48500);
  EXPECT_EQ(c.Elapsed(), -1500);
  // Absurd readings give an absurd time, not a crash.
  clock.Set(INT64_MIN / 2);
  c.PauseClock();
  clock.Set(INT64_MAX / 2);
  c.ResumeClock();
  (void)c.Elapsed();
}

TEST(ProgramClock, StartedAtStartUpWithTheStatisticsTimerRightAfter) {
  // Nothing in this program restarts gClock, so it still holds its start.
  EXPECT_FALSE(gClock.paused);
  EXPECT_GT(gClock.startMs, 1577836800000LL);  // a real time, after 2020
  EXPECT_GE(gStatsLastMs, gClock.startMs);
  EXPECT_EQ(gStatsElapsedMs, 0);
}

}  // namespace
