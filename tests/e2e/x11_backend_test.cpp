// The X11 backend against a real (virtual) X server.
// gtest before Xlib: Xlib's macros (None, Bool, ...) would break gtest's headers.
#include <gtest/gtest.h>

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <sys/ipc.h>
#include <sys/shm.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <functional>
#include <memory>

#include "platform/backend.h"
#include "platform/win32.h"
#include "platform/x11/x11_backend.h"
#include "platform/x11/x11_errors.h"
#include "platform/x11/x11_testing.h"
#include "probe.h"
#include "process.h"
#include "xvfb.h"

namespace {

using kv::Backend;
using kv::InputEvent;
using kv::NativeWindow;
using kv::NativeWindowParams;
using kv_e2e::Probe;
using kv_e2e::Xvfb;
namespace xt = kv::x11::testing;

// How long an event or a window may take to arrive. Generous: on a loaded
// machine the server and this process share the cores with everything else.
constexpr int kArriveMs = 15000;

class X11BackendTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    server_ = new Xvfb;
    if (!server_->Start()) FAIL() << server_->error();
  }
  static void TearDownTestSuite() {
    delete server_;
    server_ = nullptr;
  }

  void SetUp() override {
    ASSERT_FALSE(server_->display().empty());
    setenv("DISPLAY", server_->display().c_str(), 1);
    backend_.reset(kv::x11::OpenBackend());
    ASSERT_NE(backend_, nullptr);
    // The backend's recording error handler stays in place.
    probe_ = std::make_unique<Probe>(server_->display(), false);
    ASSERT_TRUE(probe_->ok());
  }

  NativeWindow* MakeWindow(int x, int y, int w, int h, const wchar_t* title = L"test",
                           NativeWindow* owner = nullptr, bool popup = false) {
    NativeWindowParams p;
    p.x = x;
    p.y = y;
    p.width = w;
    p.height = h;
    p.title = title;
    p.owner = owner;
    p.popup = popup;
    return backend_->CreateWindow(p);
  }

  // Takes events until one satisfies `match` (true) or the time is up.
  bool WaitFor(const std::function<bool(const InputEvent&)>& match, int timeoutMs = kArriveMs,
               InputEvent* found = nullptr) {
    long long deadline = kv_e2e::MonotonicMs() + timeoutMs;
    while (kv_e2e::MonotonicMs() < deadline) {
      InputEvent e;
      while (backend_->PollEvent(&e)) {
        if (match(e)) {
          if (found) *found = e;
          return true;
        }
      }
      backend_->WaitEvent(20);
    }
    return false;
  }

  // Shows a window and waits until the server has it on screen.
  void ShowAndWait(NativeWindow* w) {
    backend_->ShowWindow(w, true);
    ASSERT_TRUE(WaitFor([&](const InputEvent& e) {
      return e.type == InputEvent::kExpose && e.window == w;
    }));
  }

  // Present only sends the request; the probe is another connection, so let
  // the server take ours first.
  void Settle() { XSync(xt::DisplayOf(backend_.get()), False); }

  void Xdotool(const std::vector<std::string>& args) {
    std::vector<std::string> argv{"xdotool"};
    argv.insert(argv.end(), args.begin(), args.end());
    auto r = kv_e2e::Run(argv, {{"DISPLAY", server_->display()}});
    ASSERT_EQ(r.exitCode, 0) << r.err;
  }

  static Xvfb* server_;
  std::unique_ptr<Backend> backend_;
  std::unique_ptr<Probe> probe_;
};

Xvfb* X11BackendTest::server_ = nullptr;

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

