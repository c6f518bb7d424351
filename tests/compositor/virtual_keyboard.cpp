#include "virtual_keyboard.h"

#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>
#include <xkbcommon/xkbcommon.h>

#include <cstring>

#include "virtual-keyboard-unstable-v1-client-protocol.h"

namespace kv_compositor {

namespace {

// A US keyboard's map, as text in a file the compositor can read.
int KeymapFile(size_t* size) {
  xkb_context* context = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
  if (!context) return -1;
  const xkb_rule_names names{"evdev", "pc105", "us", "", ""};
  xkb_keymap* keymap = xkb_keymap_new_from_names(context, &names, XKB_KEYMAP_COMPILE_NO_FLAGS);
  char* text = keymap ? xkb_keymap_get_as_string(keymap, XKB_KEYMAP_FORMAT_TEXT_V1) : nullptr;
  int fd = -1;
  if (text) {
    *size = std::strlen(text) + 1;
    fd = memfd_create("keymap", MFD_CLOEXEC);
    if (fd >= 0 && write(fd, text, *size) != static_cast<ssize_t>(*size)) {
      close(fd);
      fd = -1;
    }
  }
  free(text);
  if (keymap) xkb_keymap_unref(keymap);
  xkb_context_unref(context);
  return fd;
}

}  // namespace

void VirtualKeyboard::Global(void* data, wl_registry* registry, unsigned name,
                             const char* interface, unsigned) {
  auto* self = static_cast<VirtualKeyboard*>(data);
  if (std::strcmp(interface, zwp_virtual_keyboard_manager_v1_interface.name) == 0 &&
      !self->manager_)
    self->manager_ = static_cast<zwp_virtual_keyboard_manager_v1*>(
        wl_registry_bind(registry, name, &zwp_virtual_keyboard_manager_v1_interface, 1));
  else if (std::strcmp(interface, wl_seat_interface.name) == 0 && !self->seat_)
    self->seat_ = static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
}

void VirtualKeyboard::GlobalRemove(void*, wl_registry*, unsigned) {}

bool VirtualKeyboard::Connect(const std::string& socket) {
  Disconnect();
  display_ = wl_display_connect(socket.c_str());
  if (!display_) {
    error_ = "cannot connect to " + socket;
    return false;
  }
  static const wl_registry_listener listener{&VirtualKeyboard::Global,
                                             &VirtualKeyboard::GlobalRemove};
  registry_ = wl_display_get_registry(display_);
  wl_registry_add_listener(registry_, &listener, this);
  if (wl_display_roundtrip(display_) < 0 || !manager_ || !seat_) {
    error_ = "the compositor offers no zwp_virtual_keyboard_manager_v1";
    Disconnect();
    return false;
  }
  size_t size = 0;
  const int fd = KeymapFile(&size);
  if (fd < 0) {
    error_ = "cannot make a US keymap (xkb-data missing?)";
    Disconnect();
    return false;
  }
  keyboard_ = zwp_virtual_keyboard_manager_v1_create_virtual_keyboard(manager_, seat_);
  zwp_virtual_keyboard_v1_keymap(keyboard_, WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1, fd,
                                 static_cast<uint32_t>(size));
  close(fd);
  return Sync();
}

void VirtualKeyboard::Disconnect() {
  if (keyboard_) zwp_virtual_keyboard_v1_destroy(keyboard_);
  if (manager_) zwp_virtual_keyboard_manager_v1_destroy(manager_);
  if (seat_) wl_seat_destroy(seat_);
  if (registry_) wl_registry_destroy(registry_);
  if (display_) {
    wl_display_flush(display_);
    wl_display_disconnect(display_);
  }
  keyboard_ = nullptr;
  manager_ = nullptr;
  seat_ = nullptr;
  registry_ = nullptr;
  display_ = nullptr;
}

bool VirtualKeyboard::Sync() {
  if (!display_ || wl_display_roundtrip(display_) < 0) {
    error_ = "the compositor closed the connection";
    return false;
  }
  return true;
}

bool VirtualKeyboard::Key(unsigned code, bool pressed) {
  if (!keyboard_) return false;
  zwp_virtual_keyboard_v1_key(keyboard_, ++time_, code,
                              pressed ? WL_KEYBOARD_KEY_STATE_PRESSED : WL_KEYBOARD_KEY_STATE_RELEASED);
  return Sync();
}

}  // namespace kv_compositor
