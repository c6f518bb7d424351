#include <cstdint>

#include "sim/match.h"
#include "sim/numbers.h"

void Match::MoveHuman(float dt) {
  using kv_num::Store;
  GetCursorPos(&cursor);
  // The cursor's displacement since it was last placed is this frame's step.
  // (Differences in 64 bits: no overflow, whatever the platform reports.)
  const float dx = static_cast<float>(static_cast<int64_t>(cursor.x) - cursorAnchor.x);
  const float dy = static_cast<float>(static_cast<int64_t>(cursor.y) - cursorAnchor.y);

  Vector2& velocity = human->velocity;
  if (dt == 0.0f) {
    velocity = Vector2(0.0f, 0.0f);
  } else {
    velocity = Vector2(Store(static_cast<double>(dx) / dt), Store(static_cast<double>(dy) / dt));
  }

  // Confined to its half; the velocity keeps the full pull of the mouse.
  MoveAndConfine(*human, humanBounds, dt);
  const Vector2& position = human->position;

  // Pin the cursor back onto the player. Not read back: if the platform
  // keeps it elsewhere, the next frame sees that as a movement.
  cursorAnchor.x = static_cast<LONG>(position.x);
  cursorAnchor.y = static_cast<LONG>(position.y);
  ClientToScreen(window, &cursorAnchor);
  SetCursorPos(cursorAnchor.x, cursorAnchor.y);
}
