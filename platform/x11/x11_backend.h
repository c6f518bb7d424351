#pragma once

#include "platform/backend.h"

namespace kv {
namespace x11 {

// Connects to the X server named by DISPLAY. Null, after a message on
// standard error, when no display can be opened.
Backend* OpenBackend();

// The factor every window is shown at, given before the backend opens:
// 1 to 4 as the command line's --scale, 0 (the default) to follow the
// desktop's Xft.dpi. A value outside 0 to 4 is taken as 0.
void SetScaleOverride(int factor);

}  // namespace x11
}  // namespace kv
