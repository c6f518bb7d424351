#include "mutter.h"

#include <regex>

#include "remote_desktop.h"

namespace kv_compositor {

namespace {

constexpr int kStartMs = 30000;  // generous: two cores shared with other tests

}  // namespace

bool Mutter::Start(int width, int height) {
  if (!dir_.Create("mutter", 0, 0)) {
    error_ = "cannot make a runtime directory";
    return false;
  }
  busAddress_ = "unix:path=" + dir_.File("bus");
  if (!bus_.Start({"dbus-daemon", "--session", "--address=" + busAddress_, "--nofork",
                   "--nopidfile"})) {
    error_ = "cannot start dbus-daemon";
    return false;
  }
  if (!BusAnswers(busAddress_, kStartMs)) {
    error_ = "the session bus does not answer: " + bus_.Stderr();
    Stop();
    return false;
  }
  // Settings in memory: nothing is read from or written to a real home.
  const kv_e2e::EnvChanges env{{"XDG_RUNTIME_DIR", dir_.path()},
                               {"HOME", dir_.path()},
                               {"DBUS_SESSION_BUS_ADDRESS", busAddress_},
                               {"GSETTINGS_BACKEND", "memory"},
                               {"DISPLAY", std::nullopt},
                               {"WAYLAND_DISPLAY", std::nullopt},
                               {"XAUTHORITY", std::nullopt}};
  if (!mutter_.Start({"mutter", "--headless", "--wayland", "--virtual-monitor",
                      std::to_string(width) + "x" + std::to_string(height)},
                     env)) {
    error_ = "cannot start mutter";
    Stop();
    return false;
  }
  // "Using public X11 display :N, (using :M for managed services)"
  static const std::regex announced("public X11 display (:[0-9]+)");
  const long long deadline = kv_e2e::MonotonicMs() + kStartMs;
  for (;;) {
    std::smatch m;
    const std::string log = Log();
    std::vector<std::string> cookies = FilesStartingWith(dir_.path(), ".mutter-Xwaylandauth.");
    if (std::regex_search(log, m, announced) && !cookies.empty()) {
      xDisplay_ = m[1].str();
      xAuthority_ = dir_.File(cookies.front());
      break;
    }
    if (!mutter_.Running() || kv_e2e::MonotonicMs() >= deadline) {
      error_ = "mutter brought up no Xwayland; its log:\n" + log;
      Stop();
      return false;
    }
    kv_e2e::SleepMs(20);
  }
  if (!WaitForX(xDisplay_, xAuthority_, kStartMs)) {
    error_ = "no X client gets through to " + xDisplay_;
    Stop();
    return false;
  }
  return true;
}

void Mutter::Stop() {
  StopWithChildren(&mutter_);
  bus_.Stop();
  dir_.Remove();
  xDisplay_.clear();
  xAuthority_.clear();
}

kv_e2e::EnvChanges Mutter::XEnv() const {
  return {{"DISPLAY", xDisplay_}, {"XAUTHORITY", xAuthority_}, {"WAYLAND_DISPLAY", std::nullopt}};
}

}  // namespace kv_compositor
