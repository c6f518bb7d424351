// What mutter shows, read as GNOME's own screen sharing reads it: a screen
// cast of its monitor (org.gnome.Mutter.ScreenCast), streamed through
// PipeWire. Mutter has no other way to give its pixels out.
#pragma once

#include <cstdint>
#include <string>

#include "probe.h"
#include "screen_rect.h"

struct sd_bus;
struct kv_screen_stream;

namespace kv_compositor {

class ScreenCast {
 public:
  ScreenCast() = default;
  ScreenCast(const ScreenCast&) = delete;
  ScreenCast& operator=(const ScreenCast&) = delete;
  ~ScreenCast() { Stop(); }

  // Casts the monitor on `connector` (the cursor left out), on mutter's bus,
  // and reads the stream from the PipeWire daemon at `pipewireSocket`.
  bool Start(const std::string& busAddress, const std::string& pipewireSocket,
             const std::string& connector, int timeoutMs);
  void Stop();
  const std::string& error() const { return error_; }

  // The monitor as it was last shown, waiting up to `timeoutMs` for the
  // first picture; empty when none came.
  kv_e2e::Image Screen(int timeoutMs = 5000);
  // Part of it.
  kv_e2e::Image Grab(const ScreenRect& r);

 private:
  sd_bus* bus_ = nullptr;
  std::string session_;
  uint32_t node_ = 0;
  kv_screen_stream* stream_ = nullptr;
  uint64_t serial_ = 0;
  kv_e2e::Image last_;
  std::string error_;
};

}  // namespace kv_compositor
