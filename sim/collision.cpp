#include "sim/match.h"
#include "sim/numbers.h"

bool ResolveOverlap(Circle& moving, const Circle& fixed, Vector2& normal) {
  using kv_num::Store;
  const Vector2 offset(Store(static_cast<double>(moving.x) - fixed.x),
                       Store(static_cast<double>(moving.y) - fixed.y));
  const float distance = kv_num::Length(offset.x, offset.y);
  // Touching counts as contact; the sum of the radii is compared unrounded.
  if (distance > static_cast<double>(moving.radius) + fixed.radius) return false;

  normal = offset;
  // Coinciding centres give no direction: the normal stays (0, 0).
  if (distance != 0.0f) {
    normal.x = Store(static_cast<double>(normal.x) / distance);
    normal.y = Store(static_cast<double>(normal.y) / distance);
  }
  const float reach = Store(static_cast<double>(moving.radius) + fixed.radius);
  const float stepX = Store(static_cast<double>(normal.x) * reach);
  const float stepY = Store(static_cast<double>(normal.y) * reach);
  moving.x = Store(static_cast<double>(fixed.x) + stepX);
  moving.y = Store(static_cast<double>(fixed.y) + stepY);
  return true;
}

bool Match::Collide(Sprite* player) {
  using kv_num::Store;
  if (player == nullptr || ball == nullptr) return false;
  Vector2 normal(0.0f, 0.0f);
  if (!ResolveOverlap(ball->circle, player->circle, normal)) return false;
  // Drawn where it was pushed.
  ball->position = Vector2(ball->circle.x, ball->circle.y);

  const Vector2 rel(Store(static_cast<double>(player->velocity.x) - ball->velocity.x),
                    Store(static_cast<double>(player->velocity.y) - ball->velocity.y));
  const float dot =
      Store(static_cast<double>(rel.x) * normal.x + static_cast<double>(rel.y) * normal.y);
  // Already separating along the normal: pushed out, but not kicked.
  if (dot < 0.0f) return false;

  // Reflect the ball's velocity along the normal about the player's.
  const float kx = Store(static_cast<double>(normal.x) * dot);
  const float ky = Store(static_cast<double>(normal.y) * dot);
  ball->velocity.x = Store(static_cast<double>(ball->velocity.x) + 2.0 * kx);
  ball->velocity.y = Store(static_cast<double>(ball->velocity.y) + 2.0 * ky);
  return true;
}
