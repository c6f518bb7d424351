// The X11 backend against a real (virtual) X server: one Xvfb for the
// suite, a fresh backend and a second client (the probe) for each test.
#pragma once

// gtest before Xlib: Xlib's macros (None, Bool, ...) would break gtest's headers.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/backend.h"
#include "platform/win32.h"
#include "platform/x11/x11_backend.h"
#include "platform/x11/x11_testing.h"
#include "probe.h"
#include "process.h"
#include "xvfb.h"

namespace kv_x11_test {

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
      backend_->WaitEvent(std::chrono::milliseconds(20));
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

  static inline Xvfb* server_ = nullptr;
  std::unique_ptr<Backend> backend_;
  std::unique_ptr<Probe> probe_;
};

}  // namespace kv_x11_test
