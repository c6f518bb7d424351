#include <cerrno>

#include "platform/rt/wall_clock.h"
#include "platform/win32.h"

errno_t _ftime64_s(struct __timeb64* timeptr) {
  if (timeptr == nullptr) return EINVAL;
  const int64_t ms = kv::rt::WallClockMs();
  // Floor division, so that a time before 1970 still has millitm in 0..999.
  int64_t seconds = ms / 1000;
  int64_t rest = ms % 1000;
  if (rest < 0) {
    rest += 1000;
    seconds -= 1;
  }
  timeptr->time = seconds;
  timeptr->millitm = static_cast<unsigned short>(rest);
  timeptr->timezone = 0;
  timeptr->dstflag = 0;
  return 0;
}
