// MsgWaitForMultipleObjects for a thread whose only waitable thing is its
// message queue: returns at once when a message is queued, otherwise sleeps
// in the backend until input arrives or the time is up.
#include <algorithm>
#include <chrono>

#include "platform/user/user_state.h"

namespace {

bool QueueHasMessages(const kv::user::UserState& s) {
  return !s.posted.empty() || s.quitPending || !s.input.empty();
}

}  // namespace

DWORD MsgWaitForMultipleObjects(DWORD count, const HANDLE*, BOOL, DWORD milliseconds, DWORD) {
  // No kernel objects exist on this layer for a caller to name.
  if (count != 0) return WAIT_FAILED;
  kv::user::UserState& s = kv::user::State();
  kv::Backend* backend = kv::ActiveBackend();
  if (backend) kv::user::CollectInput(backend);
  if (QueueHasMessages(s)) return WAIT_OBJECT_0;
  if (!backend) return WAIT_TIMEOUT;  // nothing could ever arrive

  using Clock = std::chrono::steady_clock;
  const bool forever = milliseconds == INFINITE;
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(milliseconds);
  for (;;) {
    int slice = 1000;
    if (!forever) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
          deadline - Clock::now()).count();
      if (left <= 0) return WAIT_TIMEOUT;
      slice = static_cast<int>(std::min<long long>(left, slice));
    }
    backend->WaitEvent(slice);
    // Events that make no message (a property change, an expose already
    // handled) do not end the wait.
    kv::user::CollectInput(backend);
    if (QueueHasMessages(s)) return WAIT_OBJECT_0;
  }
}
