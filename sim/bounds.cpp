#include "sim/bounds.h"

#include "sim/numbers.h"

void Bounds::Clamp(Circle& circle) const {
  using kv_num::Store;
  float x = circle.x;
  float y = circle.y;
  const double r = circle.radius;
  // Left before right and top before bottom: in a rectangle narrower than the
  // circle the right (bottom) rule wins.
  if (minX > x - r) x = Store(minX + r);
  if (maxX < x + r) x = Store(maxX - r);
  if (minY > y - r) y = Store(minY + r);
  if (maxY < y + r) y = Store(maxY - r);
  circle.x = x;
  circle.y = y;
}
