// Whether a point lies in a rectangle, its edges included: the goal boxes
// and the right player's chase area test the ball's centre this way.
#pragma once

#include "sim/bounds.h"
#include "sim/vector2.h"

inline bool PointInBounds(const Bounds& box, const Vector2& p) {
  return box.minX <= p.x && box.minY <= p.y && p.x <= box.maxX && p.y <= box.maxY;
}
