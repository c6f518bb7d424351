// Mouse input as a mouse makes it, sent to a wlroots compositor through its
// virtual-pointer protocol: fractional relative motion and buttons, which
// reach a locked pointer (the compositor's own `seat cursor move` does not).
#pragma once

#include <string>

struct wl_display;
struct wl_registry;
struct wl_seat;
struct zwlr_virtual_pointer_manager_v1;
struct zwlr_virtual_pointer_v1;

namespace kv_compositor {

// Linux button codes, as the protocol takes them.
constexpr unsigned kLeftButton = 0x110;
constexpr unsigned kRightButton = 0x111;

class VirtualPointer {
 public:
  VirtualPointer() = default;
  VirtualPointer(const VirtualPointer&) = delete;
  VirtualPointer& operator=(const VirtualPointer&) = delete;
  ~VirtualPointer() { Disconnect(); }

  // Connects to the compositor's socket (a path) and makes the device.
  bool Connect(const std::string& socket);
  void Disconnect();
  const std::string& error() const { return error_; }

  // Each call is one frame of input, and returns once the compositor has
  // taken it in; false when the connection is gone.
  bool Move(double dx, double dy);
  // To (x, y) of a layout `width` x `height`.
  bool MoveTo(int x, int y, int width, int height);
  bool Button(unsigned code, bool pressed);
  bool Click(unsigned code) { return Button(code, true) && Button(code, false); }

 private:
  static void Global(void* data, wl_registry* registry, unsigned name, const char* interface,
                     unsigned version);
  static void GlobalRemove(void* data, wl_registry* registry, unsigned name);
  bool Sync();

  wl_display* display_ = nullptr;
  wl_registry* registry_ = nullptr;
  wl_seat* seat_ = nullptr;
  zwlr_virtual_pointer_manager_v1* manager_ = nullptr;
  zwlr_virtual_pointer_v1* pointer_ = nullptr;
  unsigned time_ = 0;  // milliseconds; only their order matters
  std::string error_;
};

}  // namespace kv_compositor
