// GoogleTest before any X header, whose None macro would break it.
#include <gtest/gtest.h>

#include "xwayland_game.h"

#include <X11/Xatom.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace kv_compositor {

namespace {

constexpr int kStartMs = 30000;  // generous: a loaded machine starts slowly

// The first window named `name`, at any depth: a manager may have put the
// program's window inside a frame of its own.
Window FindNamed(kv_e2e::Probe& probe, Window under, const std::string& name) {
  Window root = None, parent = None, *children = nullptr;
  unsigned count = 0;
  if (!XQueryTree(probe.display(), under, &root, &parent, &children, &count)) return None;
  Window found = None;
  for (unsigned i = 0; i < count && found == None; ++i) {
    XWindowAttributes a{};
    if (!XGetWindowAttributes(probe.display(), children[i], &a) || a.map_state != IsViewable)
      continue;
    if (probe.TextProperty(children[i], "WM_NAME") == name)
      found = children[i];
    else
      found = FindNamed(probe, children[i], name);
  }
  if (children) XFree(children);
  return found;
}

}  // namespace

const char* KelvaraPath() { return KV_KELVARA_PATH; }

bool XwaylandGame::Start(const kv_e2e::EnvChanges& xEnv, const std::vector<std::string>& args,
                         const std::string& resources) {
  auto display = xEnv.find("DISPLAY");
  if (display == xEnv.end() || !display->second) {
    error_ = "no DISPLAY to start on";
    return false;
  }
  // The probe is an X client of this process: it needs the same cookie.
  auto cookie = xEnv.find("XAUTHORITY");
  if (cookie != xEnv.end() && cookie->second)
    setenv("XAUTHORITY", cookie->second->c_str(), 1);
  else
    unsetenv("XAUTHORITY");
  probe_ = new kv_e2e::Probe(*display->second);
  if (!probe_->ok()) {
    error_ = "the probe cannot connect to " + *display->second;
    return false;
  }
  Display* d = probe_->display();
  if (!resources.empty()) {
    XChangeProperty(d, DefaultRootWindow(d), XInternAtom(d, "RESOURCE_MANAGER", False),
                    XA_STRING, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(resources.data()),
                    static_cast<int>(resources.size()));
    XSync(d, False);
  }
  std::vector<std::string> argv{KelvaraPath()};
  argv.insert(argv.end(), args.begin(), args.end());
  if (!game_.Start(argv, xEnv)) {
    error_ = "cannot start the game";
    return false;
  }
  const long long deadline = kv_e2e::MonotonicMs() + kStartMs;
  while ((window_ = FindNamed(*probe_, DefaultRootWindow(d), "Kelvara")) == None) {
    if (!game_.Running() || kv_e2e::MonotonicMs() >= deadline) {
      error_ = "no window named Kelvara appeared; game stderr: " + game_.Stderr();
      return false;
    }
    kv_e2e::SleepMs(50);
  }
  ScreenRect r;
  if (!Geometry(&r) ||
      probe_->CaptureSettled(window_, r.width, r.height, kStartMs).pixels.empty()) {
    error_ = "the window was never drawn";
    return false;
  }
  return true;
}

void XwaylandGame::Stop() {
  game_.Stop();
  delete probe_;
  probe_ = nullptr;
  window_ = None;
}

bool XwaylandGame::Geometry(ScreenRect* rect) {
  Display* d = probe_->display();
  XWindowAttributes a{};
  Window child = None;
  if (!XGetWindowAttributes(d, window_, &a) ||
      !XTranslateCoordinates(d, window_, DefaultRootWindow(d), 0, 0, &rect->x, &rect->y, &child))
    return false;
  rect->width = a.width;
  rect->height = a.height;
  return true;
}

void XwaylandGame::ScreenSize(int* width, int* height) {
  Display* d = probe_->display();
  *width = DisplayWidth(d, DefaultScreen(d));
  *height = DisplayHeight(d, DefaultScreen(d));
}

kv_e2e::Image XwaylandGame::Picture() {
  ScreenRect r;
  if (!Geometry(&r)) return kv_e2e::Image{};
  return probe_->Capture(window_, 0, 0, r.width, r.height);
}

int PixelsThatDiffer(const kv_e2e::Image& a, const kv_e2e::Image& b) {
  if (a.width != b.width || a.height != b.height) return std::max(a.width * a.height, b.width * b.height);
  int differ = 0;
  for (size_t i = 0; i < a.pixels.size(); ++i) differ += a.pixels[i] != b.pixels[i];
  return differ;
}

void KeepOnFailure(const std::string& name, const kv_e2e::Image& image) {
  if (!testing::Test::HasFailure() || image.pixels.empty()) return;
  const testing::TestInfo* info = testing::UnitTest::GetInstance()->current_test_info();
  const std::string dir = std::string(KV_BUILD_DIR) + "/compositor-failures";
  std::error_code ignored;
  std::filesystem::create_directories(dir, ignored);
  std::string test = std::string(info->test_suite_name()) + "." + info->name();
  std::replace(test.begin(), test.end(), '/', '_');  // typed tests: "Suite/Sway"
  const std::string path = dir + "/" + test + "-" + name + ".ppm";
  if (kv_e2e::WritePpm(image, path)) std::fprintf(stderr, "kept %s\n", path.c_str());
}

}  // namespace kv_compositor
