// The pump for --pace: the same order as the plain pump (every pending
// message before the next frame, nothing after the quit request), but
// between frames it waits for input or for the next frame's time, so the
// processor rests and a click is still taken at once. It never looks again
// without waiting: each pass reads the counter once, then runs the frame
// that is due or waits.
#include "app/app.h"
#include "app/pace.h"

namespace {

int64_t Counter() {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return static_cast<int64_t>(now.QuadPart);
}

// A timer that wakes to the sub-millisecond where Windows has one (10,
// version 1803 on); elsewhere one that wakes at the timer tick.
HANDLE CreateFrameTimer() {
  HANDLE timer = CreateWaitableTimerExW(nullptr, nullptr, CREATE_WAITABLE_TIMER_HIGH_RESOLUTION,
                                        TIMER_ALL_ACCESS);
  if (!timer) timer = CreateWaitableTimerExW(nullptr, nullptr, 0, TIMER_ALL_ACCESS);
  return timer;
}

// Until input arrives or the next frame is due. The timer is set for the
// time left, rounded up, so the wait never ends before the frame is due;
// without a timer, whole milliseconds rounded up do the same.
void WaitForFrame(HANDLE timer, const PaceSchedule& pace, int64_t now) {
  if (timer) {
    LARGE_INTEGER due;
    due.QuadPart = -PaceWait100ns(pace, now);  // negative: relative
    if (SetWaitableTimer(timer, &due, 0, nullptr, nullptr, FALSE)) {
      MsgWaitForMultipleObjects(1, &timer, FALSE, INFINITE, QS_ALLINPUT);
      return;
    }
  }
  MsgWaitForMultipleObjects(0, nullptr, FALSE, PaceWaitMs(pace, now), QS_ALLINPUT);
}

}  // namespace

int RunPacedPump(int framesPerSecond) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  // Windows wakes a timed wait only at its timer tick, 15.6 ms unless asked
  // for 1 ms; a period of a few milliseconds needs the finer tick.
  timeBeginPeriod(1);
  HANDLE timer = CreateFrameTimer();
  PaceSchedule pace = StartPace(Counter(), static_cast<int64_t>(frequency.QuadPart),
                                framesPerSecond);
  MSG message = {};
  while (message.message != WM_QUIT) {
    if (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
      continue;
    }
    const int64_t now = Counter();
    if (PaceFrameDue(pace, now)) {
      RunFrame();
      PaceFrameRan(&pace, now);
    } else {
      WaitForFrame(timer, pace, now);
    }
  }
  if (timer) CloseHandle(timer);
  timeEndPeriod(1);
  return static_cast<int>(message.wParam);
}
