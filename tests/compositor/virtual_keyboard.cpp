#include "virtual_keyboard.h"

#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>
#include <xkbcommon/xkbcommon.h>

#include <cstring>

#include "virtual-keyboard-unstable-v1-client-protocol.h"

namespace kv_compositor {

namespace {

// The keymap as text in a file the compositor can read.
int KeymapFile(xkb_keymap* keymap, size_t* size) {
  char* text = xkb_keymap_get_as_string(keymap, XKB_KEYMAP_FORMAT_TEXT_V1);
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
  // A US keyboard.
  xkb_ = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
  const xkb_rule_names names{"evdev", "pc105", "us", "", ""};
  keymap_ = xkb_ ? xkb_keymap_new_from_names(xkb_, &names, XKB_KEYMAP_COMPILE_NO_FLAGS) : nullptr;
  state_ = keymap_ ? xkb_state_new(keymap_) : nullptr;
  size_t size = 0;
  const int fd = state_ ? KeymapFile(keymap_, &size) : -1;
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
  if (state_) xkb_state_unref(state_);
  if (keymap_) xkb_keymap_unref(keymap_);
  if (xkb_) xkb_context_unref(xkb_);
  state_ = nullptr;
  keymap_ = nullptr;
  xkb_ = nullptr;
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
  // evdev codes are xkb's less 8.
  const int changed = xkb_state_update_key(state_, code + 8, pressed ? XKB_KEY_DOWN : XKB_KEY_UP);
  if (changed & (XKB_STATE_MODS_DEPRESSED | XKB_STATE_MODS_LATCHED | XKB_STATE_MODS_LOCKED |
                 XKB_STATE_LAYOUT_EFFECTIVE))
    zwp_virtual_keyboard_v1_modifiers(
        keyboard_, xkb_state_serialize_mods(state_, XKB_STATE_MODS_DEPRESSED),
        xkb_state_serialize_mods(state_, XKB_STATE_MODS_LATCHED),
        xkb_state_serialize_mods(state_, XKB_STATE_MODS_LOCKED),
        xkb_state_serialize_layout(state_, XKB_STATE_LAYOUT_EFFECTIVE));
  return Sync();
}

}  // namespace kv_compositor
