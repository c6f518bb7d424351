// The pointer track: what the server's reports and our warps say about
// where the pointer is, in the order the server carried them out.
#include <gtest/gtest.h>

#include <climits>

#include "platform/x11/pointer_track.h"

namespace {

using kv::x11::ForgetPointer;
using kv::x11::kMaxPendingWarps;
using kv::x11::NotePointerReading;
using kv::x11::NotePointerReport;
using kv::x11::NotePointerWarp;
using kv::x11::PointerTrack;
using kv::x11::TrackedPointer;

constexpr int kWidth = 1920, kHeight = 1080;

struct Where {
  bool known;
  int x, y;
};

Where At(const PointerTrack& t) {
  Where w{false, -1, -1};
  w.known = TrackedPointer(t, kWidth, kHeight, &w.x, &w.y);
  return w;
}

void ExpectAt(const PointerTrack& t, int x, int y) {
  Where w = At(t);
  ASSERT_TRUE(w.known);
  EXPECT_EQ(w.x, x);
  EXPECT_EQ(w.y, y);
}

TEST(PointerTrack, KnowsNothingUntilAReading) {
  PointerTrack t;
  EXPECT_FALSE(At(t).known);
  NotePointerReport(&t, 5, 10, 10);  // a report alone is no base: earlier moves were not seen
  EXPECT_FALSE(At(t).known);
  EXPECT_FALSE(NotePointerWarp(&t, 6, 1, 1));
  NotePointerReading(&t, 7, 100, 200);
  ExpectAt(t, 100, 200);
  ForgetPointer(&t);
  EXPECT_FALSE(At(t).known);
}

// Reports made before the reading (a smaller serial) are stale; those made
// at or after it are news, in the order they arrive.
TEST(PointerTrack, OnlyReportsNotOlderThanTheBaseCount) {
  PointerTrack t;
  NotePointerReading(&t, 50, 100, 200);
  NotePointerReport(&t, 49, 1, 1);
  ExpectAt(t, 100, 200);
  NotePointerReport(&t, 50, 110, 205);
  ExpectAt(t, 110, 205);
  NotePointerReport(&t, 50, 120, 210);
  ExpectAt(t, 120, 210);
  NotePointerReport(&t, 49, 1, 1);
  ExpectAt(t, 120, 210);
}

// The race the track exists for: the person moves, then our warp by the
// difference from the old reading goes out, then the report of the movement
// arrives (older than the warp), then the warp's own report.
TEST(PointerTrack, AReportOlderThanAWarpKeepsTheWarpOnTop) {
  PointerTrack t;
  NotePointerReading(&t, 10, 400, 300);
  ASSERT_TRUE(NotePointerWarp(&t, 12, 100, 50));  // meant to land on (500, 350)
  ExpectAt(t, 500, 350);
  NotePointerReport(&t, 11, 407, 297);  // the server moved by (7, -3) before the warp
  ExpectAt(t, 507, 347);
  NotePointerReport(&t, 12, 507, 347);  // the warp's report: the warp is done
  ExpectAt(t, 507, 347);
  NotePointerReport(&t, 13, 508, 347);
  ExpectAt(t, 508, 347);
}

TEST(PointerTrack, WarpsStackUntilTheirReportsArrive) {
  PointerTrack t;
  NotePointerReading(&t, 1, 100, 100);
  ASSERT_TRUE(NotePointerWarp(&t, 2, 10, 0));
  ASSERT_TRUE(NotePointerWarp(&t, 3, 0, 20));
  ASSERT_TRUE(NotePointerWarp(&t, 4, -5, -5));
  ExpectAt(t, 105, 115);
  NotePointerReport(&t, 2, 110, 100);  // the first warp carried out; two still to come
  ExpectAt(t, 105, 115);
  NotePointerReport(&t, 4, 105, 115);
  ExpectAt(t, 105, 115);
  EXPECT_EQ(t.pendingCount, 0);
  // A warp that does not move makes no report and is not waited for.
  ASSERT_TRUE(NotePointerWarp(&t, 5, 0, 0));
  EXPECT_EQ(t.pendingCount, 0);
}

// The server stops the pointer at the screen's edge after every warp, so a
// warp out and one back do not cancel.
TEST(PointerTrack, EachWarpStopsAtTheScreenEdge) {
  PointerTrack t;
  NotePointerReading(&t, 1, 10, 1070);
  ASSERT_TRUE(NotePointerWarp(&t, 2, -50, 50));
  ExpectAt(t, 0, kHeight - 1);
  ASSERT_TRUE(NotePointerWarp(&t, 3, 50, -50));
  ExpectAt(t, 50, kHeight - 51);
  // Extreme steps do not overflow.
  ASSERT_TRUE(NotePointerWarp(&t, 4, INT_MAX, INT_MIN));
  ASSERT_TRUE(NotePointerWarp(&t, 5, INT_MAX, INT_MIN));
  ExpectAt(t, kWidth - 1, 0);
}

// A server that never answers our warps: past the limit the track gives up,
// and the caller asks the server instead of guessing.
TEST(PointerTrack, TooManyUnansweredWarpsForgetTheTrack) {
  PointerTrack t;
  NotePointerReading(&t, 1, 500, 500);
  for (int i = 0; i < kMaxPendingWarps; ++i) ASSERT_TRUE(NotePointerWarp(&t, 2 + i, 1, 0));
  ExpectAt(t, 500 + kMaxPendingWarps, 500);
  EXPECT_FALSE(NotePointerWarp(&t, 100, 1, 0));
  EXPECT_FALSE(At(t).known);
  // A new reading drops every warp sent before it.
  NotePointerReading(&t, 200, 30, 40);
  ExpectAt(t, 30, 40);
  EXPECT_EQ(t.pendingCount, 0);
}

}  // namespace
