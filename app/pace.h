// Keeping frames to a chosen rate (the --pace option). The schedule is plain
// arithmetic on performance-counter ticks, so it can be checked without a
// clock; the paced pump feeds it the counter.
#pragma once

#include <cstdint>

struct PaceSchedule {
  int64_t frequency = 1;  // counter ticks per second
  int64_t due = 0;        // counter value at which the next frame is due
  // One frame's period is frequency / rate ticks: the whole part, and the
  // remainder spread over the frames so that N frames take exactly a second.
  int64_t periodWhole = 0;
  int64_t periodRest = 0;
  int64_t restSum = 0;
  int64_t rate = 1;
};

// A schedule whose first frame is due at `now`.
PaceSchedule StartPace(int64_t now, int64_t frequency, int framesPerSecond);

bool PaceFrameDue(const PaceSchedule& pace, int64_t now);

// The time until the next frame is due, rounded up so that a wait of it
// never ends before the frame is due; 0 when it is due. In 100 ns units (a
// waitable timer's), and in whole milliseconds for a wait that counts only
// those: the schedule, not the wait, then keeps the average rate.
int64_t PaceWait100ns(const PaceSchedule& pace, int64_t now);
uint32_t PaceWaitMs(const PaceSchedule& pace, int64_t now);

// A frame that was due at `now` ran: the next one is due one period after
// the previous due time, so late frames are caught up and the rate does not
// drift. A pump that fell far behind (a modal loop, a stalled machine)
// starts afresh from `now` instead of racing through the backlog.
void PaceFrameRan(PaceSchedule* pace, int64_t now);

// How far behind the schedule may fall before it starts afresh: 100 ms.
int64_t PaceResyncTicks(const PaceSchedule& pace);

// The message pump with a pace: like RunMessagePump, but a frame
// runs only when due, and between frames the pump waits for input or the
// frame's time: a waitable timer and MsgWaitForMultipleObjects.
int RunPacedPump(int framesPerSecond);
