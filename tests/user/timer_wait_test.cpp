// Waitable timers and MsgWaitForMultipleObjects on the headless monotonic
// clock, which moves only by what a wait asks for: so each figure below is
// exactly how long the layer waited, to the nanosecond.
#include <climits>

#include "platform/backend.h"
#include "tests/user/message_log.h"

namespace kv {
namespace test {
namespace {

using TimerWaitTest = LoggedWindowTest;

// 100 ns units since 1601 (UTC) of a wall-clock millisecond.
int64_t FileTimeOfMs(int64_t ms) { return ms * 10000 + 116444736000000000; }

struct Timer {
  explicit Timer(DWORD flags = 0)
      : handle(CreateWaitableTimerExW(nullptr, nullptr, flags, TIMER_ALL_ACCESS)) {}
  ~Timer() { CloseHandle(handle); }
  bool Set(int64_t due) {
    LARGE_INTEGER d;
    d.QuadPart = due;
    return SetWaitableTimer(handle, &d, 0, nullptr, nullptr, FALSE) != FALSE;
  }
  DWORD Wait(DWORD ms = INFINITE) {
    return MsgWaitForMultipleObjects(1, &handle, FALSE, ms, QS_ALLINPUT);
  }
  HANDLE handle;
};

// Nanoseconds the headless clock moved while `wait` ran.
template <typename F>
int64_t Elapsed(F wait) {
  const int64_t start = headless::MonotonicNs();
  wait();
  return headless::MonotonicNs() - start;
}

TEST_F(TimerWaitTest, ARelativeTimerWakesToTheMicrosecondAndResetsAfterTheWait) {
  Timer timer(CREATE_WAITABLE_TIMER_HIGH_RESOLUTION);
  ASSERT_NE(timer.handle, nullptr);
  // 1.5 ms: no whole-millisecond rounding.
  ASSERT_TRUE(timer.Set(-15000));
  DWORD result = 0;
  EXPECT_EQ(Elapsed([&] { result = timer.Wait(); }), 1500000);
  EXPECT_EQ(result, WAIT_OBJECT_0);
  // A synchronization timer is reset by the wait it satisfied.
  EXPECT_EQ(timer.Wait(0), static_cast<DWORD>(WAIT_TIMEOUT));
  // Less than a microsecond still waits, a whole one: never before it is due.
  ASSERT_TRUE(timer.Set(-7));
  EXPECT_EQ(Elapsed([&] { result = timer.Wait(); }), 1000);
  EXPECT_EQ(result, WAIT_OBJECT_0);
  // Set again before it fired: the new time counts.
  ASSERT_TRUE(timer.Set(-50000));
  ASSERT_TRUE(timer.Set(-20000));
  EXPECT_EQ(Elapsed([&] { timer.Wait(); }), 2000000);
}

TEST_F(TimerWaitTest, AManualResetTimerStaysSignalledAndCancelDisarms) {
  Timer manual(CREATE_WAITABLE_TIMER_MANUAL_RESET);
  ASSERT_TRUE(manual.Set(-10000));
  EXPECT_EQ(manual.Wait(), WAIT_OBJECT_0);
  EXPECT_EQ(Elapsed([&] { EXPECT_EQ(manual.Wait(), WAIT_OBJECT_0); }), 0);
  // Setting it makes it unsignalled until the new time.
  ASSERT_TRUE(manual.Set(-30000));
  EXPECT_EQ(Elapsed([&] { EXPECT_EQ(manual.Wait(), WAIT_OBJECT_0); }), 3000000);

  Timer cancelled;
  ASSERT_TRUE(cancelled.Set(-10000));
  EXPECT_TRUE(CancelWaitableTimer(cancelled.handle));
  // The wait's own time runs out instead, exactly.
  EXPECT_EQ(Elapsed([&] { EXPECT_EQ(cancelled.Wait(5), static_cast<DWORD>(WAIT_TIMEOUT)); }),
            5000000);
}

TEST_F(TimerWaitTest, AnAbsoluteTimeIsOnTheWallClock) {
  Timer timer;
  ASSERT_TRUE(timer.Set(FileTimeOfMs(headless::ClockMs() + 3)));
  EXPECT_EQ(Elapsed([&] { EXPECT_EQ(timer.Wait(), WAIT_OBJECT_0); }), 3000000);
  // A time already past is due at once.
  ASSERT_TRUE(timer.Set(FileTimeOfMs(headless::ClockMs() - 1000)));
  EXPECT_EQ(Elapsed([&] { EXPECT_EQ(timer.Wait(), WAIT_OBJECT_0); }), 0);
  ASSERT_TRUE(timer.Set(0));
  EXPECT_EQ(timer.Wait(0), WAIT_OBJECT_0);
  // The far ends of the range neither overflow nor fire.
  ASSERT_TRUE(timer.Set(LLONG_MAX));
  EXPECT_EQ(timer.Wait(1), static_cast<DWORD>(WAIT_TIMEOUT));
  ASSERT_TRUE(timer.Set(LLONG_MIN));
  EXPECT_EQ(timer.Wait(1), static_cast<DWORD>(WAIT_TIMEOUT));
  headless::SetClockMs(LLONG_MIN / 2);  // a wall clock too far out to convert
  ASSERT_TRUE(timer.Set(1000));
  EXPECT_EQ(timer.Wait(0), WAIT_OBJECT_0);
}

TEST_F(TimerWaitTest, InputEndsTheWaitAtOnceButASignalledTimerComesFirst) {
  HWND w = CreateMainGeometryWindow(LoggingProc);
  ShowWindow(w, SW_SHOW);
  DrainQueue();
  Timer a, b;
  ASSERT_TRUE(a.Set(-40000));
  ASSERT_TRUE(b.Set(-10000));
  HANDLE both[] = {a.handle, b.handle};
  headless::MoveMouseClient(w, 10, 10);
  // Input queued: WAIT_OBJECT_0 + count, and no time passes.
  EXPECT_EQ(Elapsed([&] {
              EXPECT_EQ(MsgWaitForMultipleObjects(2, both, FALSE, INFINITE, QS_ALLINPUT),
                        WAIT_OBJECT_0 + 2);
            }),
            0);
  // The queue still holds it, so the same wait says so again; once the
  // earlier timer is due, it is named first; then the other, then the queue.
  headless::AdvanceMonotonicNs(4000000);
  EXPECT_EQ(MsgWaitForMultipleObjects(2, both, FALSE, INFINITE, QS_ALLINPUT), WAIT_OBJECT_0);
  EXPECT_EQ(MsgWaitForMultipleObjects(2, both, FALSE, INFINITE, QS_ALLINPUT), WAIT_OBJECT_0 + 1);
  EXPECT_EQ(MsgWaitForMultipleObjects(2, both, FALSE, INFINITE, QS_ALLINPUT), WAIT_OBJECT_0 + 2);
  DrainQueue();
  // Without handles it is the queue and the time only.
  EXPECT_EQ(Elapsed([&] {
              EXPECT_EQ(MsgWaitForMultipleObjects(0, nullptr, FALSE, 7, QS_ALLINPUT),
                        static_cast<DWORD>(WAIT_TIMEOUT));
            }),
            7000000);
}

TEST_F(TimerWaitTest, BadHandlesAndArgumentsFailCleanly) {
  HANDLE closed = CreateWaitableTimerExW(nullptr, nullptr, 0, TIMER_ALL_ACCESS);
  ASSERT_NE(closed, nullptr);
  EXPECT_TRUE(CloseHandle(closed));
  EXPECT_FALSE(CloseHandle(closed));
  EXPECT_FALSE(CloseHandle(nullptr));
  int notATimer = 0;
  HANDLE stray = &notATimer;
  LARGE_INTEGER due;
  due.QuadPart = -10000;
  EXPECT_FALSE(SetWaitableTimer(closed, &due, 0, nullptr, nullptr, FALSE));
  EXPECT_FALSE(SetWaitableTimer(stray, &due, 0, nullptr, nullptr, FALSE));
  EXPECT_FALSE(CancelWaitableTimer(stray));

  const DWORD failed = WAIT_FAILED;
  EXPECT_EQ(MsgWaitForMultipleObjects(1, &closed, FALSE, 0, QS_ALLINPUT), failed);
  EXPECT_EQ(MsgWaitForMultipleObjects(1, &stray, FALSE, 0, QS_ALLINPUT), failed);
  EXPECT_EQ(MsgWaitForMultipleObjects(1, nullptr, FALSE, 0, QS_ALLINPUT), failed);
  Timer timer;
  EXPECT_EQ(MsgWaitForMultipleObjects(1, &timer.handle, TRUE, 0, QS_ALLINPUT), failed);
  std::vector<HANDLE> many(64, timer.handle);
  EXPECT_EQ(MsgWaitForMultipleObjects(64, many.data(), FALSE, 0, QS_ALLINPUT), failed);
  EXPECT_EQ(MsgWaitForMultipleObjects(63, many.data(), FALSE, 0, QS_ALLINPUT),
            static_cast<DWORD>(WAIT_TIMEOUT));

  // What is not offered is refused, not half done.
  EXPECT_FALSE(SetWaitableTimer(timer.handle, nullptr, 0, nullptr, nullptr, FALSE));
  EXPECT_FALSE(SetWaitableTimer(timer.handle, &due, 10, nullptr, nullptr, FALSE));
  PTIMERAPCROUTINE routine = [](LPVOID, DWORD, DWORD) {};
  EXPECT_FALSE(SetWaitableTimer(timer.handle, &due, 0, routine, nullptr, FALSE));
  EXPECT_EQ(CreateWaitableTimerExW(nullptr, L"shared", 0, TIMER_ALL_ACCESS), nullptr);
  EXPECT_EQ(CreateWaitableTimerExW(nullptr, nullptr, 0x100, TIMER_ALL_ACCESS), nullptr);
}

TEST(TimerWaitWithoutDisplay, AWaitThatCannotHappenFails) {
  kv::InstallBackend(nullptr);
  kv::SetBackendOpener(nullptr);
  Timer timer;
  ASSERT_TRUE(timer.Set(-10000));
  // Nothing to wait in: no sleep of the real clock, a failure instead.
  EXPECT_EQ(timer.Wait(), WAIT_FAILED);
  EXPECT_EQ(MsgWaitForMultipleObjects(0, nullptr, FALSE, 0, QS_ALLINPUT),
            static_cast<DWORD>(WAIT_TIMEOUT));
}

}  // namespace
}  // namespace test
}  // namespace kv
