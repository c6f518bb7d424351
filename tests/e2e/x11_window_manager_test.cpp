// Talking with a window manager: close requests, windows destroyed
// elsewhere, the ping, and sizes the manager imposes.
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

// Every pixel of the window is `colour` on the screen.
int WrongPixels(Probe& probe, Window window, int width, int height, uint32_t colour) {
  kv_e2e::Image shown = probe.Capture(window, 0, 0, width, height);
  if (shown.width != width || shown.height != height) return -1;
  int wrong = 0;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) wrong += shown.At(x, y) != colour;
  return wrong;
}

void Fill(const kv::PixelSurface& s, uint32_t colour) {
  for (int y = 0; y < s.height; ++y)
    for (int x = 0; x < s.width; ++x) s.pixels[y * s.stride + x] = colour;
}

// A manager that ignores the fixed size (or any other client) resizes the
// window: the surface is remade at the last size asked, what was drawn stays,
// the change is reported, and a present reaches the whole window. Scaled,
// the surface covers every pixel of the window.
TEST_F(X11BackendTest, AWindowGivenAnotherSizeGetsASurfaceOfThatSize) {
  for (bool allowShm : {true, false}) {
    SCOPED_TRACE(allowShm ? "shared memory allowed" : "shared memory forced off");
    xt::AllowSharedMemory(backend_.get(), allowShm);
    NativeWindow* w = MakeWindow(40, 30, 60, 40);
    ASSERT_NE(w, nullptr);
    ShowAndWait(w);
    Fill(backend_->Surface(w), 0x112233);
    backend_->Present(w, 0, 0, 60, 40);
    Window xw = xt::XWindowOf(backend_.get(), w);
    XResizeWindow(probe_->display(), xw, 70, 45);
    XResizeWindow(probe_->display(), xw, 90, 50);
    XSync(probe_->display(), False);
    InputEvent e;
    ASSERT_TRUE(WaitFor([&](const InputEvent& ev) {
      return ev.type == InputEvent::kResized && ev.width == 90;
    }, kArriveMs, &e));
    EXPECT_EQ(e.window, w);
    EXPECT_EQ(e.height, 50);
    kv::PixelSurface s = backend_->Surface(w);
    ASSERT_EQ(s.width, 90);
    ASSERT_EQ(s.height, 50);
    EXPECT_EQ(s.pixels[39 * s.stride + 59], 0x112233u) << "what was drawn is lost";
    EXPECT_EQ(s.pixels[45 * s.stride + 80], 0u) << "the new part is not black";

    backend_->BeginSurfaceWrite(w);
    Fill(s, 0x00FF8000);
    backend_->Present(w, 0, 0, s.width, s.height);
    Settle();
    EXPECT_EQ(WrongPixels(*probe_, xw, 90, 50, 0x00FF8000), 0);
    backend_->DestroyWindow(w);
  }

  kv::x11::SetScaleOverride(2);
  backend_.reset(kv::x11::OpenBackend());
  kv::x11::SetScaleOverride(0);
  ASSERT_NE(backend_, nullptr);
  NativeWindow* w = MakeWindow(10, 10, 30, 20);
  ASSERT_NE(w, nullptr);
  ShowAndWait(w);
  Window xw = xt::XWindowOf(backend_.get(), w);
  XResizeWindow(probe_->display(), xw, 121, 60);
  XSync(probe_->display(), False);
  InputEvent e;
  ASSERT_TRUE(WaitFor([&](const InputEvent& ev) { return ev.type == InputEvent::kResized; },
                      kArriveMs, &e));
  EXPECT_EQ(e.width, 61);
  EXPECT_EQ(e.height, 30);
  kv::PixelSurface s = backend_->Surface(w);
  ASSERT_EQ(s.width, 61);
  backend_->BeginSurfaceWrite(w);
  Fill(s, 0x0000A0FF);
  backend_->Present(w, 0, 0, s.width, s.height);
  Settle();
  EXPECT_EQ(WrongPixels(*probe_, xw, 121, 60, 0x0000A0FF), 0);
  backend_->DestroyWindow(w);
}

