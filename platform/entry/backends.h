// The display backends this build has, in the order a normal run tries them.
// Above every backend, so that the windowing layer names none.
#pragma once

#include <string>

#include "platform/backend.h"

namespace kv {

// The environment variable that chooses the backend by name, as the media
// libraries' do (SDL_VIDEODRIVER, GDK_BACKEND): then that one alone is
// tried, headless included.
constexpr char kBackendVariable[] = "KELVARA_BACKEND";

// The backend the environment names, or else the first of the table that
// opens (Wayland where WAYLAND_DISPLAY names a compositor that offers all
// it needs, then X11), skipping those used only when named (headless);
// null, after a line on standard error, when none opens.
Backend* OpenDisplayBackend();

// The names of the backends, in the table's order ("wayland, x11, headless").
std::string BackendNames();

// The factor a display backend shows every window at, asked for on the
// command line (--scale N, 1 to 4); 0 lets the desktop decide. Given before
// the backend opens.
void SetDisplayScale(int factor);

// The backend called `name` ("x11", "headless"), opened and made the one in
// use; null when there is no such backend or it does not open.
Backend* OpenBackendNamed(const char* name);

}  // namespace kv
