#include "sim/at_speed.h"

#include "sim/numbers.h"

Vector2 AtSpeed(Vector2 direction, float speed) {
  direction.Normalize();
  return Vector2(kv_num::Store(static_cast<double>(direction.x) * speed),
                 kv_num::Store(static_cast<double>(direction.y) * speed));
}
