#include "platform/x11/x11_keys.h"

#include <X11/keysym.h>

#include "platform/win32.h"

namespace kv {
namespace x11 {

unsigned VirtualKeyFromKeysym(KeySym sym) {
  if (sym >= XK_a && sym <= XK_z) return 'A' + static_cast<unsigned>(sym - XK_a);
  if (sym >= XK_A && sym <= XK_Z) return 'A' + static_cast<unsigned>(sym - XK_A);
  if (sym >= XK_0 && sym <= XK_9) return '0' + static_cast<unsigned>(sym - XK_0);
  if (sym >= XK_KP_0 && sym <= XK_KP_9) return VK_NUMPAD0 + static_cast<unsigned>(sym - XK_KP_0);
  if (sym >= XK_F1 && sym <= XK_F24) return VK_F1 + static_cast<unsigned>(sym - XK_F1);
  switch (sym) {
    case XK_BackSpace: return VK_BACK;
    case XK_Tab:
    case XK_ISO_Left_Tab: return VK_TAB;
    case XK_Return:
    case XK_KP_Enter: return VK_RETURN;
    case XK_Escape: return VK_ESCAPE;
    case XK_space:
    case XK_KP_Space: return VK_SPACE;
    case XK_Shift_L:
    case XK_Shift_R: return VK_SHIFT;
    case XK_Control_L:
    case XK_Control_R: return VK_CONTROL;
    case XK_Alt_L:
    case XK_Alt_R:
    case XK_Meta_L:
    case XK_Meta_R: return VK_MENU;
    case XK_Left:
    case XK_KP_Left: return VK_LEFT;
    case XK_Up:
    case XK_KP_Up: return VK_UP;
    case XK_Right:
    case XK_KP_Right: return VK_RIGHT;
    case XK_Down:
    case XK_KP_Down: return VK_DOWN;
    case XK_Home:
    case XK_KP_Home: return VK_HOME;
    case XK_End:
    case XK_KP_End: return VK_END;
    case XK_Prior:
    case XK_KP_Prior: return VK_PRIOR;
    case XK_Next:
    case XK_KP_Next: return VK_NEXT;
    case XK_Insert:
    case XK_KP_Insert: return VK_INSERT;
    case XK_Delete:
    case XK_KP_Delete: return VK_DELETE;
    case XK_Pause: return VK_PAUSE;
    case XK_Caps_Lock: return VK_CAPITAL;
    case XK_Print: return VK_SNAPSHOT;
    case XK_Num_Lock: return VK_NUMLOCK;
    case XK_Scroll_Lock: return VK_SCROLL;
    case XK_Super_L: return VK_LWIN;
    case XK_Super_R: return VK_RWIN;
    case XK_Menu: return VK_APPS;
    case XK_KP_Multiply: return VK_MULTIPLY;
    case XK_KP_Add: return VK_ADD;
    case XK_KP_Subtract: return VK_SUBTRACT;
    case XK_KP_Decimal: return VK_DECIMAL;
    case XK_KP_Divide: return VK_DIVIDE;
    case XK_semicolon: return VK_OEM_1;
    case XK_equal: return VK_OEM_PLUS;
    case XK_comma: return VK_OEM_COMMA;
    case XK_minus: return VK_OEM_MINUS;
    case XK_period: return VK_OEM_PERIOD;
    case XK_slash: return VK_OEM_2;
    case XK_grave: return VK_OEM_3;
    case XK_bracketleft: return VK_OEM_4;
    case XK_backslash: return VK_OEM_5;
    case XK_bracketright: return VK_OEM_6;
    case XK_apostrophe: return VK_OEM_7;
    default: return 0;
  }
}

wchar_t CharacterFromKeysym(KeySym sym, bool ctrl) {
  if (ctrl) {
    if (sym >= XK_a && sym <= XK_z) return static_cast<wchar_t>(1 + (sym - XK_a));
    if (sym >= XK_A && sym <= XK_Z) return static_cast<wchar_t>(1 + (sym - XK_A));
  }
  switch (sym) {
    case XK_BackSpace: return L'\b';
    case XK_Tab:
    case XK_ISO_Left_Tab: return L'\t';
    case XK_Return:
    case XK_KP_Enter: return L'\r';
    case XK_Escape: return 0x1B;
    case XK_KP_Space: return L' ';
    case XK_KP_Multiply: return L'*';
    case XK_KP_Add: return L'+';
    case XK_KP_Subtract: return L'-';
    case XK_KP_Decimal: return L'.';
    case XK_KP_Divide: return L'/';
    case XK_EuroSign: return 0x20AC;
    default: break;
  }
  if (sym >= XK_KP_0 && sym <= XK_KP_9) return static_cast<wchar_t>(L'0' + (sym - XK_KP_0));
  // Latin-1 symbols are their own code points; newer symbols carry the code
  // point in their low 24 bits.
  if ((sym >= 0x20 && sym <= 0x7E) || (sym >= 0xA0 && sym <= 0xFF)) return static_cast<wchar_t>(sym);
  if ((sym & 0xFF000000UL) == 0x01000000UL) {
    unsigned long cp = sym & 0x00FFFFFFUL;
    if (cp >= 0x20 && cp <= 0x10FFFF && !(cp >= 0xD800 && cp <= 0xDFFF)) return static_cast<wchar_t>(cp);
  }
  return 0;
}

bool IsModifierKeysym(KeySym sym) {
  switch (sym) {
    case XK_Shift_L:
    case XK_Shift_R:
    case XK_Control_L:
    case XK_Control_R:
    case XK_Alt_L:
    case XK_Alt_R:
    case XK_Meta_L:
    case XK_Meta_R:
      return true;
    default:
      return false;
  }
}

}  // namespace x11
}  // namespace kv
