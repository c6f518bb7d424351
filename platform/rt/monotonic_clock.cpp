#include "platform/rt/monotonic_clock.h"

#include <ctime>

namespace kv {
namespace rt {

namespace {
MonotonicSourceFn gSource = nullptr;
}  // namespace

int64_t SystemMonotonicNs() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<int64_t>(now.tv_sec) * 1000000000 + now.tv_nsec;
}

int64_t MonotonicNs() { return gSource ? gSource() : SystemMonotonicNs(); }

void SetMonotonicSource(MonotonicSourceFn source) { gSource = source; }

MonotonicSourceFn CurrentMonotonicSource() { return gSource; }

}  // namespace rt
}  // namespace kv
