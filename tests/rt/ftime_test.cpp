#include <gtest/gtest.h>

#include "platform/rt/wall_clock.h"
#include "platform/win32.h"

namespace {

int64_t gFakeMs = 0;
int64_t FakeClock() { return gFakeMs; }

struct FakeClockScope {
  FakeClockScope() { kv::rt::SetWallClockSource(&FakeClock); }
  ~FakeClockScope() { kv::rt::SetWallClockSource(nullptr); }
};

TEST(Ftime, SplitsMillisecondsIntoSecondsAndMillitm) {
  FakeClockScope scope;
  __timeb64 t{};
  gFakeMs = 1700000012345LL;
  ASSERT_EQ(_ftime64_s(&t), 0);
  EXPECT_EQ(t.time, 1700000012LL);
  EXPECT_EQ(t.millitm, 345);
  gFakeMs = 999;
  _ftime64_s(&t);
  EXPECT_EQ(t.time, 0);
  EXPECT_EQ(t.millitm, 999);
  // Before 1970 the milliseconds stay in 0..999 and the seconds round down.
  gFakeMs = -1;
  _ftime64_s(&t);
  EXPECT_EQ(t.time, -1);
  EXPECT_EQ(t.millitm, 999);
}

TEST(Ftime, NullRecordIsRefused) { EXPECT_NE(_ftime64_s(nullptr), 0); }

TEST(Ftime, SystemClockIsNearNow) {
  __timeb64 t{};
  ASSERT_EQ(_ftime64_s(&t), 0);
  // Some time after 2020 and with a valid millisecond field.
  EXPECT_GT(t.time, 1577836800LL);
  EXPECT_LT(t.millitm, 1000);
}

}  // namespace
