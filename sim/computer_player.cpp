#include "sim/match.h"
#include "sim/numbers.h"

namespace {

// Within this distance of its home spot the right player stands still.
const float kHomeStopDistance = 5.0f;

}  // namespace

void Match::MoveComputer(float dt) {
  using kv_num::Store;
  // Frozen after a kick: nothing changes, the last velocity is kept.
  if (computerCooldown > 0.0f) return;

  const Vector2 b = ball->position;
  const Vector2 c = computer->position;
  Vector2& velocity = computer->velocity;
  if (PointInBounds(computerBounds, b)) {
    // Straight at the ball, with no stop distance.
    const Vector2 d(Store(static_cast<double>(b.x) - c.x), Store(static_cast<double>(b.y) - c.y));
    velocity = AtSpeed(d, computerSpeed);
  } else {
    const Vector2 d(Store(static_cast<double>(computerHome.x) - c.x),
                    Store(static_cast<double>(computerHome.y) - c.y));
    if (kv_num::Length(d.x, d.y) > kHomeStopDistance) {
      velocity = AtSpeed(d, computerSpeed);
    } else {
      velocity = Vector2(0.0f, 0.0f);  // rests where it is, not on the spot
    }
  }
  MoveAndConfine(*computer, computerBounds, dt);
}
