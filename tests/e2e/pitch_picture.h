// Reading the game's own picture: where the person's player stands.
#pragma once

#include <cstdint>

#include "probe.h"

namespace kv_e2e {

// The kit's blue (stripes, shorts), told apart from the pure blue of the
// goal-area lines.
bool IsKitBlue(uint32_t pixel);

// Mean x, in game pixels, of the kit's blue in the left half of the pitch
// (where only the person's player goes) of a picture of the whole window
// at `scale`, whose bottom 600 x scale rows are the pitch; -1 when there is
// none.
double LeftPlayerX(const Image& window, int scale);

}  // namespace kv_e2e
