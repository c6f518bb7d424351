#include "platform/x11/x11_keys.h"

#include <X11/keysym.h>

#include "platform/win32.h"

namespace kv {
namespace x11 {

namespace {

// Codes of the interface that the windowing layer does not use by name.
constexpr unsigned kVkPause = 0x13;
constexpr unsigned kVkCapital = 0x14;
constexpr unsigned kVkPrior = 0x21;
constexpr unsigned kVkNext = 0x22;
constexpr unsigned kVkSnapshot = 0x2C;
constexpr unsigned kVkInsert = 0x2D;
constexpr unsigned kVkDelete = 0x2E;
constexpr unsigned kVkLeftWin = 0x5B;
constexpr unsigned kVkRightWin = 0x5C;
constexpr unsigned kVkApps = 0x5D;
constexpr unsigned kVkNumpad0 = 0x60;
constexpr unsigned kVkMultiply = 0x6A;
constexpr unsigned kVkAdd = 0x6B;
constexpr unsigned kVkSubtract = 0x6D;
constexpr unsigned kVkDecimal = 0x6E;
constexpr unsigned kVkDivide = 0x6F;
constexpr unsigned kVkF1 = 0x70;
constexpr unsigned kVkNumLock = 0x90;
constexpr unsigned kVkScroll = 0x91;
constexpr unsigned kVkOem1 = 0xBA;       // ;:
constexpr unsigned kVkOemPlus = 0xBB;    // =+
constexpr unsigned kVkOemComma = 0xBC;
constexpr unsigned kVkOemMinus = 0xBD;
constexpr unsigned kVkOemPeriod = 0xBE;
constexpr unsigned kVkOem2 = 0xBF;       // /?
constexpr unsigned kVkOem3 = 0xC0;       // `~
constexpr unsigned kVkOem4 = 0xDB;       // [{
constexpr unsigned kVkOem5 = 0xDC;       // \|
constexpr unsigned kVkOem6 = 0xDD;       // ]}
constexpr unsigned kVkOem7 = 0xDE;       // '"

}  // namespace

unsigned VirtualKeyFromKeysym(KeySym sym) {
  if (sym >= XK_a && sym <= XK_z) return 'A' + static_cast<unsigned>(sym - XK_a);
  if (sym >= XK_A && sym <= XK_Z) return 'A' + static_cast<unsigned>(sym - XK_A);
  if (sym >= XK_0 && sym <= XK_9) return '0' + static_cast<unsigned>(sym - XK_0);
  if (sym >= XK_KP_0 && sym <= XK_KP_9) return kVkNumpad0 + static_cast<unsigned>(sym - XK_KP_0);
  if (sym >= XK_F1 && sym <= XK_F24) return kVkF1 + static_cast<unsigned>(sym - XK_F1);
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
    case XK_KP_Prior: return kVkPrior;
    case XK_Next:
    case XK_KP_Next: return kVkNext;
    case XK_Insert:
    case XK_KP_Insert: return kVkInsert;
    case XK_Delete:
    case XK_KP_Delete: return kVkDelete;
    case XK_Pause: return kVkPause;
    case XK_Caps_Lock: return kVkCapital;
    case XK_Print: return kVkSnapshot;
    case XK_Num_Lock: return kVkNumLock;
    case XK_Scroll_Lock: return kVkScroll;
    case XK_Super_L: return kVkLeftWin;
    case XK_Super_R: return kVkRightWin;
    case XK_Menu: return kVkApps;
    case XK_KP_Multiply: return kVkMultiply;
    case XK_KP_Add: return kVkAdd;
    case XK_KP_Subtract: return kVkSubtract;
    case XK_KP_Decimal: return kVkDecimal;
    case XK_KP_Divide: return kVkDivide;
    case XK_semicolon: return kVkOem1;
    case XK_equal: return kVkOemPlus;
    case XK_comma: return kVkOemComma;
    case XK_minus: return kVkOemMinus;
    case XK_period: return kVkOemPeriod;
    case XK_slash: return kVkOem2;
    case XK_grave: return kVkOem3;
    case XK_bracketleft: return kVkOem4;
    case XK_backslash: return kVkOem5;
    case XK_bracketright: return kVkOem6;
    case XK_apostrophe: return kVkOem7;
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
