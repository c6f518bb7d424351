// The pointer track: what the server's reports and our warps say about
// where the pointer is, in the order the server carried them out, and what
// the server drops of the fractions the person moved.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>

#include "platform/x11/pointer_track.h"

namespace {

using kv::x11::ForgetPointer;
using kv::x11::kMaxPendingWarps;
using kv::x11::NotePointerReading;
using kv::x11::NotePointerReport;
using kv::x11::NotePointerWarp;
using kv::x11::PendingWarp;
using kv::x11::PlanPointerWarp;
using kv::x11::PointerReport;
using kv::x11::PointerTrack;
using kv::x11::TrackedPointer;

constexpr int kWidth = 1920, kHeight = 1080;

struct Where {
  bool known;
  double x, y;
};

Where At(const PointerTrack& t) {
  Where w{false, -1, -1};
  w.known = TrackedPointer(t, kWidth, kHeight, &w.x, &w.y);
  return w;
}

void ExpectAt(const PointerTrack& t, double x, double y) {
  Where w = At(t);
  ASSERT_TRUE(w.known);
  EXPECT_EQ(w.x, x);
  EXPECT_EQ(w.y, y);
}

// A core event's report: whole pixels.
void Report(PointerTrack* t, unsigned long serial, int x, int y) {
  NotePointerReport(t, serial, x, y, PointerReport::kWhole);
}

// A warp by a move of our own choosing, nothing carried.
bool Warp(PointerTrack* t, unsigned long serial, int dx, int dy) {
  PendingWarp w;
  w.serial = serial;
  w.dx = dx;
  w.dy = dy;
  return NotePointerWarp(t, w);
}

TEST(PointerTrack, KnowsNothingUntilAReading) {
  PointerTrack t;
  EXPECT_FALSE(At(t).known);
  Report(&t, 5, 10, 10);  // a report alone is no base: earlier moves were not seen
  EXPECT_FALSE(At(t).known);
  EXPECT_FALSE(Warp(&t, 6, 1, 1));
  PendingWarp plan;
  EXPECT_FALSE(PlanPointerWarp(t, kWidth, kHeight, 1, 5, 5, &plan));
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
  Report(&t, 49, 1, 1);
  ExpectAt(t, 100, 200);
  Report(&t, 50, 110, 205);
  ExpectAt(t, 110, 205);
  Report(&t, 50, 120, 210);
  ExpectAt(t, 120, 210);
  Report(&t, 49, 1, 1);
  ExpectAt(t, 120, 210);
}

// The race the track exists for: the person moves, then our warp by the
// difference from the old reading goes out, then the report of the movement
// arrives (older than the warp), then the warp's own report.
TEST(PointerTrack, AReportOlderThanAWarpKeepsTheWarpOnTop) {
  PointerTrack t;
  NotePointerReading(&t, 10, 400, 300);
  ASSERT_TRUE(Warp(&t, 12, 100, 50));  // meant to land on (500, 350)
  ExpectAt(t, 500, 350);
  Report(&t, 11, 407, 297);  // the server moved by (7, -3) before the warp
  ExpectAt(t, 507, 347);
  Report(&t, 12, 507, 347);  // the warp's report: the warp is done
  ExpectAt(t, 507, 347);
  Report(&t, 13, 508, 347);
  ExpectAt(t, 508, 347);
}

// Every warp is waited for, one that does not move too: the server answers
// it with a report all the same (and puts the pointer on a whole pixel).
TEST(PointerTrack, WarpsStackUntilTheirReportsArrive) {
  PointerTrack t;
  NotePointerReading(&t, 1, 100, 100);
  ASSERT_TRUE(Warp(&t, 2, 10, 0));
  ASSERT_TRUE(Warp(&t, 3, 0, 20));
  ASSERT_TRUE(Warp(&t, 4, -5, -5));
  ExpectAt(t, 105, 115);
  Report(&t, 2, 110, 100);  // the first warp carried out; two still to come
  ExpectAt(t, 105, 115);
  Report(&t, 4, 105, 115);
  ExpectAt(t, 105, 115);
  EXPECT_EQ(t.pendingCount, 0);
  ASSERT_TRUE(Warp(&t, 5, 0, 0));
  EXPECT_EQ(t.pendingCount, 1);
  Report(&t, 5, 105, 115);
  EXPECT_EQ(t.pendingCount, 0);
}

// The server stops the pointer at the screen's edge after every warp, so a
// warp out and one back do not cancel.
TEST(PointerTrack, EachWarpStopsAtTheScreenEdge) {
  PointerTrack t;
  NotePointerReading(&t, 1, 10, 1070);
  ASSERT_TRUE(Warp(&t, 2, -50, 50));
  ExpectAt(t, 0, kHeight - 1);
  ASSERT_TRUE(Warp(&t, 3, 50, -50));
  ExpectAt(t, 50, kHeight - 51);
  // Extreme steps do not overflow.
  ASSERT_TRUE(Warp(&t, 4, INT_MAX, INT_MIN));
  ASSERT_TRUE(Warp(&t, 5, INT_MAX, INT_MIN));
  ExpectAt(t, kWidth - 1, 0);
}

// A server that never answers our warps: past the limit the track gives up,
// and the caller asks the server instead of guessing.
TEST(PointerTrack, TooManyUnansweredWarpsForgetTheTrack) {
  PointerTrack t;
  NotePointerReading(&t, 1, 500, 500);
  for (int i = 0; i < kMaxPendingWarps; ++i) ASSERT_TRUE(Warp(&t, 2 + i, 1, 0));
  ExpectAt(t, 500 + kMaxPendingWarps, 500);
  EXPECT_FALSE(Warp(&t, 100, 1, 0));
  EXPECT_FALSE(At(t).known);
  // A new reading drops every warp sent before it.
  NotePointerReading(&t, 200, 30, 40);
  ExpectAt(t, 30, 40);
  EXPECT_EQ(t.pendingCount, 0);
}

// What an X server does with the pointer, as far as the track is told:
// motion moves it by fractions, and a warp starts from the whole pixel.
// Every movement is reported with the serial of the last request done, as
// coming from the device that moved the pointer last.
class FakeServer {
 public:
  FakeServer(PointerTrack* track, double x, double y) : track_(track), x_(x), y_(y) {
    NotePointerReading(track_, done_, x_, y_);
  }
  void Move(double dx, double dy) {
    x_ += dx;
    y_ += dy;
    device_ = PointerReport::kMotion;
    NotePointerReport(track_, done_, x_, y_, device_);
  }
  // A device that puts the pointer at a place (a tablet, or a compositor's
  // pointer that is not locked): the next report undoes any warp.
  void Place(double x, double y) {
    x_ = x;
    y_ = y;
    device_ = PointerReport::kAbsolute;
    NotePointerReport(track_, done_, x_, y_, device_);
  }
  // The program plans a warp to (px, py) and sends it; it is carried out
  // later, by Serve.
  void SendWarp(int scale, int px, int py) {
    PendingWarp w;
    w.serial = ++sent_;
    ASSERT_TRUE(PlanPointerWarp(*track_, kWidth, kHeight, scale, px, py, &w));
    ASSERT_TRUE(NotePointerWarp(track_, w));
    queue_[count_++] = w;
  }
  void Serve() {
    for (int i = 0; i < count_; ++i) {
      x_ = std::floor(x_) + queue_[i].dx;
      y_ = std::floor(y_) + queue_[i].dy;
      done_ = queue_[i].serial;
      NotePointerReport(track_, done_, x_, y_, device_);
    }
    count_ = 0;
  }

