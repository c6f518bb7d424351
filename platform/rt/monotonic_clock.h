// The monotonic clock behind QueryPerformanceCounter and every timed wait.
// A backend that simulates time (headless) installs its own source; a
// recording can read through whichever source was there before it, as it
// does for the wall clock.
#pragma once

#include <cstdint>

namespace kv {
namespace rt {

// Nanoseconds from an arbitrary start; never goes back.
int64_t MonotonicNs();

// Replaces the source; null restores the system clock.
using MonotonicSourceFn = int64_t (*)();
void SetMonotonicSource(MonotonicSourceFn source);
MonotonicSourceFn CurrentMonotonicSource();
int64_t SystemMonotonicNs();

}  // namespace rt
}  // namespace kv
