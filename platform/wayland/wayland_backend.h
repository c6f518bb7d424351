// The Wayland backend: the program's windows as xdg-shell toplevels (their
// frames drawn by the compositor through xdg-decoration, or by libdecor
// where it offers none), drop-downs as subsurfaces, pixels through wl_shm,
// and the game's steering through a pointer lock and relative motion.
#pragma once

#include "platform/backend.h"

namespace kv {
namespace wayland {

// Connects to the compositor WAYLAND_DISPLAY names and checks that it offers
// all the backend needs. Without WAYLAND_DISPLAY it tries none unless
// `named` (then libwayland's default, wayland-0). Null, after one line on
// standard error when a compositor was there but could not serve, otherwise.
Backend* OpenBackend(bool named);

// As x11::SetScaleOverride: 1 to 4 shows every window that many times
// larger on the desktop (crisp at any output scale); 0, the default, shows
// it at its own size in the desktop's units. Given before the backend opens.
void SetScaleOverride(int factor);

}  // namespace wayland
}  // namespace kv
