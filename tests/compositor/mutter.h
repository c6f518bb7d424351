// Headless mutter with Xwayland, private to one test: the GNOME desktop.
//
// It runs with a session bus of its own (a private dbus-daemon), on which
// it offers org.gnome.Mutter.RemoteDesktop for input; its Xwayland takes
// the first free display numbers (two: one public, one for its own
// services) and a cookie file in the runtime directory.
#pragma once

#include <string>

#include "process.h"
#include "session_dir.h"

namespace kv_compositor {

class Mutter {
 public:
  Mutter() = default;
  Mutter(const Mutter&) = delete;
  Mutter& operator=(const Mutter&) = delete;
  ~Mutter() { Stop(); }

  // Starts the bus and mutter with one virtual monitor of width x height,
  // and waits for its Xwayland. False, with the reason in error(), when
  // something does not come up.
  bool Start(int width = 1280, int height = 800);
  void Stop();
  const std::string& error() const { return error_; }

  const std::string& xDisplay() const { return xDisplay_; }
  // For X clients: the Xwayland display and its cookie file.
  kv_e2e::EnvChanges XEnv() const;
  // The private session bus, where RemoteDesktop is offered.
  const std::string& busAddress() const { return busAddress_; }
  std::string Log() const { return mutter_.Stdout() + mutter_.Stderr(); }

 private:
  SessionDir dir_;
  kv_e2e::Process bus_;
  kv_e2e::Process mutter_;
  std::string busAddress_;
  std::string xDisplay_;
  std::string xAuthority_;
  std::string error_;
};

}  // namespace kv_compositor
