// Talking with a window manager: close requests, windows destroyed
// elsewhere, and the ping.
#include "x11_fixture.h"

#include "platform/x11/x11_errors.h"

namespace kv_x11_test {
namespace {

// The close box of a manager arrives as a close request; a window that
// someone else destroyed is reported gone, after which every call on it is
// harmless.
TEST_F(X11BackendTest, CloseRequestsAndWindowsDestroyedElsewhere) {
  NativeWindow* w = MakeWindow(10, 10, 50, 50);
  ASSERT_NE(w, nullptr);
  ShowAndWait(w);
  Window xw = xt::XWindowOf(backend_.get(), w);
  probe_->SendDeleteWindow(xw);
  InputEvent e;
  ASSERT_TRUE(WaitFor([&](const InputEvent& ev) { return ev.type == InputEvent::kCloseRequest; },
                      kArriveMs, &e));
  EXPECT_EQ(e.window, w);

  XDestroyWindow(probe_->display(), xw);
  XSync(probe_->display(), False);
  ASSERT_TRUE(WaitFor([&](const InputEvent& ev) { return ev.type == InputEvent::kWindowGone; },
                      kArriveMs, &e));
  EXPECT_EQ(e.window, w);
  unsigned long errorsBefore = kv::x11::ErrorCount();
  backend_->Present(w, 0, 0, 50, 50);
  backend_->SetTitle(w, L"gone");
  backend_->ShowWindow(w, false);
  backend_->SetPointerHidden(w, true);
  EXPECT_FALSE(backend_->GrabPointer(w));
  backend_->DestroyWindow(w);
  EXPECT_EQ(kv::x11::ErrorCount(), errorsBefore);

  // Events queued for a window destroyed by us are dropped, not delivered.
  NativeWindow* v = MakeWindow(10, 10, 50, 50);
  ShowAndWait(v);
  probe_->SendDeleteWindow(xt::XWindowOf(backend_.get(), v));
  backend_->DestroyWindow(v);
  EXPECT_FALSE(WaitFor([&](const InputEvent& ev) { return ev.type == InputEvent::kCloseRequest; },
                       300));
}

// A manager that pings the window gets its answer on the root window, or it
// would take the game for hung and offer to kill it.
TEST_F(X11BackendTest, AnswersTheManagersPing) {
  NativeWindow* w = MakeWindow(10, 10, 40, 40);
  ASSERT_NE(w, nullptr);
  ShowAndWait(w);
  Display* d = probe_->display();
  Window root = DefaultRootWindow(d);
  XSelectInput(d, root, SubstructureNotifyMask);
  Atom protocols = XInternAtom(d, "WM_PROTOCOLS", False);
  Atom ping = XInternAtom(d, "_NET_WM_PING", False);
  Window xw = xt::XWindowOf(backend_.get(), w);
  XEvent e{};
  e.xclient.type = ClientMessage;
  e.xclient.window = xw;
  e.xclient.message_type = protocols;
  e.xclient.format = 32;
  e.xclient.data.l[0] = static_cast<long>(ping);
  e.xclient.data.l[1] = 4242;
  e.xclient.data.l[2] = static_cast<long>(xw);
  XSendEvent(d, xw, False, NoEventMask, &e);
  XSync(d, False);
  bool answered = false;
  long long deadline = kv_e2e::MonotonicMs() + kArriveMs;
  while (!answered && kv_e2e::MonotonicMs() < deadline) {
    InputEvent ignored;
    while (backend_->PollEvent(&ignored)) {
    }
    while (XPending(d) > 0) {
      XEvent got;
      XNextEvent(d, &got);
      answered |= got.type == ClientMessage && got.xclient.message_type == protocols &&
                  static_cast<Atom>(got.xclient.data.l[0]) == ping &&
                  got.xclient.data.l[1] == 4242 && got.xclient.window == root;
    }
    kv_e2e::SleepMs(10);
  }
  EXPECT_TRUE(answered);
  XSelectInput(d, root, NoEventMask);
  backend_->DestroyWindow(w);
}

}  // namespace
}  // namespace kv_x11_test
