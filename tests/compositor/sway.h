// Headless sway with Xwayland, private to one test: the wlroots desktop.
//
// Sway refuses to run as root, so a test run as root runs it as nobody; it
// has a runtime directory of its own, and from inside it lets the test's X
// clients into its Xwayland. Its
// Xwayland takes the first display number no other server holds (lock files
// keep parallel tests apart), and says which one through a file.
#pragma once

#include <string>
#include <vector>

#include "probe.h"
#include "process.h"
#include "session_dir.h"

namespace kv_compositor {

struct SwayOutput {
  int width = 1280, height = 800;  // the mode, in output pixels
  int scale = 1;                   // X clients see width / scale x height / scale
};

class Sway {
 public:
  Sway() = default;
  Sway(const Sway&) = delete;
  Sway& operator=(const Sway&) = delete;
  ~Sway() { Stop(); }

  // Starts sway with one headless output and waits for its Xwayland. False,
  // with the reason in error(), when either does not come up.
  bool Start(const SwayOutput& output = {});
  // Ends sway and its Xwayland, and removes the runtime directory.
  void Stop();
  const std::string& error() const { return error_; }

  const std::string& xDisplay() const { return xDisplay_; }  // ":N"
  // For X clients: the Xwayland display.
  kv_e2e::EnvChanges XEnv() const;
  // For Wayland clients run by the test (grim): the socket by its path.
  kv_e2e::EnvChanges WaylandEnv() const;
  const std::string& waylandSocket() const { return waylandSocket_; }

  // swaymsg with these arguments.
  kv_e2e::CommandResult Msg(const std::vector<std::string>& args);
  // Sway's debug log so far.
  std::string Log() const { return sway_.Stderr(); }
  // The rectangle (x, y, width, height) of the layout as grim reads it: in
  // output pixels, so scale times the size at scale > 1. Empty on failure.
  kv_e2e::Image Grab(int x, int y, int width, int height);

 private:
  SessionDir dir_;
  kv_e2e::Process sway_;
  std::string xDisplay_;
  std::string waylandSocket_;
  std::string ipcSocket_;
  std::string error_;
};

}  // namespace kv_compositor
