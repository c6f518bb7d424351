#include "sim/geometry.h"

#include "sim/numbers.h"

Vector2& Vector2::Normalize() {
  const float length = kv_num::Length(x, y);
  // A zero vector has no direction; it stays zero.
  if (length != 0.0f) {
    x = kv_num::Store(static_cast<double>(x) / length);
    y = kv_num::Store(static_cast<double>(y) / length);
  }
  return *this;
}

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
