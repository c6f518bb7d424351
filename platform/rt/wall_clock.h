// The wall clock behind _ftime64_s. A backend that simulates time (headless)
// installs its own source; otherwise the system's real-time clock is read.
#pragma once

#include <cstdint>

namespace kv {
namespace rt {

// Milliseconds since 1 January 1970 (UTC).
int64_t WallClockMs();

// Replaces the source; null restores the system clock.
void SetWallClockSource(int64_t (*source)());

// The source installed now (null: the system clock), and the system clock
// itself: a recording reads through whichever was there before it.
using WallClockSourceFn = int64_t (*)();
WallClockSourceFn CurrentWallClockSource();
int64_t SystemWallClockMs();

}  // namespace rt
}  // namespace kv
