// A private X server for one test: Xvfb on a display number it picks itself.
#pragma once

#include <string>

#include "process.h"

namespace kv_e2e {

class Xvfb {
 public:
  ~Xvfb() { Stop(); }
  // Starts a server with one screen of width x height at 24 bits and waits
  // until it accepts connections. False (with the reason in error()) when it
  // does not come up.
  bool Start(int width = 1920, int height = 1080);
  // Before Start: the server also keeps its screen in a file in `dir`
  // (Xvfb_screen0, XWD format), where the pointer it draws can be seen.
  void KeepScreenIn(const std::string& dir) { screenDir_ = dir; }
  void Stop();
  // Kills the server at once, as a crash would.
  void Kill();
  const std::string& display() const { return display_; }  // ":N"
  const std::string& error() const { return error_; }
  // The game on this server only: in a Wayland session it would otherwise
  // be a client of the session's compositor.
  EnvChanges Env() const {
    return {{"DISPLAY", display_}, {"WAYLAND_DISPLAY", std::nullopt}, {"KELVARA_BACKEND", std::nullopt}};
  }

 private:
  pid_t pid_ = -1;
  std::string display_;
  std::string error_;
  std::string screenDir_;
};

// A display name (":N") that no server on this machine holds now, for
// tests that need a connection to fail.
std::string UnusedDisplay();

}  // namespace kv_e2e
