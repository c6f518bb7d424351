// The pump for --pace: the same order as the plain pump (every pending
// message before the next frame, nothing after the quit request), but
// between frames it waits for input or for the next frame's time, so the
// processor rests and a click is still taken at once.
#include "app/app.h"
#include "app/pace.h"

namespace {

int64_t Counter() {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return static_cast<int64_t>(now.QuadPart);
}

}  // namespace

int RunPacedPump(int framesPerSecond) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  // Windows wakes a timed wait only at its timer tick, 15.6 ms unless asked
  // for 1 ms; a period of a few milliseconds needs the finer tick.
  timeBeginPeriod(1);
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
      PaceFrameRan(&pace, Counter());
    } else if (const uint32_t ms = PaceWaitMs(pace, now)) {
      MsgWaitForMultipleObjects(0, nullptr, FALSE, ms, QS_ALLINPUT);
    }
    // Less than a millisecond to go: look again.
  }
  timeEndPeriod(1);
  return static_cast<int>(message.wParam);
}
