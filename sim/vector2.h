#pragma once

// A pair of single-precision components: a point, a velocity or a direction.
struct Vector2 {
  float x;
  float y;

  Vector2() : x(0.0f), y(0.0f) {}
  Vector2(float x, float y) : x(x), y(y) {}

  // Makes the vector unit length in place (a zero vector stays zero).
  Vector2& Normalize();
};