// What window managers and tools read: both titles, class, the close
// protocol, a fixed size at the asked place; dialogs name their owner;
// drop-downs are left alone by the manager.
TEST_F(X11BackendTest, WindowsCarryTheirHints) {
  NativeWindow* main = MakeWindow(203, 225, 300, 200, L"Kelvara");
  ASSERT_NE(main, nullptr);
  ShowAndWait(main);
  Window xw = xt::XWindowOf(backend_.get(), main);
  EXPECT_EQ(probe_->TextProperty(xw, "WM_NAME"), "Kelvara");
  EXPECT_EQ(probe_->TextProperty(xw, "_NET_WM_NAME"), "Kelvara");

  // The backend only flushes; the probe is another connection, so wait until
  // the server has taken the new title before reading it.
  backend_->SetTitle(main, L"Caf\u00e9 \u20ac \U0001F600");
  XSync(xt::DisplayOf(backend_.get()), False);
  EXPECT_EQ(probe_->TextProperty(xw, "WM_NAME"), "Caf\xe9 ? ?");
  EXPECT_EQ(probe_->TextProperty(xw, "_NET_WM_NAME"),
            "Caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x98\x80");
  backend_->SetTitle(main, nullptr);
  XSync(xt::DisplayOf(backend_.get()), False);
  EXPECT_EQ(probe_->TextProperty(xw, "WM_NAME"), "");

  XClassHint cls{};
  ASSERT_TRUE(XGetClassHint(probe_->display(), xw, &cls));
  EXPECT_STREQ(cls.res_name, "kelvara");
  EXPECT_STREQ(cls.res_class, "Kelvara");
  XFree(cls.res_name);
  XFree(cls.res_class);

  Atom* protocols = nullptr;
  int count = 0;
  ASSERT_TRUE(XGetWMProtocols(probe_->display(), xw, &protocols, &count));
  Atom deleteWindow = XInternAtom(probe_->display(), "WM_DELETE_WINDOW", False);
  bool hasDelete = false;
  for (int i = 0; i < count; ++i) hasDelete |= protocols[i] == deleteWindow;
  XFree(protocols);
  EXPECT_TRUE(hasDelete);

  XSizeHints hints{};
  long supplied = 0;
  ASSERT_TRUE(XGetWMNormalHints(probe_->display(), xw, &hints, &supplied));
  EXPECT_TRUE(hints.flags & USPosition);
  EXPECT_TRUE(hints.flags & PMinSize);
  EXPECT_TRUE(hints.flags & PMaxSize);
  EXPECT_EQ(hints.min_width, 300);
  EXPECT_EQ(hints.max_width, 300);
  EXPECT_EQ(hints.min_height, 200);
  EXPECT_EQ(hints.max_height, 200);
  EXPECT_EQ(probe_->CardinalProperty(xw, "_NET_WM_PID", XA_CARDINAL),
            std::vector<long>{static_cast<long>(getpid())});

  auto found = probe_->FindMapped("");
  ASSERT_TRUE(found.has_value());  // the title was cleared above
  EXPECT_EQ(found->x, 203);
  EXPECT_EQ(found->y, 225);
  EXPECT_EQ(found->width, 300);
  EXPECT_EQ(found->height, 200);
  EXPECT_FALSE(found->overrideRedirect);
  int ox = -1, oy = -1;
  backend_->SurfaceOrigin(main, &ox, &oy);
  EXPECT_EQ(ox, 203);
  EXPECT_EQ(oy, 225);

  NativeWindow* dialog = MakeWindow(250, 260, 120, 80, L"Kelvara", main);
  NativeWindow* popup = MakeWindow(210, 250, 90, 70, L"", main, true);
  ASSERT_NE(dialog, nullptr);
  ASSERT_NE(popup, nullptr);
  ShowAndWait(dialog);
  ShowAndWait(popup);
  Window xd = xt::XWindowOf(backend_.get(), dialog);
  Window xp = xt::XWindowOf(backend_.get(), popup);
  EXPECT_EQ(probe_->TransientFor(xd), xw);
  Atom dialogType = XInternAtom(probe_->display(), "_NET_WM_WINDOW_TYPE_DIALOG", False);
  EXPECT_EQ(probe_->CardinalProperty(xd, "_NET_WM_WINDOW_TYPE", XA_ATOM),
            std::vector<long>{static_cast<long>(dialogType)});
  bool popupOverride = false, dialogOverride = true;
  for (const auto& t : probe_->MappedTopLevels()) {
    if (t.id == xp) popupOverride = t.overrideRedirect;
    if (t.id == xd) dialogOverride = t.overrideRedirect;
  }
  EXPECT_TRUE(popupOverride);
  EXPECT_FALSE(dialogOverride);

  // Hidden windows leave the screen; destroying the owner first is harmless.
  // The unmap must have reached the server before the probe looks.
  backend_->ShowWindow(popup, false);
  XSync(xt::DisplayOf(backend_.get()), False);
  int mapped = 0;
  for (const auto& t : probe_->MappedTopLevels()) mapped += t.id == xp;
  EXPECT_EQ(mapped, 0);
  backend_->DestroyWindow(main);
  backend_->DestroyWindow(dialog);
  backend_->DestroyWindow(popup);
}