 private:
  PointerTrack* track_;
  double x_, y_;
  unsigned long sent_ = 0, done_ = 0;
  PendingWarp queue_[kMaxPendingWarps];
  int count_ = 0;
  PointerReport device_ = PointerReport::kMotion;
};

// The game's mouse control: read the pointer's pixel, take the step from
// where it put the pointer last, put it back where the player now stands.
struct Player {
  int x, y;
  void Frame(const PointerTrack& track, FakeServer* server, int scale = 1) {
    double px = 0, py = 0;
    ASSERT_TRUE(TrackedPointer(track, kWidth, kHeight, &px, &py));
    x = static_cast<int>(std::floor(px)) / scale;
    y = static_cast<int>(std::floor(py)) / scale;
    server->SendWarp(scale, x, y);
  }
};

// Slow motion as a compositor sends it, a frame (and its warp) after each
// step: the player moves by the whole sum, in every direction, where
// dropping the fraction at each warp would move it +0, -100 and +50.
TEST(PointerTrack, FractionalMotionReachesTheProgramWhole) {
  struct Case {
    double step;
    int count;
    int moved;
  };
  for (const Case& c : {Case{+0.5, 100, +50}, Case{-0.5, 100, -50}, Case{+1.5, 50, +75},
                        Case{-0.25, 40, -10}, Case{+0.1, 100, +10}}) {
    SCOPED_TRACE(c.step);
    PointerTrack t;
    FakeServer server(&t, 400, 300);
    Player player{400, 300};
    for (int i = 0; i < c.count; ++i) {
      server.Move(c.step, c.step);
      player.Frame(t, &server);
      server.Serve();
    }
    player.Frame(t, &server);
    EXPECT_EQ(player.x, 400 + c.moved);
    EXPECT_EQ(player.y, 300 + c.moved);
  }
}

// The person moves between our reading and the server carrying out our
// warp, and the warp's report comes after the movement's: the fraction the
// server dropped is the one it had when it carried the warp out.
TEST(PointerTrack, MotionRacingAWarpIsNotLost) {
  PointerTrack t;
  FakeServer server(&t, 400, 300);
  Player player{400, 300};
  for (int i = 0; i < 30; ++i) {
    server.Move(0.25, -0.75);
    player.Frame(t, &server);
    server.Move(0.5, 0.5);  // after the reading, before the warp is done
    server.Serve();
  }
  player.Frame(t, &server);
  EXPECT_EQ(player.x, 400 + 22);  // 30 x 0.75 = 22.5
  EXPECT_EQ(player.y, 300 - 8);   // 30 x -0.25 = -7.5
  // Nothing is carried beyond the pixel the person's pointer is in.
  EXPECT_LT(std::fabs(t.carryX), 2);
  EXPECT_LT(std::fabs(t.carryY), 2);
}

// A device that gives places has nothing to carry: the player follows its
// place, whatever the warps between (carried, the fractions the warps drop
// would put it a pixel off here).
TEST(PointerTrack, APlaceGivenOutrightIsTakenAsItIs) {
  PointerTrack t;
  FakeServer server(&t, 400, 300);
  Player player{400, 300};
  for (int i = 1; i <= 40; ++i) {
    server.Place(400.5 + 0.25 * i, 300.75);
    player.Frame(t, &server);
    server.Serve();
    player.Frame(t, &server);
    server.Serve();
  }
  EXPECT_EQ(player.x, 410);  // 410.5
  EXPECT_EQ(player.y, 300);  // 300.75
  // A mouse after the tablet: from there on, carried again.
  for (int i = 0; i < 10; ++i) {
    server.Move(0.5, 0);
    player.Frame(t, &server);
    server.Serve();
  }
  player.Frame(t, &server);
  EXPECT_EQ(player.x, 415);
}

// Scaled up, a warp moves the person's pointer by whole program pixels and
// keeps its place within one, fraction and all.
TEST(PointerTrack, ScaledWarpsKeepThePlaceWithinAProgramPixel) {
  PointerTrack t;
  FakeServer server(&t, 401, 600);
  server.Move(0.5, 1.75);                        // 401.5, 601.75: program pixel 200, 300
  server.SendWarp(2, 210, 100);                  // 421.5, 201.75
  server.Serve();
  ExpectAt(t, 421.5, 201.75);
  server.Move(0.5, 0.25);                        // 422, 202: program pixel 211, 101
  ExpectAt(t, 422, 202);
}

// Core events (a button, motion outside our windows) give whole pixels: one
// that agrees with the base keeps its fraction, one that does not replaces it.
TEST(PointerTrack, WholeReportsKeepTheFractionTheyAgreeWith) {
  PointerTrack t;
  NotePointerReading(&t, 1, 400, 300);
  NotePointerReport(&t, 2, 400.5, 300.25, PointerReport::kMotion);
  Report(&t, 3, 400, 300);
  ExpectAt(t, 400.5, 300.25);
  Report(&t, 4, 402, 300);
  ExpectAt(t, 402, 300.25);
  // A reading starts afresh: nothing carried.
  t.carryX = 0.5;
  NotePointerReading(&t, 5, 10, 10);
  ExpectAt(t, 10, 10);
}

// Near the screen's edge the carry never puts the person's pointer off it
// (a motion that raced a warp can leave it just beyond the server's).
TEST(PointerTrack, TheCarryStaysOnTheScreen) {
  PointerTrack t;
  NotePointerReading(&t, 1, 0, kHeight - 1);
  t.carryX = -0.25;
  t.carryY = 0.75;
  ExpectAt(t, 0, kHeight - 1);
}

}  // namespace
