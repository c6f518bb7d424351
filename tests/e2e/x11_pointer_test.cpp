// The pointer: warps, the grab, the hidden cursor and readings under the grab.
#include "x11_fixture.h"

#include <X11/extensions/XInput2.h>

#include "platform/x11/x11_errors.h"

namespace kv_x11_test {
namespace {

// Whether the backend's windows ask the server for XInput 2's motion.
bool SelectsXInputMotion(Display* display, Window window) {
  int count = 0;
  XIEventMask* masks = XIGetSelectedEvents(display, window, &count);
  bool motion = false;
  for (int i = 0; i < count; ++i)
    if (masks[i].deviceid == XIAllMasterDevices && masks[i].mask_len > XI_Motion / 8)
      motion = XIMaskIsSet(masks[i].mask, XI_Motion);
  if (masks) XFree(masks);
  return motion;
}

// The pointer: warps land (and stay on the screen), a grab holds off other
// clients until released, and a grab fails rather than blocks on a window
// that is not on screen yet.
TEST_F(X11BackendTest, PointerWarpGrabAndHide) {
  int sw = 0, sh = 0;
  backend_->ScreenSize(&sw, &sh);
  EXPECT_EQ(sw, 1920);
  EXPECT_EQ(sh, 1080);

  backend_->WarpPointer(321, 234);
  int x = -1, y = -1;
  backend_->PointerPosition(&x, &y);
  EXPECT_EQ(x, 321);
  EXPECT_EQ(y, 234);
  probe_->PointerPosition(&x, &y);
  EXPECT_EQ(x, 321);
  EXPECT_EQ(y, 234);
  backend_->WarpPointer(-40, 5000);
  backend_->PointerPosition(&x, &y);
  EXPECT_EQ(x, 0);
  EXPECT_EQ(y, 1079);

  NativeWindow* w = MakeWindow(300, 200, 200, 150);
  ASSERT_NE(w, nullptr);
  EXPECT_FALSE(backend_->GrabPointer(w)) << "an unmapped window cannot hold a grab";
  ShowAndWait(w);
  unsigned long errorsBefore = kv::x11::ErrorCount();
  backend_->SetPointerHidden(w, true);
  backend_->SetPointerHidden(w, true);
  EXPECT_TRUE(backend_->GrabPointer(w));
  EXPECT_TRUE(probe_->PointerGrabbedElsewhere());

  // While grabbed, a click outside the window still reaches it. The warp
  // is only flushed; xdotool must not click before the server has it.
  backend_->WarpPointer(50, 60);
  XSync(xt::DisplayOf(backend_.get()), False);
  Xdotool({"click", "3"});
  InputEvent e;
  ASSERT_TRUE(WaitFor([](const InputEvent& ev) { return ev.type == InputEvent::kButtonDown; },
                      kArriveMs, &e));
  EXPECT_EQ(e.window, w);
  EXPECT_EQ(e.button, 3);
  EXPECT_EQ(e.x, 50 - 300);
  EXPECT_EQ(e.y, 60 - 200);

  backend_->UngrabPointer();
  backend_->SetPointerHidden(w, false);
  XSync(xt::DisplayOf(backend_.get()), False);
  EXPECT_FALSE(probe_->PointerGrabbedElsewhere());
  EXPECT_EQ(kv::x11::ErrorCount(), errorsBefore);
  backend_->DestroyWindow(w);
}

// The mouse control reads the pointer, then puts it back on the player. A
// movement the server takes between the two must survive the warp, or the
// player stops following the mouse whenever the machine is busy.
TEST_F(X11BackendTest, AWarpAfterAReadingKeepsMovementMadeInBetween) {
  backend_->WarpPointer(400, 300);  // no fresh reading: lands exactly
  int x = -1, y = -1;
  backend_->PointerPosition(&x, &y);
  ASSERT_EQ(x, 400);
  ASSERT_EQ(y, 300);

  // Another client moves the pointer after our reading, before our warp.
  Xdotool({"mousemove_relative", "--", "7", "-3"});
  backend_->WarpPointer(500, 350);
  XSync(xt::DisplayOf(backend_.get()), False);
  backend_->PointerPosition(&x, &y);
  EXPECT_EQ(x, 507);
  EXPECT_EQ(y, 347);

  // A second warp without a reading in between is absolute again.
  backend_->WarpPointer(500, 350);
  XSync(xt::DisplayOf(backend_.get()), False);
  probe_->PointerPosition(&x, &y);
  EXPECT_EQ(x, 500);
  EXPECT_EQ(y, 350);
}

// Under our grab the server reports every movement to us, so a reading asks
// it nothing (no request goes out) yet sees what other clients did once their
// reports are taken, and a warp counts at once. When the grab ends, by
// release or by the window leaving the screen, readings ask again. The same
// through XInput 2's reports (the default where the server has it) and
// through core events alone, as on a server without it.
class X11GrabTest : public X11BackendTest {
 protected:
  void ReportsKeepThePointerKnown(bool xinput2);
};

void X11GrabTest::ReportsKeepThePointerKnown(bool xinput2) {
  Display* display = xt::DisplayOf(backend_.get());
  xt::AllowXInput2(backend_.get(), xinput2);
  NativeWindow* w = MakeWindow(300, 200, 400, 300);
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(SelectsXInputMotion(display, xt::XWindowOf(backend_.get(), w)), xinput2);
  ShowAndWait(w);
  backend_->WarpPointer(400, 300);
  ASSERT_TRUE(backend_->GrabPointer(w));
  int x = -1, y = -1;
  backend_->PointerPosition(&x, &y);  // the grab's first reading asks
  ASSERT_EQ(x, 400);
  ASSERT_EQ(y, 300);

  auto readQuietly = [&](int* rx, int* ry) {
    unsigned long before = NextRequest(display);
    backend_->PointerPosition(rx, ry);
    EXPECT_EQ(NextRequest(display), before) << "a reading under the grab went to the server";
  };
  // Takes events until a quiet reading gives (wantX, wantY).
  auto readsEventually = [&](int wantX, int wantY) {
    long long deadline = kv_e2e::MonotonicMs() + kArriveMs;
    int rx = -1, ry = -1;
    while (kv_e2e::MonotonicMs() < deadline) {
      while (backend_->PollEvent(nullptr)) {
      }
      readQuietly(&rx, &ry);
      if (rx == wantX && ry == wantY) return true;
      backend_->WaitEvent(std::chrono::milliseconds(20));
    }
    ADD_FAILURE() << "read (" << rx << ", " << ry << "), wanted (" << wantX << ", " << wantY
                  << ")";
    return false;
  };

  // Someone moves the pointer between our reading and our warp: until the
  // reports are taken the reading shows only the warp, then both.
  Xdotool({"mousemove_relative", "--", "7", "-3"});
  backend_->WarpPointer(500, 350);
  readQuietly(&x, &y);
  EXPECT_EQ(x, 500);
  EXPECT_EQ(y, 350);
  EXPECT_TRUE(readsEventually(507, 347));
  probe_->PointerPosition(&x, &y);
  EXPECT_EQ(x, 507);
  EXPECT_EQ(y, 347);
  Xdotool({"mousemove", "900", "600"});
  EXPECT_TRUE(readsEventually(900, 600));
  // Motion over the window arrives as the window's motion either way.
  Xdotool({"mousemove", "350", "260"});
  InputEvent e;
  EXPECT_TRUE(WaitFor([](const InputEvent& ev) {
    return ev.type == InputEvent::kMouseMove && ev.screenX == 350 && ev.screenY == 260;
  }, kArriveMs, &e));
  EXPECT_EQ(e.window, w);
  EXPECT_EQ(e.x, 50);
  EXPECT_EQ(e.y, 60);

  // Released: nothing reports any more, so a reading asks.
  backend_->UngrabPointer();
  Xdotool({"mousemove", "100", "110"});
  backend_->PointerPosition(&x, &y);
  EXPECT_EQ(x, 100);
  EXPECT_EQ(y, 110);

  // The server ends a grab when its window is unmapped.
  ASSERT_TRUE(backend_->GrabPointer(w));
  backend_->PointerPosition(&x, &y);
  backend_->ShowWindow(w, false);
  Xdotool({"mousemove", "150", "160"});
  backend_->PointerPosition(&x, &y);
  EXPECT_EQ(x, 150);
  EXPECT_EQ(y, 160);
  backend_->DestroyWindow(w);
}

// Under the grab, motion that another client makes up and sends does not
// move the pointer the backend knows, nor does its made-up unmap of the
// window end the grab: readings still ask the server nothing, and give
// where the pointer really is.
TEST_F(X11BackendTest, UnderTheGrabMadeUpReportsAreNotTaken) {
  Display* display = xt::DisplayOf(backend_.get());
  NativeWindow* w = MakeWindow(300, 200, 400, 300);
  ASSERT_NE(w, nullptr);
  ShowAndWait(w);
  backend_->WarpPointer(400, 300);
  ASSERT_TRUE(backend_->GrabPointer(w));
  int x = -1, y = -1;
  backend_->PointerPosition(&x, &y);
  ASSERT_EQ(x, 400);
  ASSERT_EQ(y, 300);

  Window xw = xt::XWindowOf(backend_.get(), w);
  Display* other = probe_->display();
  XEvent motion{};
  motion.xmotion.type = MotionNotify;
  motion.xmotion.window = xw;
  motion.xmotion.root = DefaultRootWindow(other);
  motion.xmotion.x_root = 1500;
  motion.xmotion.y_root = 900;
  motion.xmotion.same_screen = True;
  // Each claim, then a close request that comes after it; then a reading.
  auto readAfter = [&](const std::function<void()>& claim, const char* what) {
    claim();
    probe_->SendDeleteWindow(xw);
    ASSERT_TRUE(WaitFor([](const InputEvent& ev) { return ev.type == InputEvent::kCloseRequest; }));
    const unsigned long before = NextRequest(display);
    backend_->PointerPosition(&x, &y);
    EXPECT_EQ(NextRequest(display), before) << what << ": the grab was taken for ended";
    EXPECT_EQ(x, 400) << what;
    EXPECT_EQ(y, 300) << what;
  };
  readAfter([&] { XSendEvent(other, xw, False, NoEventMask, &motion); }, "motion");
  readAfter([&] { probe_->SendStructureEvent(xw, UnmapNotify); }, "unmap");
  readAfter([&] { probe_->SendStructureEvent(xw, DestroyNotify); }, "destroy");
  backend_->UngrabPointer();
  backend_->DestroyWindow(w);
}

TEST_F(X11GrabTest, UnderTheGrabReportsKeepThePointerKnown) { ReportsKeepThePointerKnown(true); }

TEST_F(X11GrabTest, UnderTheGrabCoreReportsAloneKeepThePointerKnown) {
  ReportsKeepThePointerKnown(false);
}

}  // namespace
}  // namespace kv_x11_test
