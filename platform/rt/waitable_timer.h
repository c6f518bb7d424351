// What a wait needs to know of a waitable timer handle (platform/user's
// MsgWaitForMultipleObjects). Times are on the monotonic clock, in ns.
#pragma once

#include <cstdint>

#include "platform/win32.h"

namespace kv {
namespace rt {

// False when `handle` is not a timer that is open now.
bool IsTimer(HANDLE handle);

// Whether the timer is signalled at `nowNs`. A wait that this answer
// satisfies calls TimerWaitSatisfied, which resets a synchronization timer.
bool TimerSignalled(HANDLE timer, int64_t nowNs);
void TimerWaitSatisfied(HANDLE timer);

// When an armed timer becomes signalled; INT64_MAX when it is not armed.
int64_t TimerDueNs(HANDLE timer);

}  // namespace rt
}  // namespace kv
