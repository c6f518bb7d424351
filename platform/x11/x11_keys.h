// Keyboard translation: X key symbols to the interface's virtual-key codes
// and to the character a key types.
#pragma once

#include <X11/X.h>

namespace kv {
namespace x11 {

// The virtual-key code for a key, from its symbol without modifiers (so that
// Shift+1 is still the key '1'). 0 for keys the interface has no code for.
unsigned VirtualKeyFromKeysym(KeySym unshifted);

// The character a key types, from its symbol with Shift and Lock applied;
// 0 when it types none. With Ctrl, letters give the control characters 1 to
// 26, as on the interface's own platform.
wchar_t CharacterFromKeysym(KeySym sym, bool ctrl);

// True for the keys that are themselves modifiers (Shift, Ctrl, Alt).
bool IsModifierKeysym(KeySym sym);

}  // namespace x11
}  // namespace kv
