// The performance counter: the monotonic clock in nanoseconds. Unlike the
// wall clock behind _ftime64_s it never jumps, which is what a frame pace
// needs.
#include <time.h>

#include "platform/win32.h"

BOOL QueryPerformanceCounter(LARGE_INTEGER* count) {
  if (!count) return FALSE;
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  count->QuadPart = static_cast<LONGLONG>(now.tv_sec) * 1000000000 + now.tv_nsec;
  return TRUE;
}

BOOL QueryPerformanceFrequency(LARGE_INTEGER* frequency) {
  if (!frequency) return FALSE;
  frequency->QuadPart = 1000000000;
  return TRUE;
}

// Timed waits here already wake to the millisecond; nothing to change.
UINT timeBeginPeriod(UINT) { return TIMERR_NOERROR; }
UINT timeEndPeriod(UINT) { return TIMERR_NOERROR; }
