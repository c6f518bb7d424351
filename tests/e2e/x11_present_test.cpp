// Presenting: the pixels on the screen, a frame drawn while the server copies
// the last one, and waits that never hang.
#include "x11_fixture.h"

#include <X11/extensions/XShm.h>
#include <sys/ipc.h>
#include <sys/shm.h>

#include <climits>

#include "platform/x11/x11_errors.h"

namespace kv_x11_test {
namespace {

// Whether this server takes a shared segment from this process at all.
bool ServerAcceptsSharedMemory(Display* display) {
  if (!XShmQueryExtension(display)) return false;
  XShmSegmentInfo info{};
  info.shmid = shmget(IPC_PRIVATE, 4096, IPC_CREAT | 0600);
  if (info.shmid < 0) return false;
  info.shmaddr = static_cast<char*>(shmat(info.shmid, nullptr, 0));
  kv::x11::ErrorTrap trap(display);
  XShmAttach(display, &info);
  bool ok = !trap.Failed();
  if (ok) XShmDetach(display, &info);
  XSync(display, False);
  shmdt(info.shmaddr);
  shmctl(info.shmid, IPC_RMID, nullptr);
  return ok;
}

// Every pixel presented is the pixel on the screen, through shared memory
// and through the fallback; a partial present changes only its rectangle.
TEST_F(X11BackendTest, PresentedPixelsReachTheScreenExactly) {
  bool serverShm = ServerAcceptsSharedMemory(xt::DisplayOf(backend_.get()));
  for (bool allowShm : {true, false}) {
    SCOPED_TRACE(allowShm ? "shared memory allowed" : "shared memory forced off");
    xt::AllowSharedMemory(backend_.get(), allowShm);
    NativeWindow* w = MakeWindow(40, 30, 67, 41);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(xt::UsesSharedMemory(backend_.get(), w), allowShm && serverShm);

    kv::PixelSurface s = backend_->Surface(w);
    ASSERT_EQ(s.width, 67);
    ASSERT_EQ(s.height, 41);
    ASSERT_GE(s.stride, 67);
    for (int y = 0; y < s.height; ++y)
      for (int x = 0; x < s.width; ++x) EXPECT_EQ(s.pixels[y * s.stride + x], 0u) << "not black";
    uint32_t* before = s.pixels;
    ShowAndWait(w);
    for (int y = 0; y < s.height; ++y)
      for (int x = 0; x < s.width; ++x)
        s.pixels[y * s.stride + x] = (uint32_t(x * 3) << 16) | (uint32_t(y * 5) << 8) | uint32_t(x ^ y);
    backend_->Present(w, 0, 0, s.width, s.height);
    Settle();

    Window xw = xt::XWindowOf(backend_.get(), w);
    kv_e2e::Image shown = probe_->Capture(xw, 0, 0, 67, 41);
    ASSERT_EQ(shown.width, 67);
    int wrong = 0;
    for (int y = 0; y < 41; ++y)
      for (int x = 0; x < 67; ++x) wrong += shown.At(x, y) != s.pixels[y * s.stride + x];
    EXPECT_EQ(wrong, 0);

    // Change everything, show only a rectangle.
    backend_->BeginSurfaceWrite(w);
    for (int y = 0; y < s.height; ++y)
      for (int x = 0; x < s.width; ++x) s.pixels[y * s.stride + x] = 0x00FF8000;
    backend_->Present(w, 10, 5, 20, 7);
    Settle();
    shown = probe_->Capture(xw, 0, 0, 67, 41);
    int changedInside = 0, changedOutside = 0;
    for (int y = 0; y < 41; ++y)
      for (int x = 0; x < 67; ++x) {
        bool inside = x >= 10 && x < 30 && y >= 5 && y < 12;
        bool changed = shown.At(x, y) == 0x00FF8000;
        (inside ? changedInside : changedOutside) += changed;
      }
    EXPECT_EQ(changedInside, 20 * 7);
    EXPECT_EQ(changedOutside, 0);

    // Rectangles partly or wholly off the surface, or absurd, are clipped.
    backend_->Present(w, -10, -10, 30, 30);
    backend_->Present(w, INT_MAX - 5, 0, INT_MAX, INT_MAX);
    backend_->Present(w, 0, 0, -5, -5);
    backend_->Present(w, INT_MIN, INT_MIN, INT_MAX, INT_MAX);
    Settle();
    shown = probe_->Capture(xw, 0, 0, 67, 41);
    EXPECT_EQ(shown.At(0, 0), 0x00FF8000u);
    EXPECT_EQ(shown.At(19, 19), 0x00FF8000u);
    EXPECT_NE(shown.At(20, 20), 0x00FF8000u);
    EXPECT_EQ(backend_->Surface(w).pixels, before) << "the surface moved";
    backend_->DestroyWindow(w);
  }
}

// Fills the whole surface with one frame's pattern; frames differ everywhere.
void DrawFrame(const kv::PixelSurface& s, uint32_t frame) {
  for (int y = 0; y < s.height; ++y)
    for (int x = 0; x < s.width; ++x)
      s.pixels[y * s.stride + x] = ((uint32_t(x) * 7 + uint32_t(y) * 13 + frame * 101) & 0xFFFFFF);
}

int WrongPixels(const kv_e2e::Image& shown, const kv::PixelSurface& s, uint32_t frame) {
  if (shown.width != s.width || shown.height != s.height) return -1;
  int wrong = 0;
  for (int y = 0; y < s.height; ++y)
    for (int x = 0; x < s.width; ++x)
      wrong += shown.At(x, y) != ((uint32_t(x) * 7 + uint32_t(y) * 13 + frame * 101) & 0xFFFFFF);
  return wrong;
}

// A present returns before the server has copied the frame; the next write
// waits for that copy, so the screen gets each frame whole: overwriting the
// surface right after BeginSurfaceWrite leaves the presented frame intact,
// and the frame presented next is read back exactly. Input that arrives
// meanwhile is still delivered, in order.
TEST_F(X11BackendTest, NextFrameIsDrawnWhileTheServerCopiesThisOne) {
  bool serverShm = ServerAcceptsSharedMemory(xt::DisplayOf(backend_.get()));
  for (bool allowShm : {true, false}) {
    SCOPED_TRACE(allowShm ? "shared memory allowed" : "shared memory forced off");
    xt::AllowSharedMemory(backend_.get(), allowShm);
    NativeWindow* w = MakeWindow(20, 20, 640, 400);
    ASSERT_NE(w, nullptr);
    const bool shm = allowShm && serverShm;
    EXPECT_EQ(xt::UsesSharedMemory(backend_.get(), w), shm);
    ShowAndWait(w);
    Window xw = xt::XWindowOf(backend_.get(), w);
    kv::PixelSurface s = backend_->Surface(w);
    // Work queued on the backend's connection ahead of a put keeps the server
    // from reaching the put at once, so a write that does not wait for it
    // would land before the copy.
    Display* d = xt::DisplayOf(backend_.get());
    Pixmap busy = XCreatePixmap(d, xw, 1024, 1024, 24);
    GC busyGc = XCreateGC(d, busy, 0, nullptr);

    for (uint32_t frame = 1; frame <= 6; frame += 2) {
      SCOPED_TRACE(frame);
      backend_->BeginSurfaceWrite(w);
      DrawFrame(s, frame);
      for (int i = 0; i < 8; ++i) {
        XSetForeground(d, busyGc, static_cast<unsigned long>(i) * 0x010203);
        XFillRectangle(d, busy, busyGc, 0, 0, 1024, 1024);
      }
      backend_->Present(w, 0, 0, s.width, s.height);
      EXPECT_EQ(xt::PutPending(backend_.get(), w), shm);
      // Draw the next frame at once, as the game does, but do not show it.
      backend_->BeginSurfaceWrite(w);
      EXPECT_FALSE(xt::PutPending(backend_.get(), w));
      DrawFrame(s, frame + 1);
      Settle();
      EXPECT_EQ(WrongPixels(probe_->Capture(xw, 0, 0, s.width, s.height), s, frame), 0)
          << "the presented frame was overwritten while the server read it";
      // Now show it: once the next write may start, the server has it.
      backend_->Present(w, 0, 0, s.width, s.height);
      backend_->BeginSurfaceWrite(w);
      if (!shm) Settle();  // without shared memory nothing tells when it is copied
      EXPECT_EQ(WrongPixels(probe_->Capture(xw, 0, 0, s.width, s.height), s, frame + 1), 0);
    }
    XFreeGC(d, busyGc);
    XFreePixmap(d, busy);

    // A close request queued behind a put is not lost to the wait.
    probe_->SendDeleteWindow(xw);
    XSync(probe_->display(), False);
    backend_->Present(w, 0, 0, s.width, s.height);
    backend_->BeginSurfaceWrite(w);
    InputEvent e;
    EXPECT_TRUE(WaitFor([&](const InputEvent& ev) { return ev.type == InputEvent::kCloseRequest; },
                        kArriveMs, &e));
    EXPECT_EQ(e.window, w);

    // Presents the pump took the completions of are not waited for again.
    backend_->Present(w, 0, 0, s.width, s.height);
    Settle();
    while (backend_->PollEvent(&e)) {
    }
    EXPECT_FALSE(xt::PutPending(backend_.get(), w));
    backend_->DestroyWindow(w);
  }
  xt::AllowSharedMemory(backend_.get(), true);
}

// A window destroyed by someone else between a present and the next write
// (its put refused, no completion ever coming), or destroyed by us with a
// put outstanding, does not hold the program up.
TEST_F(X11BackendTest, WaitingForAPutNeverHangs) {
  NativeWindow* w = MakeWindow(10, 10, 200, 100);
  ASSERT_NE(w, nullptr);
  ShowAndWait(w);
  XDestroyWindow(probe_->display(), xt::XWindowOf(backend_.get(), w));
  XSync(probe_->display(), False);
  // The backend has not read the DestroyNotify yet, so this put is sent.
  backend_->Present(w, 0, 0, 200, 100);
  backend_->BeginSurfaceWrite(w);
  EXPECT_FALSE(xt::PutPending(backend_.get(), w));
  InputEvent e;
  EXPECT_TRUE(WaitFor([&](const InputEvent& ev) { return ev.type == InputEvent::kWindowGone; },
                      kArriveMs, &e));
  backend_->BeginSurfaceWrite(w);
  backend_->DestroyWindow(w);

  NativeWindow* v = MakeWindow(10, 10, 200, 100);
  ASSERT_NE(v, nullptr);
  ShowAndWait(v);
  backend_->Present(v, 0, 0, 200, 100);
  backend_->DestroyWindow(v);
  backend_->BeginSurfaceWrite(v);  // no longer ours: nothing to wait for
  // The completion of the destroyed window's put is dropped with it.
  EXPECT_FALSE(WaitFor([](const InputEvent& ev) { return ev.type != InputEvent::kNone; }, 300));
}

}  // namespace
}  // namespace kv_x11_test
