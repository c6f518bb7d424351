#include "sim/match.h"
#include "sim/numbers.h"

void Match::MoveBall(float dt) {
  using kv_num::Store;
  Collide(human);
  // The right player rests for a moment after each kick.
  if (Collide(computer)) computerCooldown = 0.1f;

  Vector2& velocity = ball->velocity;
  const float speed = kv_num::Length(velocity.x, velocity.y);
  // At the cap too: such a ball is scaled again and may move a last bit.
  if (maxBallSpeed <= speed) velocity = AtSpeed(velocity, maxBallSpeed);

  // Bounce on where the ball is now, whatever way it is moving; all four
  // tests see the same place.
  const double x = ball->circle.x;
  const double y = ball->circle.y;
  const double r = ball->circle.radius;
  if (ballBounds.minX > x - r) velocity.x = -velocity.x;
  if (ballBounds.maxX < x + r) velocity.x = -velocity.x;
  if (ballBounds.minY > y - r) velocity.y = -velocity.y;
  if (ballBounds.maxY < y + r) velocity.y = -velocity.y;

  ballBounds.Clamp(ball->circle);
  Vector2& position = ball->position;
  position = Vector2(ball->circle.x, ball->circle.y);

  const Vector2 displacement(Store(static_cast<double>(velocity.x) * dt),
                             Store(static_cast<double>(velocity.y) * dt));
  position.x = Store(static_cast<double>(position.x) + displacement.x);
  position.y = Store(static_cast<double>(position.y) + displacement.y);
  ball->circle.x = position.x;
  ball->circle.y = position.y;

  if (PointInBounds(leftGoal, ball->position)) Goal(false);
  // Read again: a goal on the left has put the ball back on the centre spot.
  if (PointInBounds(rightGoal, ball->position)) Goal(true);
}
