// The left player follows the mouse; the cursor is pinned to it.
#include "tests/sim/window_fixture.h"

namespace {

using HumanTest = WindowMatchTest;

TEST_F(HumanTest, StartPlayPinsCapturesAndHidesTheCursor) {
  kv::headless::MoveMouse(10, 10);
  StartPlay();
  EXPECT_EQ(match->stopped, 0);
  EXPECT_EQ(kv::headless::PointerX(), originX + 150);
  EXPECT_EQ(kv::headless::PointerY(), originY + 300);
  EXPECT_EQ(match->cursorAnchor.x, originX + 150);
  EXPECT_EQ(match->cursorAnchor.y, originY + 300);
  EXPECT_EQ(GetCapture(), window);
  EXPECT_TRUE(kv::headless::PointerHidden());

  // Again during play, from a fractional place: back onto the player, the
  // anchor read again, still captured and hidden.
  match->human->position = Vector2(200.7f, 300.2f);
  kv::headless::MoveMouseBy(13, -4);
  StartPlay();
  EXPECT_EQ(match->stopped, 0);
  EXPECT_EQ(match->cursorAnchor.x, originX + 200);
  EXPECT_EQ(match->cursorAnchor.y, originY + 300);
  EXPECT_EQ(GetCapture(), window);
  EXPECT_TRUE(kv::headless::PointerHidden());

  // Hidden only once: one stop shows it again.
  match->Goal(true);
  EXPECT_FALSE(kv::headless::PointerHidden());
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(match->stopped, 1);
  SetCursorVisible(true);  // a stop signalled again changes nothing
  StartPlay();
  EXPECT_TRUE(kv::headless::PointerHidden());
  // After the goal the cursor jumps to the home spot.
  EXPECT_EQ(kv::headless::PointerX(), originX + 150);
  EXPECT_EQ(kv::headless::PointerY(), originY + 300);
}

TEST_F(HumanTest, StartPlayWithoutAMatchDoesNothing) {
  Match* saved = gMatch;
  gMatch = nullptr;
  kv::headless::MoveMouse(10, 10);
  StartPlay();
  EXPECT_EQ(kv::headless::PointerX(), 10);
  EXPECT_FALSE(kv::headless::PointerHidden());
  EXPECT_EQ(GetCapture(), nullptr);
  gMatch = saved;
}

TEST_F(HumanTest, PlayerMovesByTheMouseDisplacement) {
  StartPlay();
  match->MoveHuman(0.002f);  // the mouse has not moved
  EXPECT_EQ(match->human->velocity.x, 0.0f);
  EXPECT_EQ(match->human->velocity.y, 0.0f);
  EXPECT_EQ(match->human->position.x, 150.0f);
  EXPECT_EQ(kv::headless::PointerX(), originX + 150);

  kv::headless::MoveMouseBy(3, 0);
  match->MoveHuman(0.002f);
  EXPECT_EQ(match->human->velocity.x, 1499.9998779296875f);
  EXPECT_EQ(match->human->velocity.y, 0.0f);
  EXPECT_EQ(match->human->position.x, 153.0f);
  EXPECT_EQ(match->human->circle.x, 153.0f);
  EXPECT_EQ(match->cursorAnchor.x, originX + 153);
  EXPECT_EQ(kv::headless::PointerX(), originX + 153);

  kv::headless::MoveMouseBy(21, -21);
  match->MoveHuman(0.002f);
  EXPECT_EQ(match->human->velocity.x, 10499.9990234375f);
  EXPECT_EQ(match->human->velocity.y, -10499.9990234375f);
  EXPECT_EQ(match->human->position.x, 174.0f);
  EXPECT_EQ(match->human->position.y, 279.0f);
  EXPECT_EQ(kv::headless::PointerY(), originY + 279);

  // The same displacement at a larger step is a slower mouse.
  kv::headless::MoveMouseBy(-8, 4);
  match->MoveHuman(0.008f);
  EXPECT_NEAR(match->human->velocity.x, -1000.0f, 1e-3f);
  EXPECT_NEAR(match->human->velocity.y, 500.0f, 1e-3f);
  EXPECT_EQ(match->human->position.x, 166.0f);
  EXPECT_EQ(match->human->position.y, 283.0f);
  Pump();
}

TEST_F(HumanTest, ZeroStepDropsTheMovement) {
  StartPlay();
  kv::headless::MoveMouseBy(10, 7);
  match->MoveHuman(0.0f);
  EXPECT_EQ(match->human->velocity.x, 0.0f);
  EXPECT_EQ(match->human->velocity.y, 0.0f);
  EXPECT_EQ(match->human->position.x, 150.0f);
  EXPECT_EQ(kv::headless::PointerX(), originX + 150);
  EXPECT_EQ(kv::headless::PointerY(), originY + 300);
  match->MoveHuman(0.002f);
  EXPECT_EQ(match->human->position.x, 150.0f);
  Pump();
}

TEST_F(HumanTest, EdgesHoldThePlayerAndTheCursor) {
  StartPlay();
  match->human->position = Vector2(455.0f, 300.0f);
  match->cursorAnchor = POINT{originX + 455, originY + 300};
  kv::headless::MoveMouse(originX + 475, originY + 300);
  match->MoveHuman(0.002f);
  EXPECT_EQ(match->human->position.x, 460.0f);
  EXPECT_EQ(match->human->circle.x, 460.0f);
  EXPECT_EQ(match->human->velocity.x, 10000.0f);  // the full pull
  EXPECT_EQ(PointerClient().x, 460);

  // Far outside the window, up and left: the player goes as far as its
  // rectangle allows and the cursor comes back onto it.
  kv::headless::MoveMouse(0, 0);
  match->MoveHuman(0.004f);
  EXPECT_EQ(match->human->position.x, 130.0f);
  EXPECT_EQ(match->human->position.y, 55.0f);
  EXPECT_EQ(PointerClient().x, 130);
  EXPECT_EQ(PointerClient().y, 55);
  Pump();
}

TEST_F(HumanTest, CursorKeptOnTheScreenCountsAsAMovement) {
  // The screen ends left of the player's place.
  kv::headless::SetScreenSize(originX + 200, 1080);
  match->human->position = Vector2(300.0f, 300.0f);
  StartPlay();
  EXPECT_EQ(match->cursorAnchor.x, originX + 199);  // where it really is
  // The first frame measures from there; the mouse has not moved.
  match->MoveHuman(0.002f);
  EXPECT_EQ(match->human->position.x, 300.0f);
  EXPECT_EQ(match->cursorAnchor.x, originX + 300);  // not read back
  EXPECT_EQ(kv::headless::PointerX(), originX + 199);
  // The next frame sees the difference as the mouse moving left, and the
  // player comes onto the visible part, where it stays.
  match->MoveHuman(0.002f);
  EXPECT_EQ(match->human->position.x, 199.0f);
  match->MoveHuman(0.002f);
  EXPECT_EQ(match->human->position.x, 199.0f);
  EXPECT_EQ(match->human->velocity.x, 0.0f);
  Pump();
}

}  // namespace
