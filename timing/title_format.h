// The statistics line of the window title, formatted without touching the
// window.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/win32.h"

// Writes "<title> - Time Ellapsed: <seconds> - FPS: <rate>" into `out`
// (always terminated, never beyond `capacity` characters): the whole seconds
// of `elapsedMs` and the whole frames per whole second.
void FormatTitle(WCHAR* out, size_t capacity, const WCHAR* productTitle, int64_t elapsedMs,
                 int64_t frameCount);