// Real input from the server (xdotool through XTEST) arrives translated:
// motion, the three buttons without the wheel, keys with their virtual-key
// code, character and modifiers.
TEST_F(X11BackendTest, InputArrivesTranslated) {
  NativeWindow* w = MakeWindow(100, 100, 400, 300);
  ASSERT_NE(w, nullptr);
  ShowAndWait(w);

  Xdotool({"mousemove", "150", "170"});
  InputEvent e;
  ASSERT_TRUE(WaitFor([&](const InputEvent& ev) {
    return ev.type == InputEvent::kMouseMove && ev.screenX == 150 && ev.screenY == 170;
  }, kArriveMs, &e));
  EXPECT_EQ(e.window, w);
  EXPECT_EQ(e.x, 50);
  EXPECT_EQ(e.y, 70);

  for (int button : {1, 2, 3}) {
    Xdotool({"click", std::to_string(button)});
    ASSERT_TRUE(WaitFor([&](const InputEvent& ev) { return ev.type == InputEvent::kButtonDown; },
                        kArriveMs, &e));
    EXPECT_EQ(e.button, button);
    EXPECT_EQ(e.x, 50);
    EXPECT_EQ(e.y, 70);
    ASSERT_TRUE(WaitFor([&](const InputEvent& ev) { return ev.type == InputEvent::kButtonUp; },
                        kArriveMs, &e));
    EXPECT_EQ(e.button, button);
  }
  // The wheel produces nothing; a later key shows that nothing was lost.
  Xdotool({"click", "4", "click", "5", "key", "Escape"});
  ASSERT_TRUE(WaitFor([&](const InputEvent& ev) {
    return ev.type != InputEvent::kMouseMove && ev.type != InputEvent::kExpose &&
           ev.type != InputEvent::kNone;
  }, kArriveMs, &e));
  EXPECT_EQ(e.type, InputEvent::kKeyDown);
  EXPECT_EQ(e.key, unsigned(VK_ESCAPE));

  struct Case {
    const char* keys;
    unsigned vk;
    wchar_t ch;
    bool alt, shift, ctrl;
  };
  const Case cases[] = {
      {"d", 'D', L'd', false, false, false},     {"shift+d", 'D', L'D', false, true, false},
      {"alt+d", 'D', L'd', true, false, false},  {"ctrl+a", 'A', 1, false, false, true},
      {"Return", VK_RETURN, L'\r', false, false, false},
      {"F10", VK_F10, 0, false, false, false},   {"Down", VK_DOWN, 0, false, false, false},
      {"Left", VK_LEFT, 0, false, false, false}, {"space", VK_SPACE, L' ', false, false, false},
      {"Tab", VK_TAB, L'\t', false, false, false}, {"7", '7', L'7', false, false, false},
      {"shift+1", '1', L'!', false, true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.keys);
    Xdotool({"key", c.keys});
    // Modifier keys come first as their own events; look for the key itself.
    ASSERT_TRUE(WaitFor([&](const InputEvent& ev) {
      return ev.type == InputEvent::kKeyDown && ev.key == c.vk;
    }, kArriveMs, &e));
    EXPECT_EQ(e.window, w);
    EXPECT_EQ(e.ch, c.ch);
    EXPECT_EQ(e.alt, c.alt);
    EXPECT_EQ(e.shift, c.shift);
    EXPECT_EQ(e.ctrl, c.ctrl);
    ASSERT_TRUE(WaitFor([&](const InputEvent& ev) {
      return ev.type == InputEvent::kKeyUp && ev.key == c.vk;
    }, kArriveMs, &e));
    EXPECT_EQ(e.ch, 0);
  }

  // Alt alone: down with alt set, up with it cleared.
  Xdotool({"key", "alt"});
  ASSERT_TRUE(WaitFor([&](const InputEvent& ev) {
    return ev.type == InputEvent::kKeyDown && ev.key == VK_MENU;
  }, kArriveMs, &e));
  EXPECT_TRUE(e.alt);
  ASSERT_TRUE(WaitFor([&](const InputEvent& ev) {
    return ev.type == InputEvent::kKeyUp && ev.key == VK_MENU;
  }, kArriveMs, &e));
  EXPECT_FALSE(e.alt);
  backend_->DestroyWindow(w);
}

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
// release or by the window leaving the screen, readings ask again.
TEST_F(X11BackendTest, UnderTheGrabReportsKeepThePointerKnown) {
  Display* display = xt::DisplayOf(backend_.get());
  NativeWindow* w = MakeWindow(300, 200, 400, 300);
  ASSERT_NE(w, nullptr);
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
      backend_->WaitEvent(20);
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

// A protocol error is recorded, not fatal, and the backend keeps working.
TEST_F(X11BackendTest, AnXErrorIsSurvived) {
  Display* d = xt::DisplayOf(backend_.get());
  unsigned long before = kv::x11::ErrorCount();
  XMapWindow(d, 0x1FFFFFF);  // no such window
  XSync(d, False);
  EXPECT_EQ(kv::x11::ErrorCount(), before + 1);
  EXPECT_EQ(kv::x11::LastErrorCode(), BadWindow);

  NativeWindow* w = MakeWindow(0, 0, 20, 20);
  ASSERT_NE(w, nullptr);
  ShowAndWait(w);
  kv::PixelSurface s = backend_->Surface(w);
  s.pixels[0] = 0x00123456;
  backend_->Present(w, 0, 0, 1, 1);
  Settle();
  EXPECT_EQ(probe_->Capture(xt::XWindowOf(backend_.get(), w), 0, 0, 1, 1).At(0, 0), 0x00123456u);
  backend_->DestroyWindow(w);
}

// Requests the server could not honour, or handles that are not ours, give
// a clear "no" and no crash.
TEST_F(X11BackendTest, BadRequestsAreRefusedCleanly) {
  EXPECT_EQ(MakeWindow(0, 0, 0, 10), nullptr);
  EXPECT_EQ(MakeWindow(0, 0, 10, -1), nullptr);
  EXPECT_EQ(MakeWindow(0, 0, 40000, 10), nullptr);
  EXPECT_EQ(MakeWindow(0, 0, INT_MAX, INT_MAX), nullptr);

  int stranger = 0;
  auto* bogus = reinterpret_cast<NativeWindow*>(&stranger);
  for (NativeWindow* w : {static_cast<NativeWindow*>(nullptr), bogus}) {
    EXPECT_EQ(backend_->Surface(w).pixels, nullptr);
    backend_->Present(w, 0, 0, 10, 10);
    backend_->BeginSurfaceWrite(w);
    backend_->ShowWindow(w, true);
    backend_->SetTitle(w, L"x");
    backend_->SetPointerHidden(w, true);
    EXPECT_FALSE(backend_->GrabPointer(w));
    int x = 7, y = 7;
    backend_->SurfaceOrigin(w, &x, &y);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 0);
    backend_->DestroyWindow(w);
  }
  backend_->PollEvent(nullptr);
  backend_->WaitEvent(-5);
  EXPECT_EQ(stranger, 0);
}

