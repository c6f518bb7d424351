#include "sim/motion.h"

#include "sim/numbers.h"

Vector2 AtSpeed(Vector2 direction, float speed) {
  direction.Normalize();
  return Vector2(kv_num::Store(static_cast<double>(direction.x) * speed),
                 kv_num::Store(static_cast<double>(direction.y) * speed));
}

void MoveAndConfine(Sprite& player, const Bounds& bounds, float dt) {
  using kv_num::Store;
  Vector2& position = player.position;
  const float stepX = Store(static_cast<double>(player.velocity.x) * dt);
  const float stepY = Store(static_cast<double>(player.velocity.y) * dt);
  position.x = Store(static_cast<double>(position.x) + stepX);
  position.y = Store(static_cast<double>(position.y) + stepY);

  // The position leads; the circle follows it, is clamped, and leads back.
  player.circle.x = position.x;
  player.circle.y = position.y;
  bounds.Clamp(player.circle);
  position = Vector2(player.circle.x, player.circle.y);
}
