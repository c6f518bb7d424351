// Building a match, its layout, and the reset after a goal.
#include "tests/sim/sim_fixture.h"

namespace {

void ExpectBounds(const Bounds& b, float maxX, float maxY, float minX, float minY) {
  EXPECT_EQ(b.maxX, maxX);
  EXPECT_EQ(b.maxY, maxY);
  EXPECT_EQ(b.minX, minX);
  EXPECT_EQ(b.minY, minY);
}

void ExpectSprite(const Sprite* s, float cx, float cy, float r, float px, float py) {
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->circle.x, cx);
  EXPECT_EQ(s->circle.y, cy);
  EXPECT_EQ(s->circle.radius, r);
  EXPECT_EQ(s->position.x, px);
  EXPECT_EQ(s->position.y, py);
  EXPECT_EQ(s->velocity.x, 0.0f);
  EXPECT_EQ(s->velocity.y, 0.0f);
}

using MatchTest = SimTest;

TEST_F(MatchTest, EachBodyKeepsToItsPartOfTheStandardPitch) {
  // Driven hard towards every corner, each circle stops with its edge on
  // the lines of its own rectangle: the ball on the pitch (45..955 by
  // 15..585), the left player in its half (90..500), the right player in
  // the other (500..910).
  struct Corner {
    float vx, vy;
  };
  const Corner corners[] = {{-1.0e6f, -1.0e6f}, {1.0e6f, -1.0e6f}, {-1.0e6f, 1.0e6f},
                            {1.0e6f, 1.0e6f}};
  const float humanX[] = {130.0f, 460.0f, 130.0f, 460.0f};
  const float computerX[] = {540.0f, 870.0f, 540.0f, 870.0f};
  const float ballX[] = {70.0f, 930.0f, 70.0f, 930.0f};
  const float playerY[] = {55.0f, 55.0f, 545.0f, 545.0f};
  const float ballY[] = {40.0f, 40.0f, 560.0f, 560.0f};
  for (int i = 0; i < 4; ++i) {
    SCOPED_TRACE(i);
    Place(match->human, 150.0f, 300.0f, corners[i].vx, corners[i].vy);
    MoveAndConfine(*match->human, match->humanBounds, 0.002f);
    EXPECT_EQ(match->human->position.x, humanX[i]);
    EXPECT_EQ(match->human->position.y, playerY[i]);

    Place(match->computer, 850.0f, 300.0f, corners[i].vx, corners[i].vy);
    MoveAndConfine(*match->computer, match->computerBounds, 0.002f);
    EXPECT_EQ(match->computer->position.x, computerX[i]);
    EXPECT_EQ(match->computer->position.y, playerY[i]);

    // The ball is clamped before it moves: pushed beyond a corner, it comes
    // back inside, away from both goals.
    Place(match->human, 300.0f, 300.0f);
    Place(match->computer, 700.0f, 300.0f);
    Place(match->ball, ballX[i] + corners[i].vx, ballY[i] + corners[i].vy);
    match->MoveBall(0.002f);
    EXPECT_EQ(match->ball->position.x, ballX[i]);
    EXPECT_EQ(match->ball->position.y, ballY[i]);
    EXPECT_EQ(match->leftScore + match->rightScore, 0);
  }

  // The goal mouths: the left box takes a ball whose centre reaches x = 95,
  // the right one from x = 905, both between y = 225 and 375.
  Place(match->ball, 95.0f, 375.0f);
  match->MoveBall(0.0f);
  EXPECT_EQ(match->rightScore, 1);
  Place(match->ball, 905.0f, 225.0f);
  match->MoveBall(0.0f);
  EXPECT_EQ(match->leftScore, 1);
  Place(match->ball, 500.0f, 300.0f);
  match->MoveBall(0.0f);
  EXPECT_EQ(match->leftScore + match->rightScore, 2);
}

TEST_F(MatchTest, LayoutFollowsTheCentre) {
  Match other(nullptr, Vector2(400.0f, 250.0f));
  ExpectBounds(other.ballBounds, 755.0f, 485.0f, 45.0f, 15.0f);
  ExpectBounds(other.humanBounds, 400.0f, 485.0f, 90.0f, 15.0f);
  ExpectBounds(other.computerBounds, 710.0f, 485.0f, 400.0f, 15.0f);
  ExpectBounds(other.rightGoal, 755.0f, 375.0f, 705.0f, 225.0f);
  ExpectBounds(other.leftGoal, 95.0f, 375.0f, 45.0f, 225.0f);
  EXPECT_EQ(other.ball->circle.x, 400.0f);
  EXPECT_EQ(other.ball->position.y, 250.0f);
  // The homes do not follow the centre.
  EXPECT_EQ(other.human->position.x, 150.0f);
  EXPECT_EQ(other.computer->position.x, 850.0f);

  // Far out, where floats are 4 apart: the right player's edge is taken
  // from the ball's already rounded edge, not computed afresh.
  Match huge(nullptr, Vector2(24558498.0f, 300.0f));
  EXPECT_EQ(huge.ballBounds.maxX, 49116952.0f);
  EXPECT_EQ(huge.computerBounds.maxX, 49116908.0f);
  EXPECT_EQ(huge.rightGoal.minX, 49116900.0f);
}

TEST_F(MatchTest, GoalCountsAndResetsTheBodies) {
  match->stopped = 0;
  match->computerCooldown = 0.05f;
  Place(match->ball, 80.0f, 250.0f, -400.0f, 30.0f);
  match->ball->circle.radius = 25.0f;
  Place(match->human, 300.0f, 200.0f, 120.0f, -60.0f);
  Place(match->computer, 700.0f, 400.0f, -300.0f, 0.0f);

  match->Goal(false);
  EXPECT_EQ(match->leftScore, 0);
  EXPECT_EQ(match->rightScore, 1);
  EXPECT_EQ(match->stopped, 1);
  ExpectSprite(match->ball, 500.0f, 300.0f, 25.0f, 500.0f, 300.0f);
  EXPECT_EQ(match->human->position.x, 150.0f);
  EXPECT_EQ(match->human->position.y, 300.0f);
  EXPECT_EQ(match->computer->position.x, 850.0f);
  EXPECT_EQ(match->computer->position.y, 300.0f);
  EXPECT_EQ(match->human->velocity.x, 0.0f);
  EXPECT_EQ(match->human->velocity.y, 0.0f);
  EXPECT_EQ(match->computer->velocity.x, 0.0f);
  EXPECT_EQ(match->computer->velocity.y, 0.0f);
  // The players' circles stay where they were; the cooldown is kept.
  EXPECT_EQ(match->human->circle.x, 300.0f);
  EXPECT_EQ(match->human->circle.y, 200.0f);
  EXPECT_EQ(match->computer->circle.x, 700.0f);
  EXPECT_EQ(match->computer->circle.y, 400.0f);
  EXPECT_EQ(match->computerCooldown, 0.05f);
  // Rectangles untouched.
  EXPECT_EQ(match->ballBounds.maxX, 955.0f);
  EXPECT_EQ(match->rightGoal.minX, 905.0f);

  match->stopped = 0;
  match->Goal(true);
  match->Goal(true);
  EXPECT_EQ(match->leftScore, 2);
  EXPECT_EQ(match->rightScore, 1);
  EXPECT_EQ(match->stopped, 1);
}

}  // namespace
