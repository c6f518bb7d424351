// The performance counter: the monotonic clock in nanoseconds. Unlike the
// wall clock behind _ftime64_s it never jumps, which is what a frame pace
// needs.
#include "platform/rt/monotonic_clock.h"
#include "platform/win32.h"

BOOL QueryPerformanceCounter(LARGE_INTEGER* count) {
  if (!count) return FALSE;
  count->QuadPart = kv::rt::MonotonicNs();
  return TRUE;
}

BOOL QueryPerformanceFrequency(LARGE_INTEGER* frequency) {
  if (!frequency) return FALSE;
  frequency->QuadPart = 1000000000;
  return TRUE;
}

// Timed waits here already wake to the microsecond; nothing to change.
UINT timeBeginPeriod(UINT) { return TIMERR_NOERROR; }
UINT timeEndPeriod(UINT) { return TIMERR_NOERROR; }
