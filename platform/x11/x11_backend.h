#pragma once

#include "platform/backend.h"

namespace kv {
namespace x11 {

// Connects to the X server named by DISPLAY. Null, after a message on
// standard error, when no display can be opened.
Backend* OpenBackend();

}  // namespace x11
}  // namespace kv
