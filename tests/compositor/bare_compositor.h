// A Wayland compositor of the test's own that offers a chosen few globals
// and does nothing with them: enough for a client to look at what is on
// offer and leave, as the game does when something it needs is missing.
#pragma once

#include <atomic>
#include <string>
#include <thread>
#include <vector>

struct wl_display;
struct wl_interface;

namespace kv_compositor {

class BareCompositor {
 public:
  BareCompositor() = default;
  BareCompositor(const BareCompositor&) = delete;
  BareCompositor& operator=(const BareCompositor&) = delete;
  ~BareCompositor() { Stop(); }

  // Listens on a socket in a directory of its own and offers `globals`
  // (each at the version given); clients are served on a thread.
  bool Start(const std::vector<std::pair<const wl_interface*, int>>& globals);
  void Stop();
  const std::string& socket() const { return socket_; }  // a path, for WAYLAND_DISPLAY

 private:
  wl_display* display_ = nullptr;
  std::thread thread_;
  std::atomic<bool> running_{false};
  std::string dir_;
  std::string socket_;
};

}  // namespace kv_compositor
