// The kick: the ball's velocity reflected along the contact normal about
// the player's.
#include "tests/sim/sim_fixture.h"

namespace {

using CollideTest = SimTest;

TEST_F(CollideTest, RunningPlayerKicksTheBallAtRest) {
  Place(match->ball, 500.0f, 300.0f);
  Place(match->human, 440.0f, 300.0f, 1000.0f, 0.0f);
  EXPECT_TRUE(match->Collide(match->human));
  EXPECT_EQ(match->ball->circle.x, 505.0f);
  EXPECT_EQ(match->ball->circle.y, 300.0f);
  EXPECT_EQ(match->ball->position.x, 505.0f);
  EXPECT_EQ(match->ball->position.y, 300.0f);
  EXPECT_EQ(match->ball->velocity.x, 2000.0f);
  EXPECT_EQ(match->ball->velocity.y, 0.0f);
  // The player is immovable.
  EXPECT_EQ(match->human->circle.x, 440.0f);
  EXPECT_EQ(match->human->position.x, 440.0f);
  EXPECT_EQ(match->human->velocity.x, 1000.0f);
}

TEST_F(CollideTest, ReflectionKeepsTheVelocityAcrossTheNormal) {
  // Normal (0.6, 0.8); ball moving (-100, 50) towards a player at rest:
  // along the normal -20, across it unchanged.
  Place(match->computer, 600.0f, 300.0f);
  Place(match->ball, 630.0f, 340.0f, -100.0f, 50.0f);
  EXPECT_TRUE(match->Collide(match->computer));
  const Vector2 v = match->ball->velocity;
  EXPECT_NEAR(v.x * 0.6 + v.y * 0.8, 20.0, 1e-4);
  EXPECT_NEAR(-v.x * 0.8 + v.y * 0.6, 110.0, 1e-4);
  EXPECT_EQ(match->ball->circle.x, 639.0f);
  EXPECT_EQ(match->ball->circle.y, 352.0f);
}

TEST_F(CollideTest, SeparatingBallIsPushedOutButNotKicked) {
  // At rest, overlapped by a player running away from it.
  Place(match->ball, 500.0f, 300.0f);
  Place(match->computer, 540.0f, 300.0f, 300.0f, 0.0f);
  EXPECT_FALSE(match->Collide(match->computer));
  EXPECT_EQ(match->ball->circle.x, 475.0f);
  EXPECT_EQ(match->ball->position.x, 475.0f);
  EXPECT_EQ(match->ball->velocity.x, 0.0f);
  EXPECT_EQ(match->ball->velocity.y, 0.0f);
}

TEST_F(CollideTest, ZeroDotStillCountsAsAKick) {
  // Both at rest and touching.
  Place(match->ball, 500.0f, 300.0f);
  Place(match->computer, 565.0f, 300.0f);
  EXPECT_TRUE(match->Collide(match->computer));
  EXPECT_EQ(match->ball->circle.x, 500.0f);
  EXPECT_EQ(match->ball->velocity.x, 0.0f);

  // Centres coinciding: no normal, velocity unchanged, still true.
  Place(match->ball, 700.0f, 200.0f, 30.0f, -40.0f);
  Place(match->computer, 700.0f, 200.0f, 300.0f, 0.0f);
  EXPECT_TRUE(match->Collide(match->computer));
  EXPECT_EQ(match->ball->circle.x, 700.0f);
  EXPECT_EQ(match->ball->circle.y, 200.0f);
  EXPECT_EQ(match->ball->velocity.x, 30.0f);
  EXPECT_EQ(match->ball->velocity.y, -40.0f);
}

TEST_F(CollideTest, NoContactChangesNothing) {
  Place(match->ball, 565.01f, 300.0f, 10.0f, 0.0f);
  Place(match->computer, 500.0f, 300.0f, 300.0f, 0.0f);
  EXPECT_FALSE(match->Collide(match->computer));
  EXPECT_EQ(match->ball->circle.x, 565.01f);
  EXPECT_EQ(match->ball->position.x, 565.01f);
  EXPECT_EQ(match->ball->velocity.x, 10.0f);
  EXPECT_FALSE(match->Collide(nullptr));
}

}  // namespace
