// A velocity of a given speed along a direction: the ball's speed cap and
// the right player's running both use it.
#pragma once

#include "sim/vector2.h"

// The direction is normalised, then each component is scaled by `speed`
// and stored. A zero direction gives a zero velocity.
Vector2 AtSpeed(Vector2 direction, float speed);
