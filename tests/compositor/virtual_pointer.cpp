#include "virtual_pointer.h"

#include <wayland-client.h>

#include <cstring>

#include "wlr-virtual-pointer-unstable-v1-client-protocol.h"

namespace kv_compositor {

void VirtualPointer::Global(void* data, wl_registry* registry, unsigned name,
                            const char* interface, unsigned) {
  auto* self = static_cast<VirtualPointer*>(data);
  if (std::strcmp(interface, zwlr_virtual_pointer_manager_v1_interface.name) == 0 &&
      !self->manager_)
    self->manager_ = static_cast<zwlr_virtual_pointer_manager_v1*>(
        wl_registry_bind(registry, name, &zwlr_virtual_pointer_manager_v1_interface, 1));
  else if (std::strcmp(interface, wl_seat_interface.name) == 0 && !self->seat_)
    self->seat_ = static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
}

void VirtualPointer::GlobalRemove(void*, wl_registry*, unsigned) {}

bool VirtualPointer::Connect(const std::string& socket) {
  Disconnect();
  display_ = wl_display_connect(socket.c_str());
  if (!display_) {
    error_ = "cannot connect to " + socket;
    return false;
  }
  static const wl_registry_listener listener{&VirtualPointer::Global,
                                             &VirtualPointer::GlobalRemove};
  registry_ = wl_display_get_registry(display_);
  wl_registry_add_listener(registry_, &listener, this);
  if (wl_display_roundtrip(display_) < 0 || !manager_) {
    error_ = "the compositor offers no zwlr_virtual_pointer_manager_v1";
    Disconnect();
    return false;
  }
  pointer_ = zwlr_virtual_pointer_manager_v1_create_virtual_pointer(manager_, seat_);
  return Sync();
}

void VirtualPointer::Disconnect() {
  if (pointer_) zwlr_virtual_pointer_v1_destroy(pointer_);
  if (manager_) zwlr_virtual_pointer_manager_v1_destroy(manager_);
  if (seat_) wl_seat_destroy(seat_);
  if (registry_) wl_registry_destroy(registry_);
  if (display_) {
    wl_display_flush(display_);
    wl_display_disconnect(display_);
  }
  pointer_ = nullptr;
  manager_ = nullptr;
  seat_ = nullptr;
  registry_ = nullptr;
  display_ = nullptr;
}

bool VirtualPointer::Sync() {
  if (!display_ || wl_display_roundtrip(display_) < 0) {
    error_ = "the compositor closed the connection";
    return false;
  }
  return true;
}

bool VirtualPointer::Move(double dx, double dy) {
  if (!pointer_) return false;
  zwlr_virtual_pointer_v1_motion(pointer_, ++time_, wl_fixed_from_double(dx),
                                 wl_fixed_from_double(dy));
  zwlr_virtual_pointer_v1_frame(pointer_);
  return Sync();
}

bool VirtualPointer::MoveTo(int x, int y, int width, int height) {
  if (!pointer_ || x < 0 || y < 0 || width <= 0 || height <= 0) return false;
  zwlr_virtual_pointer_v1_motion_absolute(pointer_, ++time_, static_cast<uint32_t>(x),
                                          static_cast<uint32_t>(y),
                                          static_cast<uint32_t>(width),
                                          static_cast<uint32_t>(height));
  zwlr_virtual_pointer_v1_frame(pointer_);
  return Sync();
}

bool VirtualPointer::Button(unsigned code, bool pressed) {
  if (!pointer_) return false;
  zwlr_virtual_pointer_v1_button(pointer_, ++time_, code,
                                 pressed ? WL_POINTER_BUTTON_STATE_PRESSED
                                         : WL_POINTER_BUTTON_STATE_RELEASED);
  zwlr_virtual_pointer_v1_frame(pointer_);
  return Sync();
}

}  // namespace kv_compositor
