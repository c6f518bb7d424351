// The display backends this build has, in the order a normal run tries them.
// Above every backend, so that the windowing layer names none.
#pragma once

#include "platform/backend.h"

namespace kv {

// The first backend of the table that opens, skipping those used only when
// asked for by name (headless); null when none opens.
Backend* OpenDisplayBackend();

// The factor a display backend shows every window at, asked for on the
// command line (--scale N, 1 to 4); 0 lets the desktop decide. Given before
// the backend opens.
void SetDisplayScale(int factor);

// The backend called `name` ("x11", "headless"), opened and made the one in
// use; null when there is no such backend or it does not open.
Backend* OpenBackendNamed(const char* name);

}  // namespace kv