// What another client makes up and sends of our window's structure is its
// word, not the server's: a destroy, an unmap, a map, a reparent or a size
// it claims changes nothing, even when it comes right after a real resize.
// The manager's close box, sent the same way, still counts.
TEST_F(X11BackendTest, StructureEventsMadeUpByAnotherClientChangeNothing) {
  NativeWindow* w = MakeWindow(40, 30, 60, 40);
  ASSERT_NE(w, nullptr);
  ShowAndWait(w);
  Window xw = xt::XWindowOf(backend_.get(), w);
  // Takes events until the close request sent last, which comes after
  // everything sent before it; the sizes reported on the way.
  auto takeUntilCloseRequest = [&](std::vector<std::pair<int, int>>* sizes) {
    probe_->SendDeleteWindow(xw);
    bool gone = false;
    EXPECT_TRUE(WaitFor([&](const InputEvent& ev) {
      gone |= ev.type == InputEvent::kWindowGone;
      if (ev.type == InputEvent::kResized) sizes->emplace_back(ev.width, ev.height);
      return ev.type == InputEvent::kCloseRequest;
    }));
    EXPECT_FALSE(gone) << "a made-up DestroyNotify was believed";
  };

  for (int type : {DestroyNotify, UnmapNotify, MapNotify, ReparentNotify})
    probe_->SendStructureEvent(xw, type);
  probe_->SendStructureEvent(xw, ConfigureNotify, 65535, 65535);
  probe_->SendStructureEvent(xw, ConfigureNotify, -1, -1);
  std::vector<std::pair<int, int>> sizes;
  takeUntilCloseRequest(&sizes);
  EXPECT_TRUE(sizes.empty()) << "a made-up size was taken, " << sizes.back().first;
  kv::PixelSurface s = backend_->Surface(w);
  EXPECT_EQ(s.width, 60);
  EXPECT_EQ(s.height, 40);

  // A real resize, with a made-up one on its heels: the real size holds.
  XResizeWindow(probe_->display(), xw, 90, 50);
  XSync(probe_->display(), False);
  probe_->SendStructureEvent(xw, ConfigureNotify, 65535, 65535);
  sizes.clear();
  takeUntilCloseRequest(&sizes);
  ASSERT_FALSE(sizes.empty()) << "the real resize was not reported";
  EXPECT_EQ(sizes.back(), std::make_pair(90, 50));
  s = backend_->Surface(w);
  EXPECT_EQ(s.width, 90);
  EXPECT_EQ(s.height, 50);

  // The window still shows what is presented: nothing took it for gone.
  Fill(s, 0x00405060);
  backend_->Present(w, 0, 0, s.width, s.height);
  Settle();
  EXPECT_EQ(WrongPixels(*probe_, xw, 90, 50, 0x00405060), 0);
  backend_->DestroyWindow(w);
}

// Scaled up, the screen image behind a window is held to the surface limit
// however far another client stretches the window: at 4x a window made
// 32767 pixels wide gets an image 8192 wide and a surface of 2048, not an
// image four times the limit; the same downwards.
TEST_F(X11BackendTest, AStretchedWindowsScreenImageIsBoundedWhateverTheScale) {
  kv::x11::SetScaleOverride(4);
  backend_.reset(kv::x11::OpenBackend());
  kv::x11::SetScaleOverride(0);
  ASSERT_NE(backend_, nullptr);
  NativeWindow* w = MakeWindow(10, 10, 30, 20);
  ASSERT_NE(w, nullptr);
  ShowAndWait(w);
  Window xw = xt::XWindowOf(backend_.get(), w);
  struct Stretch {
    int windowWidth, windowHeight, surfaceWidth, surfaceHeight;
  };
  for (const Stretch& c : {Stretch{32767, 6, 2048, 2}, Stretch{6, 32767, 2, 2048}}) {
    SCOPED_TRACE(std::to_string(c.windowWidth) + "x" + std::to_string(c.windowHeight));
    XResizeWindow(probe_->display(), xw, c.windowWidth, c.windowHeight);
    XSync(probe_->display(), False);
    InputEvent e;
    ASSERT_TRUE(WaitFor([&](const InputEvent& ev) {
      return ev.type == InputEvent::kResized && ev.height == c.surfaceHeight;
    }, kArriveMs, &e));
    EXPECT_EQ(e.width, c.surfaceWidth);
    kv::PixelSurface s = backend_->Surface(w);
    ASSERT_EQ(s.width, c.surfaceWidth);
    ASSERT_EQ(s.height, c.surfaceHeight);
    int imageWidth = 0, imageHeight = 0;
    xt::ScreenImageSize(backend_.get(), w, &imageWidth, &imageHeight);
    EXPECT_EQ(imageWidth, c.surfaceWidth * 4);
    EXPECT_EQ(imageHeight, c.surfaceHeight * 4);
    EXPECT_LE(std::max(imageWidth, imageHeight), kv::kMaxSurfaceSide);

    // What can be seen of it shows what was presented.
    backend_->BeginSurfaceWrite(w);
    Fill(s, 0x00C0FFEE);
    backend_->Present(w, 0, 0, s.width, s.height);
    Settle();
    EXPECT_EQ(WrongPixels(*probe_, xw, std::min(c.windowWidth, 1800),
                          std::min(c.windowHeight, 1000), 0x00C0FFEE), 0);
  }
  backend_->DestroyWindow(w);
}

}  // namespace
}  // namespace kv_x11_test
