// How the bodies move: a velocity of a given speed along a direction (the
// ball's speed cap and the right player's running), and a player's step
// kept inside its rectangle (the second half of both players' steering).
#pragma once

#include "sim/geometry.h"
#include "sim/sprite.h"

// The direction is normalised, then each component is scaled by `speed`
// and stored. A zero direction gives a zero velocity.
Vector2 AtSpeed(Vector2 direction, float speed);

// Moves the player by one step of its velocity, then keeps the whole circle
// inside `bounds`. The velocity is left as it was: a player held at an edge
// keeps pushing.
void MoveAndConfine(Sprite& player, const Bounds& bounds, float dt);
