// The second half of both players' steering: move by one step of the
// velocity, then keep the whole circle inside the player's rectangle.
#pragma once

#include "sim/bounds.h"
#include "sim/sprite.h"

// The velocity is left as it was: a player held at an edge keeps pushing.
void MoveAndConfine(Sprite& player, const Bounds& bounds, float dt);
