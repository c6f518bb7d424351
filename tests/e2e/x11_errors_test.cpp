// Errors: protocol errors survived, bad requests refused, no display, and
// a server lost mid-run.
#include "x11_fixture.h"

#include <climits>
#include <cstdio>
#include <optional>

#include "platform/x11/x11_errors.h"

namespace kv_x11_test {
namespace {

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
  backend_->WaitEvent(std::chrono::milliseconds(-5));
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
    backend->WaitEvent(std::chrono::milliseconds(10));
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

// Losing the server mid-run ends the program with a message and status 1:
// it could not finish what it was doing.
TEST(X11BackendLostServer, EndsWithAMessageAndFails) {
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
  EXPECT_EQ(*code, 1) << child.Stderr();
  EXPECT_NE(child.Stderr().find("lost"), std::string::npos) << child.Stderr();
  EXPECT_EQ(child.Stdout().find("NEVER"), std::string::npos);
}

}  // namespace
}  // namespace kv_x11_test
