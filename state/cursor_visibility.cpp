#include "state/cursor_visibility.h"

#include "platform/win32.h"

namespace {
// The platform starts with the cursor shown.
bool gCursorShown = true;
}  // namespace

void SetCursorVisible(bool visible) {
  if (visible == gCursorShown) return;
  gCursorShown = visible;
  ShowCursor(visible ? TRUE : FALSE);
}
