#pragma once

// The collision shape of a sprite.
struct Circle {
  float x;
  float y;
  float radius;

  Circle() : x(0.0f), y(0.0f), radius(0.0f) {}
  Circle(float x, float y, float radius) : x(x), y(y), radius(radius) {}
};
