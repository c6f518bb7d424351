// One step of the ball: kicks, speed cap, bounces, motion and goals.
#include "tests/sim/sim_fixture.h"

namespace {

using MoveBallTest = SimTest;

TEST_F(MoveBallTest, BallAtRestStaysAndScoresNothing) {
  match->stopped = 0;
  match->MoveBall(0.008f);
  EXPECT_EQ(match->ball->circle.x, 500.0f);
  EXPECT_EQ(match->ball->circle.y, 300.0f);
  EXPECT_EQ(match->ball->position.x, 500.0f);
  EXPECT_EQ(match->leftScore + match->rightScore, 0);
  EXPECT_EQ(match->stopped, 0);
}

TEST_F(MoveBallTest, SpeedIsCappedBeforeTheBallMoves) {
  Place(match->ball, 500.0f, 300.0f, 1200.0f, 0.0f);
  match->MoveBall(0.002f);
  EXPECT_EQ(match->ball->velocity.x, 1000.0f);
  EXPECT_EQ(match->ball->velocity.y, 0.0f);
  EXPECT_EQ(match->ball->position.x, 502.0f);
  EXPECT_EQ(match->ball->circle.x, 502.0f);

  // Exactly at the cap: normalised and scaled again, the speed is kept.
  Place(match->ball, 500.0f, 300.0f, 600.0f, -800.0f);
  match->MoveBall(0.002f);
  EXPECT_NEAR(match->ball->velocity.x, 600.0f, 1e-3f);
  EXPECT_NEAR(match->ball->velocity.y, -800.0f, 1e-3f);
  Place(match->ball, 500.0f, 300.0f, 0.0f, 1000.0f);
  match->MoveBall(0.002f);
  EXPECT_EQ(match->ball->velocity.y, 1000.0f);
  // Its length is exactly 1000, and scaling it again moves y by one unit
  // in the last place: proof that a ball at the cap goes through it.
  Place(match->ball, 500.0f, 300.0f, 862.4190063476562f, 506.1950988769531f);
  match->MoveBall(0.002f);
  EXPECT_EQ(match->ball->velocity.x, 862.4190063476562f);
  EXPECT_EQ(match->ball->velocity.y, 506.19512939453125f);

  // Below the cap: untouched, to the last bit.
  Place(match->ball, 500.0f, 300.0f, 999.0f, 0.0f);
  match->MoveBall(0.002f);
  EXPECT_EQ(match->ball->velocity.x, 999.0f);
  Place(match->ball, 500.0f, 300.0f, 599.9f, -799.9f);
  match->MoveBall(0.002f);
  EXPECT_EQ(match->ball->velocity.x, 599.9f);
  EXPECT_EQ(match->ball->velocity.y, -799.9f);
}

TEST_F(MoveBallTest, KickIsCappedInTheSameStep) {
  Place(match->ball, 500.0f, 300.0f);
  Place(match->human, 440.0f, 300.0f, 1000.0f, 0.0f);
  match->MoveBall(0.002f);
  EXPECT_EQ(match->ball->velocity.x, 1000.0f);
  EXPECT_EQ(match->ball->position.x, 507.0f);  // pushed to 505, then 2 more
  EXPECT_EQ(match->computerCooldown, 0.0f);    // the left player's kick
}

TEST_F(MoveBallTest, EdgesBounceOnThePlaceBeforeTheMotion) {
  // Exactly touching the left edge: no bounce, no clamp.
  Place(match->ball, 70.0f, 100.0f, -300.0f, 0.0f);
  match->MoveBall(0.004f);
  EXPECT_EQ(match->ball->velocity.x, -300.0f);
  EXPECT_EQ(match->ball->position.x, 68.8f);
  // Now beyond the edge: bounced and put back before it moves.
  match->MoveBall(0.004f);
  EXPECT_EQ(match->ball->velocity.x, 300.0f);
  EXPECT_EQ(match->ball->position.x, 71.2f);

  // Pushed beyond the edge while moving inwards: turned outwards, clamped,
  // moves out, and is turned back at the next step.
  Place(match->ball, 60.0f, 100.0f, 300.0f, 0.0f);
  match->MoveBall(0.002f);
  EXPECT_EQ(match->ball->velocity.x, -300.0f);
  EXPECT_EQ(match->ball->circle.x, 69.4f);
  EXPECT_EQ(match->ball->position.x, 69.4f);
  match->MoveBall(0.002f);
  EXPECT_EQ(match->ball->velocity.x, 300.0f);
  EXPECT_EQ(match->ball->position.x, 70.6f);

  // The far corner: both components turn.
  Place(match->ball, 940.0f, 570.0f, 200.0f, 100.0f);
  match->MoveBall(0.002f);
  EXPECT_EQ(match->ball->velocity.x, -200.0f);
  EXPECT_EQ(match->ball->velocity.y, -100.0f);
  EXPECT_EQ(match->ball->position.x, 929.6f);
  EXPECT_EQ(match->ball->position.y, 559.8f);
}

TEST_F(MoveBallTest, GoalBoxesTestTheCentreEdgesIncluded) {
  match->stopped = 0;
  Place(match->ball, 95.0f, 225.0f);
  match->MoveBall(0.002f);
  EXPECT_EQ(match->rightScore, 1);
  EXPECT_EQ(match->leftScore, 0);
  EXPECT_EQ(match->stopped, 1);
  EXPECT_EQ(match->ball->position.x, 500.0f);
  EXPECT_EQ(match->ball->position.y, 300.0f);
  EXPECT_EQ(match->ball->circle.x, 500.0f);
  EXPECT_EQ(match->ball->velocity.x, 0.0f);

  match->stopped = 0;
  Place(match->ball, 95.5f, 225.0f);
  match->MoveBall(0.002f);
  EXPECT_EQ(match->rightScore, 1);
  EXPECT_EQ(match->stopped, 0);
  Place(match->ball, 95.0f, 224.5f);
  match->MoveBall(0.002f);
  EXPECT_EQ(match->rightScore, 1);

  // The right box scores for the left player, also reached by the motion.
  Place(match->ball, 900.0f, 375.0f, 1000.0f, 0.0f);
  match->MoveBall(0.005f);
  EXPECT_EQ(match->leftScore, 1);
  EXPECT_EQ(match->rightScore, 1);
  EXPECT_EQ(match->stopped, 1);
  EXPECT_EQ(match->human->position.x, 150.0f);
  EXPECT_EQ(match->computer->position.x, 850.0f);
}

TEST_F(MoveBallTest, LeftKickComesFirstAndOnlyTheRightStartsTheCooldown) {
  // The ball between the two players: the left player's kick sends it
  // right at 400 and pushes it to 500; the right player then meets it
  // there, pushes it back to 495 and reflects it to -400. The other order
  // would leave it moving right from 500.
  Place(match->human, 435.0f, 300.0f, 200.0f, 0.0f);
  Place(match->ball, 500.0f, 300.0f);
  Place(match->computer, 560.0f, 300.0f);
  match->MoveBall(0.002f);
  EXPECT_EQ(match->ball->velocity.x, -400.0f);
  EXPECT_EQ(match->ball->position.x, 494.2f);
  EXPECT_EQ(match->computerCooldown, 0.1f);

  // A right player running away from the ball pushes it but does not kick.
  match->computerCooldown = 0.0f;
  Place(match->human, 150.0f, 300.0f);
  Place(match->ball, 700.0f, 300.0f);
  Place(match->computer, 750.0f, 300.0f, 300.0f, 0.0f);
  match->MoveBall(0.002f);
  EXPECT_EQ(match->computerCooldown, 0.0f);
  EXPECT_EQ(match->ball->velocity.x, 0.0f);
  EXPECT_EQ(match->ball->position.x, 685.0f);

  // The right player running into the ball kicks it and rests.
  Place(match->ball, 700.0f, 300.0f);
  Place(match->computer, 760.0f, 300.0f, -300.0f, 0.0f);
  match->MoveBall(0.002f);
  EXPECT_EQ(match->computerCooldown, 0.1f);
  EXPECT_EQ(match->ball->velocity.x, -600.0f);
  EXPECT_EQ(match->ball->position.x, 693.8f);

  // A resting ball against the resting right player restarts it too.
  match->computerCooldown = 0.0f;
  Place(match->ball, 700.0f, 300.0f);
  Place(match->computer, 765.0f, 300.0f);
  match->MoveBall(0.002f);
  EXPECT_EQ(match->computerCooldown, 0.1f);
}

}  // namespace
