// The game as a Wayland client of its own (the native backend), and what
// it should show: its opening frame drawn headless in the test's process.
#pragma once

#include <string>
#include <vector>

#include "probe.h"
#include "process.h"

namespace kv_compositor {

// Starts the game in `env` (a compositor's Wayland socket) with no X server
// to fall back on, so that only the native backend can show it.
bool StartNativeGame(kv_e2e::Process* game, const kv_e2e::EnvChanges& env,
                     const std::vector<std::string>& args = {});

// The game's surface (menu bar and pitch) after its first frame, as the
// headless backend draws it: what every desktop must show of it.
kv_e2e::Image OpeningFrame();

// Pixels where `shown` is not `frame` with every pixel a factor x factor
// block (all of them when the sizes do not fit).
int PixelsNotScaled(const kv_e2e::Image& frame, const kv_e2e::Image& shown, int factor);

}  // namespace kv_compositor
