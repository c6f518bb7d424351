// Keys as the interface names them, from the symbols of the keyboard map
// (xkbcommon's keysyms, which are X11's).
#pragma once

#include <xkbcommon/xkbcommon.h>

namespace kv {
namespace wayland {

// The virtual-key code of a symbol, or 0 when the interface has none.
unsigned VirtualKeyFromKeysym(xkb_keysym_t sym);

// Shift, Control and Alt (Meta counts as Alt, as on X11).
bool IsModifierKeysym(xkb_keysym_t sym);

// The character a key typed (xkbcommon's UTF-32), or 0 for none or one that
// is no character.
wchar_t CharacterFromCodePoint(uint32_t codePoint);

}  // namespace wayland
}  // namespace kv
