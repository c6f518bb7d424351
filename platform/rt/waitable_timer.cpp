// Waitable timers on the monotonic clock, so that a wait for one wakes to
// the microsecond where the display's wait can (see MsgWaitForMultipleObjects).
#include "platform/rt/waitable_timer.h"

#include <limits>
#include <memory>
#include <unordered_map>

#include "platform/rt/monotonic_clock.h"
#include "platform/rt/wall_clock.h"

namespace kv {
namespace rt {

namespace {

constexpr int64_t kNever = std::numeric_limits<int64_t>::max();
// 100 ns units from 1601-01-01 to 1970-01-01 (UTC).
constexpr int64_t kFileTimeAt1970 = 116444736000000000;

struct Timer {
  bool manualReset = false;
  int64_t dueNs = kNever;  // armed while not kNever
  bool signalled = false;
};

// Open timers by handle: a handle that is not here is refused, never read.
std::unordered_map<HANDLE, std::unique_ptr<Timer>>& Timers() {
  static std::unordered_map<HANDLE, std::unique_ptr<Timer>> timers;
  return timers;
}

Timer* Find(HANDLE handle) {
  auto it = Timers().find(handle);
  return it == Timers().end() ? nullptr : it->second.get();
}

// `now` plus `units` of 100 ns, held short of kNever.
int64_t After(int64_t nowNs, int64_t units) {
  if (units <= 0) return nowNs;
  int64_t ns = 0, due = 0;
  if (__builtin_mul_overflow(units, int64_t{100}, &ns) ||
      __builtin_add_overflow(nowNs, ns, &due) || due == kNever) {
    return kNever - 1;
  }
  return due;
}

}  // namespace

bool IsTimer(HANDLE handle) { return Find(handle) != nullptr; }

bool TimerSignalled(HANDLE handle, int64_t nowNs) {
  Timer* t = Find(handle);
  if (!t) return false;
  if (t->dueNs != kNever && nowNs >= t->dueNs) {
    t->dueNs = kNever;
    t->signalled = true;
  }
  return t->signalled;
}

void TimerWaitSatisfied(HANDLE handle) {
  if (Timer* t = Find(handle)) {
    if (!t->manualReset) t->signalled = false;
  }
}

int64_t TimerDueNs(HANDLE handle) {
  Timer* t = Find(handle);
  return t ? t->dueNs : kNever;
}

}  // namespace rt
}  // namespace kv

HANDLE CreateWaitableTimerExW(LPSECURITY_ATTRIBUTES, LPCWSTR name, DWORD flags, DWORD) {
  // Named timers are shared between processes; there is nothing to share with.
  if (name) return nullptr;
  if (flags & ~(CREATE_WAITABLE_TIMER_MANUAL_RESET | CREATE_WAITABLE_TIMER_HIGH_RESOLUTION)) {
    return nullptr;
  }
  auto timer = std::make_unique<kv::rt::Timer>();
  timer->manualReset = (flags & CREATE_WAITABLE_TIMER_MANUAL_RESET) != 0;
  HANDLE handle = timer.get();
  kv::rt::Timers().emplace(handle, std::move(timer));
  return handle;
}

BOOL SetWaitableTimer(HANDLE handle, const LARGE_INTEGER* dueTime, LONG period,
                      PTIMERAPCROUTINE completion, LPVOID, BOOL) {
  kv::rt::Timer* t = kv::rt::Find(handle);
  if (!t || !dueTime || period != 0 || completion) return FALSE;
  const int64_t now = kv::rt::MonotonicNs();
  const int64_t due = dueTime->QuadPart;
  if (due < 0) {
    // Relative; the most negative value cannot be negated, and is an age anyway.
    t->dueNs = kv::rt::After(now, due == std::numeric_limits<int64_t>::min()
                                      ? std::numeric_limits<int64_t>::max()
                                      : -due);
  } else {
    // Absolute, on the wall clock: its distance from now, on the monotonic
    // one. A wall clock too far out to say is taken as due now.
    int64_t wallNow = 0, units = 0;
    if (__builtin_mul_overflow(kv::rt::WallClockMs(), int64_t{10000}, &wallNow) ||
        __builtin_add_overflow(wallNow, kv::rt::kFileTimeAt1970, &wallNow) ||
        __builtin_sub_overflow(due, wallNow, &units)) {
      units = 0;
    }
    t->dueNs = kv::rt::After(now, units);
  }
  t->signalled = false;
  return TRUE;
}

BOOL CancelWaitableTimer(HANDLE handle) {
  kv::rt::Timer* t = kv::rt::Find(handle);
  if (!t) return FALSE;
  // Disarmed; a signal already given stays, as Windows has it.
  t->dueNs = kv::rt::kNever;
  return TRUE;
}

BOOL CloseHandle(HANDLE handle) {
  return kv::rt::Timers().erase(handle) ? TRUE : FALSE;
}
