// The shapes of the simulation: points and velocities, the circles that
// collide, and the rectangles that confine a circle or catch a point.
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

// The collision shape of a sprite.
struct Circle {
  float x;
  float y;
  float radius;

  Circle() : x(0.0f), y(0.0f), radius(0.0f) {}
  Circle(float x, float y, float radius) : x(x), y(y), radius(radius) {}
};

// An axis-aligned rectangle: a play area that confines a circle, or a goal
// box that a point is tested against (edges included).
struct Bounds {
  float maxX;
  float maxY;
  float minX;
  float minY;

  Bounds() : maxX(0.0f), maxY(0.0f), minX(0.0f), minY(0.0f) {}
  Bounds(float maxX, float maxY, float minX, float minY)
      : maxX(maxX), maxY(maxY), minX(minX), minY(minY) {}

  // Moves the circle's centre so that the whole circle lies inside.
  void Clamp(Circle& circle) const;
};

// Whether a point lies in a rectangle, its edges included: the goal boxes
// and the right player's chase area test the ball's centre this way.
inline bool PointInBounds(const Bounds& box, const Vector2& p) {
  return box.minX <= p.x && box.minY <= p.y && p.x <= box.maxX && p.y <= box.maxY;
}
