#include "sim/vector2.h"

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
