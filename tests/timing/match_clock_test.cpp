// Playing time, with and without pauses, on a wall clock the test controls.
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

TEST(MatchClock, StartClockBeginsAFreshMatchFromAnyState) {
  FakeWallClock clock;
  clock.Set(5000);
  MatchClock c;  // started on construction
  clock.Advance(1234);
  EXPECT_EQ(c.Elapsed(), 1234);

  // A used clock: frames counted, a pause taken, and a pause still running.
  c.frameCount = 77;
  c.PauseClock();
  clock.Advance(400);
  c.ResumeClock();
  clock.Advance(100);
  c.PauseClock();
  clock.Advance(500);

  // Started again it runs from now: no old start, no old pause total, and
  // not paused (a paused clock would stand at 0).
  c.StartClock();
  EXPECT_EQ(c.frameCount, 0);
  EXPECT_EQ(c.Elapsed(), 0);
  clock.Advance(700);
  EXPECT_EQ(c.Elapsed(), 700);

  // A pause after the restart is a pause of its own, measured from its start.
  c.PauseClock();
  clock.Advance(300);
  EXPECT_EQ(c.Elapsed(), 700);
  c.ResumeClock();
  clock.Advance(50);
  EXPECT_EQ(c.Elapsed(), 750);
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

TEST(MatchClock, PlayingTimeReachesTheLimitExactlyAcrossPauses) {
  FakeWallClock clock;
  clock.Set(1000);
  MatchClock c;
  clock.Advance(20000);
  c.PauseClock();
  clock.Advance(7000);
  c.ResumeClock();
  clock.Advance(24000);
  c.PauseClock();
  clock.Advance(12345);
  // Paused just before the end: a pause adds nothing, however long.
  EXPECT_EQ(c.Elapsed(), 44000);
  c.ResumeClock();
  EXPECT_EQ(c.pausedTotalMs, 19345);
  clock.Advance(999);
  EXPECT_EQ(c.Elapsed(), 44999);
  clock.Advance(1);
  // The frame loop ends the match at this reading: exactly the limit, one
  // millisecond after the last one below it.
  EXPECT_EQ(c.Elapsed(), 45000);
  c.PauseClock();
  clock.Advance(60000);
  EXPECT_EQ(c.Elapsed(), 45000);
}

TEST(MatchClock, SettingTheSystemClockBackMakesTimeNegative) {
  FakeWallClock clock;
  clock.Set(50000);
  MatchClock c;
  clock.Set(48500);
  EXPECT_EQ(c.Elapsed(), -1500);

  // Absurd readings wrap around in 64 bits instead of overflowing (the
  // sanitizer build would stop on a signed overflow): INT64_MIN - 50000
  // comes out as INT64_MAX - 49999, and a pause from the earliest to the
  // latest reading lasts -1 ms.
  clock.Set(INT64_MIN);
  c.PauseClock();
  EXPECT_EQ(c.Elapsed(), INT64_MAX - 49999);
  clock.Set(INT64_MAX);
  c.ResumeClock();
  EXPECT_EQ(c.pausedTotalMs, -1);
  // Across the pause the time stands where it stopped.
  EXPECT_EQ(c.Elapsed(), INT64_MAX - 49999);
}

TEST(ProgramClock, StartedAtStartUpWithTheStatisticsTimerRightAfter) {
  // Nothing in this program restarts gClock, so it still holds its start,
  // read from the real wall clock before the statistics timer was.
  const int64_t now = NowMs();
  EXPECT_FALSE(gClock.paused);
  EXPECT_EQ(gClock.frameCount, 0);
  EXPECT_LE(gClock.startMs, gStatsLastMs);
  EXPECT_LE(gStatsLastMs, now);
  // Started when this program started: not a default of zero, whatever the
  // date. (A generous bound: the program has run for minutes at most.)
  EXPECT_LT(now - gClock.startMs, 10 * 60 * 1000);
  EXPECT_EQ(gStatsElapsedMs, 0);
}

}  // namespace
