// Keys as a keyboard makes them, sent to a wlroots compositor through its
// virtual-keyboard protocol with a US keymap. The protocol leaves the
// modifiers to its client: they are worked out from the keys here, with
// the same keymap, and sent after each key that changes them.
#pragma once

#include <string>

struct wl_display;
struct wl_registry;
struct wl_seat;
struct zwp_virtual_keyboard_manager_v1;
struct zwp_virtual_keyboard_v1;
struct xkb_context;
struct xkb_keymap;
struct xkb_state;

namespace kv_compositor {

class VirtualKeyboard {
 public:
  VirtualKeyboard() = default;
  VirtualKeyboard(const VirtualKeyboard&) = delete;
  VirtualKeyboard& operator=(const VirtualKeyboard&) = delete;
  ~VirtualKeyboard() { Disconnect(); }

  // Connects to the compositor's socket (a path), makes the keyboard and
  // gives it its keymap.
  bool Connect(const std::string& socket);
  void Disconnect();
  const std::string& error() const { return error_; }

  // Linux key codes (KEY_ESC is 1). Each returns once the compositor has
  // taken the key in.
  bool Key(unsigned code, bool pressed);
  bool Tap(unsigned code) { return Key(code, true) && Key(code, false); }
  // `modifier` held while `code` is tapped (Alt+F).
  bool Chord(unsigned modifier, unsigned code) {
    return Key(modifier, true) && Tap(code) && Key(modifier, false);
  }

 private:
  static void Global(void* data, wl_registry* registry, unsigned name, const char* interface,
                     unsigned version);
  static void GlobalRemove(void* data, wl_registry* registry, unsigned name);
  bool Sync();

  wl_display* display_ = nullptr;
  wl_registry* registry_ = nullptr;
  wl_seat* seat_ = nullptr;
  zwp_virtual_keyboard_manager_v1* manager_ = nullptr;
  zwp_virtual_keyboard_v1* keyboard_ = nullptr;
  xkb_context* xkb_ = nullptr;
  xkb_keymap* keymap_ = nullptr;
  xkb_state* state_ = nullptr;
  unsigned time_ = 0;
  std::string error_;
};

}  // namespace kv_compositor
