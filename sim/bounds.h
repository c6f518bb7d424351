#pragma once

#include "sim/circle.h"

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
