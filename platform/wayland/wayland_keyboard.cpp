// The keyboard: the compositor's keymap read with xkbcommon, keys turned
// into the interface's codes and characters, held keys repeated as the
// compositor asks (Wayland leaves repeating to the client).
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>

#include "platform/wayland/wayland_client.h"
#include "platform/wayland/wayland_keys.h"
#include "platform/win32.h"

namespace kv {
namespace wayland {

namespace {

WaylandBackend* Of(void* data) { return static_cast<WaylandBackend*>(data); }

void KeymapGiven(void* data, wl_keyboard*, uint32_t format, int32_t fd, uint32_t size) {
  Of(data)->Keymap(format, fd, size);
}

void Enter(void* data, wl_keyboard*, uint32_t, wl_surface* surface, wl_array*) {
  WaylandBackend* b = Of(data);
  b->keyboardWindow = b->FindSurface(surface);
}

void Leave(void* data, wl_keyboard*, uint32_t, wl_surface*) {
  WaylandBackend* b = Of(data);
  b->keyboardWindow = nullptr;
  b->repeatCode = 0;
}

void KeyGiven(void* data, wl_keyboard*, uint32_t, uint32_t, uint32_t key, uint32_t state) {
  Of(data)->Key(key, state == WL_KEYBOARD_KEY_STATE_PRESSED);
}

void ModifiersGiven(void* data, wl_keyboard*, uint32_t, uint32_t depressed, uint32_t latched,
                    uint32_t locked, uint32_t group) {
  Of(data)->Modifiers(depressed, latched, locked, group);
}

void RepeatInfo(void* data, wl_keyboard*, int32_t rate, int32_t delay) {
  WaylandBackend* b = Of(data);
  b->repeatRate = std::clamp(rate, 0, 1000);
  b->repeatDelayMs = std::clamp(delay, 0, 10000);
  if (b->repeatRate == 0) b->repeatCode = 0;
}

const wl_keyboard_listener kKeyboardListener = {&KeymapGiven, &Enter,          &Leave,
                                                &KeyGiven,    &ModifiersGiven, &RepeatInfo};

}  // namespace

void WaylandBackend::AttachKeyboard() {
  keyboard = wl_seat_get_keyboard(seat);
  wl_keyboard_add_listener(keyboard, &kKeyboardListener, this);
}

void WaylandBackend::DropKeyboard() {
  if (keyboard) {
    if (wl_keyboard_get_version(keyboard) >= WL_KEYBOARD_RELEASE_SINCE_VERSION)
      wl_keyboard_release(keyboard);
    else
      wl_keyboard_destroy(keyboard);
  }
  keyboard = nullptr;
  keyboardWindow = nullptr;
  repeatCode = 0;
  if (keyState) xkb_state_unref(keyState);
  if (keymap) xkb_keymap_unref(keymap);
  keyState = nullptr;
  keymap = nullptr;
}

void WaylandBackend::Keymap(uint32_t format, int fd, uint32_t size) {
  if (format != WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1 || !xkb || size == 0) {
    close(fd);
    return;
  }
  void* text = mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
  close(fd);
  if (text == MAP_FAILED) return;
  // The map is a string whose last byte is its end.
  xkb_keymap* map = xkb_keymap_new_from_buffer(xkb, static_cast<const char*>(text), size - 1,
                                               XKB_KEYMAP_FORMAT_TEXT_V1,
                                               XKB_KEYMAP_COMPILE_NO_FLAGS);
  munmap(text, size);
  if (!map) return;  // the old one stays
  xkb_state* state = xkb_state_new(map);
  if (!state) {
    xkb_keymap_unref(map);
    return;
  }
  if (keyState) xkb_state_unref(keyState);
  if (keymap) xkb_keymap_unref(keymap);
  keymap = map;
  keyState = state;
  repeatCode = 0;
}

void WaylandBackend::Modifiers(uint32_t depressed, uint32_t latched, uint32_t locked,
                               uint32_t group) {
  if (keyState) xkb_state_update_mask(keyState, depressed, latched, locked, 0, 0, group);
}

void WaylandBackend::SetModifierState(InputEvent* event) const {
  if (!keyState) return;
  const auto active = [this](const char* name) {
    return xkb_state_mod_name_is_active(keyState, name, XKB_STATE_MODS_EFFECTIVE) > 0;
  };
  event->shift = active(XKB_MOD_NAME_SHIFT);
  event->ctrl = active(XKB_MOD_NAME_CTRL);
  event->alt = active(XKB_MOD_NAME_ALT);
}

void WaylandBackend::Key(uint32_t key, bool pressed) {
  if (!keyState) return;
  const uint32_t code = key + 8;  // evdev to xkb
  QueueKey(code, pressed);
  if (pressed && repeatRate > 0 && xkb_keymap_key_repeats(keymap, code)) {
    repeatCode = code;
    repeatNext = std::chrono::steady_clock::now() + std::chrono::milliseconds(repeatDelayMs);
  } else if (!pressed && code == repeatCode) {
    repeatCode = 0;
  }
}

void WaylandBackend::QueueKey(uint32_t code, bool pressed) {
  if (!keyboardWindow) return;
  // The key's code comes from its plain symbol (the letter, not what Shift
  // makes of it); the character from what it types now.
  const xkb_layout_index_t layout = xkb_state_key_get_layout(keyState, code);
  const xkb_keysym_t* syms = nullptr;
  const int count = xkb_keymap_key_get_syms_by_level(keymap, code, layout, 0, &syms);
  const xkb_keysym_t plain = count > 0 ? syms[0] : XKB_KEY_NoSymbol;
  const xkb_keysym_t typed = xkb_state_key_get_one_sym(keyState, code);
  unsigned vk = VirtualKeyFromKeysym(plain);
  if (vk == 0) vk = VirtualKeyFromKeysym(typed);
  const wchar_t ch = pressed ? CharacterFromCodePoint(xkb_state_key_get_utf32(keyState, code)) : 0;
  if (vk == 0 && ch == 0) return;
  InputEvent e;
  e.type = pressed ? InputEvent::kKeyDown : InputEvent::kKeyUp;
  e.window = AsNative(keyboardWindow);
  e.screenX = static_cast<int>(pointerX);
  e.screenY = static_cast<int>(pointerY);
  e.x = e.screenX - keyboardWindow->originX;
  e.y = e.screenY - keyboardWindow->originY;
  e.key = vk;
  e.ch = ch;
  SetModifierState(&e);
  // The compositor reports the modifiers after the key that changes them:
  // a modifier's own press or release counts as already done.
  if (IsModifierKeysym(plain)) {
    if (vk == VK_MENU) e.alt = pressed;
    if (vk == VK_SHIFT) e.shift = pressed;
    if (vk == VK_CONTROL) e.ctrl = pressed;
  }
  events.push_back(e);
}

void WaylandBackend::RepeatKeys() {
  if (!repeatCode || !keyboardWindow || repeatRate <= 0) return;
  const auto now = std::chrono::steady_clock::now();
  if (now < repeatNext) return;
  // Held keys repeat as presses only, as the interface expects.
  QueueKey(repeatCode, true);
  repeatNext += std::chrono::microseconds(1000000 / repeatRate);
  if (repeatNext < now) repeatNext = now;  // a long stall repeats once, not in a burst
}

std::chrono::microseconds WaylandBackend::UntilRepeat() const {
  if (!repeatCode || !keyboardWindow || repeatRate <= 0) return std::chrono::hours(1);
  const auto left = repeatNext - std::chrono::steady_clock::now();
  return std::max(std::chrono::microseconds(0),
                  std::chrono::duration_cast<std::chrono::microseconds>(left));
}

}  // namespace wayland
}  // namespace kv
