#include "remote_desktop.h"

#include <systemd/sd-bus.h>

#include <cstdarg>

#include "process.h"

namespace kv_compositor {

namespace {

constexpr const char* kService = "org.gnome.Mutter.RemoteDesktop";
constexpr const char* kSessionInterface = "org.gnome.Mutter.RemoteDesktop.Session";

sd_bus* OpenBus(const std::string& address) {
  sd_bus* bus = nullptr;
  if (sd_bus_new(&bus) < 0) return nullptr;
  if (sd_bus_set_address(bus, address.c_str()) < 0 || sd_bus_set_bus_client(bus, 1) < 0 ||
      sd_bus_start(bus) < 0) {
    sd_bus_unref(bus);
    return nullptr;
  }
  return bus;
}

}  // namespace

bool BusAnswers(const std::string& address, int timeoutMs) {
  const long long deadline = kv_e2e::MonotonicMs() + timeoutMs;
  for (;;) {
    if (sd_bus* bus = OpenBus(address)) {
      sd_bus_unref(bus);
      return true;
    }
    if (kv_e2e::MonotonicMs() >= deadline) return false;
    kv_e2e::SleepMs(20);
  }
}

bool RemoteDesktop::Connect(const std::string& busAddress, int timeoutMs) {
  Disconnect();
  bus_ = OpenBus(busAddress);
  if (!bus_) {
    error_ = "cannot connect to " + busAddress;
    return false;
  }
  const long long deadline = kv_e2e::MonotonicMs() + timeoutMs;
  for (;;) {
    sd_bus_error error = SD_BUS_ERROR_NULL;
    sd_bus_message* reply = nullptr;
    int r = sd_bus_call_method(bus_, kService, "/org/gnome/Mutter/RemoteDesktop", kService,
                               "CreateSession", &error, &reply, "");
    const char* path = nullptr;
    if (r >= 0 && sd_bus_message_read(reply, "o", &path) >= 0 && path) session_ = path;
    if (r < 0) error_ = error.message ? error.message : "CreateSession failed";
    sd_bus_message_unref(reply);
    sd_bus_error_free(&error);
    if (!session_.empty()) break;
    // Mutter takes its name on the bus some time after it starts.
    if (kv_e2e::MonotonicMs() >= deadline) {
      Disconnect();
      return false;
    }
    kv_e2e::SleepMs(50);
  }
  return Call("Start", "");
}

void RemoteDesktop::Disconnect() {
  if (bus_ && !session_.empty()) Call("Stop", "");
  if (bus_) sd_bus_flush_close_unref(bus_);
  bus_ = nullptr;
  session_.clear();
}

bool RemoteDesktop::Call(const char* method, const char* types, ...) {
  if (!bus_ || session_.empty()) return false;
  sd_bus_message* message = nullptr;
  sd_bus_message* reply = nullptr;
  sd_bus_error error = SD_BUS_ERROR_NULL;
  int r = sd_bus_message_new_method_call(bus_, &message, kService, session_.c_str(),
                                         kSessionInterface, method);
  if (r >= 0) {
    va_list args;
    va_start(args, types);
    r = sd_bus_message_appendv(message, types, args);
    va_end(args);
  }
  if (r >= 0) r = sd_bus_call(bus_, message, 0, &error, &reply);
  if (r < 0)
    error_ = std::string(method) + ": " + (error.message ? error.message : "call failed");
  sd_bus_message_unref(reply);
  sd_bus_message_unref(message);
  sd_bus_error_free(&error);
  return r >= 0;
}

bool RemoteDesktop::Move(double dx, double dy) {
  return Call("NotifyPointerMotionRelative", "dd", dx, dy);
}

bool RemoteDesktop::Button(unsigned code, bool pressed) {
  return Call("NotifyPointerButton", "ib", static_cast<int>(code), static_cast<int>(pressed));
}

bool RemoteDesktop::Key(unsigned code, bool pressed) {
  return Call("NotifyKeyboardKeycode", "ub", code, static_cast<int>(pressed));
}

bool RemoteDesktop::MoveTo(int x, int y) {
  return Move(-100000, -100000) && Move(x, y);
}

}  // namespace kv_compositor
