// The right player: chase the ball in its own area, otherwise go home.
#include "tests/sim/sim_fixture.h"

namespace {

using MoveComputerTest = SimTest;

TEST_F(MoveComputerTest, AnyPositiveCooldownFreezesEverything) {
  Place(match->ball, 700.0f, 300.0f);
  Place(match->computer, 800.0f, 300.0f, 300.0f, 0.0f);
  match->computer->circle.x = 780.0f;  // circle left behind by a goal
  match->computerCooldown = 1e-30f;
  match->MoveComputer(0.008f);
  EXPECT_EQ(match->computer->position.x, 800.0f);
  EXPECT_EQ(match->computer->circle.x, 780.0f);
  EXPECT_EQ(match->computer->velocity.x, 300.0f);
  EXPECT_EQ(match->computer->velocity.y, 0.0f);
  EXPECT_EQ(match->computerCooldown, 1e-30f);

  // Zero or a little below: it steers and moves.
  for (float cooldown : {0.0f, -0.0005f}) {
    Place(match->computer, 800.0f, 300.0f, 300.0f, 0.0f);
    match->computerCooldown = cooldown;
    match->MoveComputer(0.002f);
    EXPECT_EQ(match->computer->velocity.x, -300.0f);
    EXPECT_EQ(match->computer->position.x, 799.4f);
    EXPECT_EQ(match->computer->circle.x, 799.4f);
  }
}

TEST_F(MoveComputerTest, ChaseAreaIsTheRectangleWithItsEdges) {
  const float insideX[] = {500.0f, 910.0f};
  for (float bx : insideX) {
    Place(match->computer, 700.0f, 300.0f);
    Place(match->ball, bx, 300.0f);
    match->MoveComputer(0.002f);
    EXPECT_EQ(match->computer->velocity.x, bx < 700.0f ? -300.0f : 300.0f) << bx;
  }
  Place(match->computer, 700.0f, 300.0f);
  Place(match->ball, 500.0f, 15.0f);  // the top-left corner of the area
  match->MoveComputer(0.002f);
  EXPECT_NEAR(match->computer->velocity.x, -172.33f, 0.01f);
  EXPECT_NEAR(match->computer->velocity.y, -245.57f, 0.01f);

  // Just outside: back home, from (700, 300) straight right.
  const float outsideX[] = {499.5f, 910.5f};
  for (float bx : outsideX) {
    Place(match->computer, 700.0f, 300.0f);
    Place(match->ball, bx, 300.0f);
    match->MoveComputer(0.002f);
    EXPECT_EQ(match->computer->velocity.x, 300.0f) << bx;
    EXPECT_EQ(match->computer->velocity.y, 0.0f) << bx;
    EXPECT_EQ(match->computer->position.x, 700.6f) << bx;
  }
}

TEST_F(MoveComputerTest, ChaseSpeedIgnoresTheDistance) {
  Place(match->computer, 700.0f, 300.0f);
  Place(match->ball, 700.0f, 303.0f);
  match->MoveComputer(0.004f);
  EXPECT_EQ(match->computer->velocity.x, 0.0f);
  EXPECT_EQ(match->computer->velocity.y, 300.0f);
  EXPECT_EQ(match->computer->position.y, 301.2f);

  Place(match->computer, 600.0f, 200.0f);
  Place(match->ball, 840.0f, 520.0f);  // 400 away along (0.6, 0.8)
  match->MoveComputer(0.004f);
  EXPECT_EQ(match->computer->velocity.x, 180.0f);
  EXPECT_EQ(match->computer->velocity.y, 240.0f);

  // On the ball: no direction, it stands.
  Place(match->computer, 650.5f, 222.25f, 300.0f, 0.0f);
  Place(match->ball, 650.5f, 222.25f);
  match->MoveComputer(0.008f);
  EXPECT_EQ(match->computer->velocity.x, 0.0f);
  EXPECT_EQ(match->computer->velocity.y, 0.0f);
  EXPECT_EQ(match->computer->position.x, 650.5f);
  EXPECT_EQ(match->computer->position.y, 222.25f);
}

TEST_F(MoveComputerTest, StopsWithinFivePixelsOfHome) {
  Place(match->ball, 300.0f, 300.0f);  // the other half

  Place(match->computer, 853.0f, 304.0f, -300.0f, 0.0f);  // exactly 5 away
  match->MoveComputer(0.008f);
  EXPECT_EQ(match->computer->velocity.x, 0.0f);
  EXPECT_EQ(match->computer->velocity.y, 0.0f);
  EXPECT_EQ(match->computer->position.x, 853.0f);
  EXPECT_EQ(match->computer->position.y, 304.0f);

  Place(match->computer, 855.001f, 300.0f);  // a little more than 5
  match->MoveComputer(0.008f);
  EXPECT_EQ(match->computer->velocity.x, -300.0f);
  EXPECT_EQ(match->computer->velocity.y, 0.0f);

  // From far away it walks home and comes to rest within the 5 pixels,
  // never stepping across the spot, at every time step.
  for (float dt : {0.002f, 0.004f, 0.006f, 0.008f}) {
    Place(match->computer, 600.0f, 100.0f);
    for (int i = 0; i < 2000; ++i) match->MoveComputer(dt);
    const double dx = match->computer->position.x - 850.0;
    const double dy = match->computer->position.y - 300.0;
    EXPECT_LE(dx * dx + dy * dy, 25.0) << dt;
    EXPECT_LT(dx, 0.0) << dt;  // approached from the upper left, still there
    EXPECT_LT(dy, 0.0) << dt;
    EXPECT_EQ(match->computer->velocity.x, 0.0f) << dt;
  }
}

TEST_F(MoveComputerTest, ClampHoldsThePlayerButNotItsVelocity) {
  Place(match->ball, 905.0f, 300.0f);
  Place(match->computer, 870.0f, 300.0f);
  match->MoveComputer(0.008f);
  EXPECT_EQ(match->computer->velocity.x, 300.0f);
  EXPECT_EQ(match->computer->velocity.y, 0.0f);
  EXPECT_EQ(match->computer->position.x, 870.0f);
  EXPECT_EQ(match->computer->circle.x, 870.0f);
}

}  // namespace
