// Input sent to mutter through org.gnome.Mutter.RemoteDesktop, as GNOME's
// remote-desktop service sends it: relative motion, buttons and keys. A
// session lasts as long as the connection that made it.
#pragma once

#include <string>

struct sd_bus;

namespace kv_compositor {

// Whether a bus at `address` takes a connection within the time.
bool BusAnswers(const std::string& address, int timeoutMs);

class RemoteDesktop {
 public:
  RemoteDesktop() = default;
  RemoteDesktop(const RemoteDesktop&) = delete;
  RemoteDesktop& operator=(const RemoteDesktop&) = delete;
  ~RemoteDesktop() { Disconnect(); }

  // Connects to the bus and starts a session; waits for mutter to offer
  // the service.
  bool Connect(const std::string& busAddress, int timeoutMs);
  void Disconnect();
  const std::string& error() const { return error_; }

  // Each call returns once mutter has taken the input in.
  bool Move(double dx, double dy);
  // Linux button codes (BTN_LEFT is 0x110).
  bool Button(unsigned code, bool pressed);
  bool Click(unsigned code) { return Button(code, true) && Button(code, false); }
  // Linux key codes (KEY_ESC is 1).
  bool Key(unsigned code, bool pressed);
  // To (x, y) of the layout: first far up and left, where the pointer
  // stops at the corner, then by (x, y). (Absolute motion would need a
  // screen cast.) Not for a locked pointer.
  bool MoveTo(int x, int y);

 private:
  bool Call(const char* method, const char* types, ...);

  sd_bus* bus_ = nullptr;
  std::string session_;
  std::string error_;
};

}  // namespace kv_compositor