// The child programs of the two tests below: this same executable, started
// with KV_E2E_CHILD set, runs one of them before gtest sees anything.
[[noreturn]] void OpenNothingChild() {
  Backend* backend = kv::x11::OpenBackend();
  std::exit(backend == nullptr ? 0 : 1);
}

[[noreturn]] void SurviveForeverChild() {
  Backend* backend = kv::x11::OpenBackend();
  if (!backend) std::exit(2);
  NativeWindowParams p;
  p.width = p.height = 30;
  p.title = L"survivor";
  NativeWindow* w = backend->CreateWindow(p);
  if (!w) std::exit(2);
  backend->ShowWindow(w, true);
  long long deadline = kv_e2e::MonotonicMs() + 20000;
  while (kv_e2e::MonotonicMs() < deadline) {
    InputEvent e;
    while (backend->PollEvent(&e)) {
    }
    // The server may vanish while a write waits for its copy.
    backend->BeginSurfaceWrite(w);
    backend->Surface(w).pixels[0] += 1;
    backend->Present(w, 0, 0, 30, 30);
    backend->WaitEvent(10);
  }
  std::printf("NEVER\n");
  std::exit(1);
}

const bool kChildRan = [] {
  const char* role = std::getenv("KV_E2E_CHILD");
  if (role && std::string(role) == "open-nothing") OpenNothingChild();
  if (role && std::string(role) == "survive") SurviveForeverChild();
  return false;
}();

// Without a reachable display there is no backend, and a message says why.
TEST(X11BackendOpen, NoDisplayGivesNullAndAMessage) {
  auto r = kv_e2e::Run({"/proc/self/exe"}, {{"DISPLAY", std::nullopt}, {"KV_E2E_CHILD", "open-nothing"}});
  EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
  EXPECT_NE(r.err.find("cannot open display"), std::string::npos) << r.err;
  const std::string nowhere = kv_e2e::UnusedDisplay();
  r = kv_e2e::Run({"/proc/self/exe"}, {{"DISPLAY", nowhere}, {"KV_E2E_CHILD", "open-nothing"}});
  EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
  EXPECT_NE(r.err.find("cannot open display \"" + nowhere + "\""), std::string::npos) << r.err;
}

// Losing the server mid-run ends the program with code 0 and a message.
TEST(X11BackendLostServer, EndsCleanly) {
  Xvfb server;
  ASSERT_TRUE(server.Start(640, 480)) << server.error();
  kv_e2e::Process child;
  ASSERT_TRUE(child.Start({"/proc/self/exe"},
                          {{"DISPLAY", server.display()}, {"KV_E2E_CHILD", "survive"}}));
  {
    // Wait for its window, then pull the server away.
    Probe probe(server.display(), false);
    ASSERT_TRUE(probe.ok());
    EXPECT_TRUE(probe.WaitForMapped("survivor", kArriveMs).has_value()) << child.Stderr();
  }
  server.Kill();
  auto code = child.Wait(kArriveMs);
  ASSERT_TRUE(code.has_value()) << "still running after the server died";
  EXPECT_EQ(*code, 0) << child.Stderr();
  EXPECT_NE(child.Stderr().find("lost"), std::string::npos) << child.Stderr();
  EXPECT_EQ(child.Stdout().find("NEVER"), std::string::npos);
}

}  // namespace
