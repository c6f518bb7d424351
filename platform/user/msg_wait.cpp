// MsgWaitForMultipleObjects for a thread whose waitable things are its
// message queue and waitable timers: returns at once when a timer is
// signalled or a message is queued, otherwise sleeps in the backend until
// input arrives, the first timer is due or the time is up. All on the
// monotonic clock, to the microsecond where the backend can wait so finely.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <limits>

#include "platform/rt/monotonic_clock.h"
#include "platform/rt/waitable_timer.h"
#include "platform/user/user_state.h"

namespace {

// As many handles as Windows takes beside the queue.
constexpr DWORD kMaxHandles = 63;
constexpr int64_t kNever = std::numeric_limits<int64_t>::max();
// One backend wait at most this long, so a wait for ever stays in range.
constexpr int64_t kLongestSliceNs = 1000000000;

bool QueueHasMessages(const kv::user::UserState& s) {
  return !s.posted.empty() || s.quitPending || !s.input.empty();
}

}  // namespace

DWORD MsgWaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll,
                                DWORD milliseconds, DWORD) {
  if (count > kMaxHandles || (count > 0 && !handles) || waitAll) return WAIT_FAILED;
  for (DWORD i = 0; i < count; ++i) {
    if (!kv::rt::IsTimer(handles[i])) return WAIT_FAILED;
  }
  kv::user::UserState& s = kv::user::State();
  kv::Backend* backend = kv::ActiveBackend();
  const int64_t deadline = milliseconds == INFINITE
                               ? kNever
                               : kv::rt::MonotonicNs() + int64_t{milliseconds} * 1000000;
  for (;;) {
    if (backend) kv::user::CollectInput(backend);
    const int64_t now = kv::rt::MonotonicNs();
    // A signalled timer goes before the queue, the lowest index first.
    int64_t until = deadline;
    for (DWORD i = 0; i < count; ++i) {
      if (kv::rt::TimerSignalled(handles[i], now)) {
        kv::rt::TimerWaitSatisfied(handles[i]);
        return WAIT_OBJECT_0 + i;
      }
      until = std::min(until, kv::rt::TimerDueNs(handles[i]));
    }
    if (QueueHasMessages(s)) return WAIT_OBJECT_0 + count;
    if (now >= deadline) return WAIT_TIMEOUT;
    // Nothing could ever arrive, and there is nothing to wait in.
    if (!backend) return WAIT_FAILED;
    // Rounded up to the microsecond: a wait that ends early only costs
    // another pass, one that ends a little late is what a timer does anyway.
    const int64_t sliceNs = std::min(until - now, kLongestSliceNs);
    backend->WaitEvent(std::chrono::microseconds((sliceNs + 999) / 1000));
    // Events that make no message (a property change, an expose already
    // handled) do not end the wait.
  }
}
