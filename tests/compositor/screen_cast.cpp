#include "screen_cast.h"

#include <systemd/sd-bus.h>

#include <cstdlib>

#include "process.h"
#include "screen_stream.h"

namespace kv_compositor {

namespace {

constexpr const char* kService = "org.gnome.Mutter.ScreenCast";

int StreamAdded(sd_bus_message* message, void* data, sd_bus_error*) {
  uint32_t node = 0;
  if (sd_bus_message_read(message, "u", &node) >= 0) *static_cast<uint32_t*>(data) = node;
  return 0;
}

}  // namespace

bool ScreenCast::Start(const std::string& busAddress, const std::string& pipewireSocket,
                       const std::string& connector, int timeoutMs) {
  Stop();
  if (sd_bus_new(&bus_) < 0 || sd_bus_set_address(bus_, busAddress.c_str()) < 0 ||
      sd_bus_set_bus_client(bus_, 1) < 0 || sd_bus_start(bus_) < 0) {
    error_ = "cannot connect to " + busAddress;
    Stop();
    return false;
  }
  sd_bus_error error = SD_BUS_ERROR_NULL;
  sd_bus_message* reply = nullptr;
  const char* path = nullptr;
  // A session lasts as long as this connection.
  if (sd_bus_call_method(bus_, kService, "/org/gnome/Mutter/ScreenCast", kService, "CreateSession",
                         &error, &reply, "a{sv}", 0) >= 0 &&
      sd_bus_message_read(reply, "o", &path) >= 0 && path)
    session_ = path;
  reply = sd_bus_message_unref(reply);
  std::string stream;
  if (!session_.empty() &&
      sd_bus_call_method(bus_, kService, session_.c_str(), "org.gnome.Mutter.ScreenCast.Session",
                         "RecordMonitor", &error, &reply, "sa{sv}", connector.c_str(), 1,
                         "cursor-mode", "u", 0u) >= 0 &&
      sd_bus_message_read(reply, "o", &path) >= 0 && path)
    stream = path;
  reply = sd_bus_message_unref(reply);
  sd_bus_slot* slot = nullptr;
  if (!stream.empty())
    sd_bus_match_signal(bus_, &slot, kService, stream.c_str(), "org.gnome.Mutter.ScreenCast.Stream",
                        "PipeWireStreamAdded", &StreamAdded, &node_);
  if (stream.empty() ||
      sd_bus_call_method(bus_, kService, session_.c_str(), "org.gnome.Mutter.ScreenCast.Session",
                         "Start", &error, nullptr, "") < 0) {
    error_ = std::string("no screen cast: ") + (error.message ? error.message : "mutter refused");
    sd_bus_error_free(&error);
    sd_bus_slot_unref(slot);
    Stop();
    return false;
  }
  const long long deadline = kv_e2e::MonotonicMs() + timeoutMs;
  while (node_ == 0 && kv_e2e::MonotonicMs() < deadline) {
    if (sd_bus_process(bus_, nullptr) > 0) continue;
    sd_bus_wait(bus_, 50000);
  }
  sd_bus_slot_unref(slot);
  if (node_ == 0) {
    error_ = "the screen cast's stream never came";
    Stop();
    return false;
  }
  char reason[256] = "";
  stream_ = kv_screen_stream_open(pipewireSocket.c_str(), node_, reason, sizeof(reason));
  if (!stream_) {
    error_ = reason;
    Stop();
    return false;
  }
  return true;
}

void ScreenCast::Stop() {
  if (stream_) kv_screen_stream_close(stream_);
  stream_ = nullptr;
  if (bus_ && !session_.empty())
    sd_bus_call_method(bus_, kService, session_.c_str(), "org.gnome.Mutter.ScreenCast.Session",
                       "Stop", nullptr, nullptr, "");
  if (bus_) sd_bus_flush_close_unref(bus_);
  bus_ = nullptr;
  session_.clear();
  node_ = 0;
  serial_ = 0;
  last_ = kv_e2e::Image{};
}

kv_e2e::Image ScreenCast::Screen(int timeoutMs) {
  if (!stream_) return kv_e2e::Image{};
  const long long deadline = kv_e2e::MonotonicMs() + timeoutMs;
  for (;;) {
    uint32_t* pixels = nullptr;
    int width = 0, height = 0;
    if (kv_screen_stream_frame(stream_, &serial_, &pixels, &width, &height)) {
      last_.width = width;
      last_.height = height;
      last_.pixels.assign(pixels, pixels + static_cast<size_t>(width) * height);
      free(pixels);
    }
    if (!last_.pixels.empty() || kv_e2e::MonotonicMs() >= deadline) return last_;
    kv_e2e::SleepMs(10);
  }
}

kv_e2e::Image ScreenCast::Grab(const ScreenRect& r) {
  const kv_e2e::Image screen = Screen();
  kv_e2e::Image part;
  if (r.width <= 0 || r.height <= 0 || r.x < 0 || r.y < 0 || r.x + r.width > screen.width ||
      r.y + r.height > screen.height)
    return part;
  part.width = r.width;
  part.height = r.height;
  for (int y = 0; y < r.height; ++y)
    for (int x = 0; x < r.width; ++x) part.pixels.push_back(screen.At(r.x + x, r.y + y));
  return part;
}

}  // namespace kv_compositor
