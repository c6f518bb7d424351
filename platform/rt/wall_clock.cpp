#include "platform/rt/wall_clock.h"

#include <ctime>

namespace kv {
namespace rt {

namespace {
int64_t (*gSource)() = nullptr;

int64_t SystemMs() {
  timespec ts;
  clock_gettime(CLOCK_REALTIME, &ts);
  return static_cast<int64_t>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}
}  // namespace

int64_t WallClockMs() { return gSource ? gSource() : SystemMs(); }

void SetWallClockSource(int64_t (*source)()) { gSource = source; }

WallClockSourceFn CurrentWallClockSource() { return gSource; }

int64_t SystemWallClockMs() { return SystemMs(); }

}  // namespace rt
}  // namespace kv
