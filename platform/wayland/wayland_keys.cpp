#include "platform/wayland/wayland_keys.h"

#include <xkbcommon/xkbcommon-keysyms.h>

#include "platform/win32.h"

namespace kv {
namespace wayland {

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

struct Named {
  xkb_keysym_t sym;
  unsigned vk;
};

// Keys whose code is not a letter's, a digit's or a function key's.
constexpr Named kNamed[] = {
    {XKB_KEY_BackSpace, VK_BACK},     {XKB_KEY_Tab, VK_TAB},
    {XKB_KEY_ISO_Left_Tab, VK_TAB},   {XKB_KEY_Return, VK_RETURN},
    {XKB_KEY_KP_Enter, VK_RETURN},    {XKB_KEY_Escape, VK_ESCAPE},
    {XKB_KEY_space, VK_SPACE},        {XKB_KEY_KP_Space, VK_SPACE},
    {XKB_KEY_Shift_L, VK_SHIFT},      {XKB_KEY_Shift_R, VK_SHIFT},
    {XKB_KEY_Control_L, VK_CONTROL},  {XKB_KEY_Control_R, VK_CONTROL},
    {XKB_KEY_Alt_L, VK_MENU},         {XKB_KEY_Alt_R, VK_MENU},
    {XKB_KEY_Meta_L, VK_MENU},        {XKB_KEY_Meta_R, VK_MENU},
    {XKB_KEY_Left, VK_LEFT},          {XKB_KEY_KP_Left, VK_LEFT},
    {XKB_KEY_Up, VK_UP},              {XKB_KEY_KP_Up, VK_UP},
    {XKB_KEY_Right, VK_RIGHT},        {XKB_KEY_KP_Right, VK_RIGHT},
    {XKB_KEY_Down, VK_DOWN},          {XKB_KEY_KP_Down, VK_DOWN},
    {XKB_KEY_Home, VK_HOME},          {XKB_KEY_KP_Home, VK_HOME},
    {XKB_KEY_End, VK_END},            {XKB_KEY_KP_End, VK_END},
    {XKB_KEY_Prior, kVkPrior},        {XKB_KEY_KP_Prior, kVkPrior},
    {XKB_KEY_Next, kVkNext},          {XKB_KEY_KP_Next, kVkNext},
    {XKB_KEY_Insert, kVkInsert},      {XKB_KEY_KP_Insert, kVkInsert},
    {XKB_KEY_Delete, kVkDelete},      {XKB_KEY_KP_Delete, kVkDelete},
    {XKB_KEY_Pause, kVkPause},        {XKB_KEY_Caps_Lock, kVkCapital},
    {XKB_KEY_Print, kVkSnapshot},     {XKB_KEY_Num_Lock, kVkNumLock},
    {XKB_KEY_Scroll_Lock, kVkScroll}, {XKB_KEY_Super_L, kVkLeftWin},
    {XKB_KEY_Super_R, kVkRightWin},   {XKB_KEY_Menu, kVkApps},
    {XKB_KEY_KP_Multiply, kVkMultiply}, {XKB_KEY_KP_Add, kVkAdd},
    {XKB_KEY_KP_Subtract, kVkSubtract}, {XKB_KEY_KP_Decimal, kVkDecimal},
    {XKB_KEY_KP_Divide, kVkDivide},
    // The punctuation keys of a US keyboard (the OEM codes).
    {XKB_KEY_semicolon, 0xBA},        {XKB_KEY_equal, 0xBB},
    {XKB_KEY_comma, 0xBC},            {XKB_KEY_minus, 0xBD},
    {XKB_KEY_period, 0xBE},           {XKB_KEY_slash, 0xBF},
    {XKB_KEY_grave, 0xC0},            {XKB_KEY_bracketleft, 0xDB},
    {XKB_KEY_backslash, 0xDC},        {XKB_KEY_bracketright, 0xDD},
    {XKB_KEY_apostrophe, 0xDE},
};

}  // namespace

unsigned VirtualKeyFromKeysym(xkb_keysym_t sym) {
  if (sym >= XKB_KEY_a && sym <= XKB_KEY_z) return 'A' + (sym - XKB_KEY_a);
  if (sym >= XKB_KEY_A && sym <= XKB_KEY_Z) return 'A' + (sym - XKB_KEY_A);
  if (sym >= XKB_KEY_0 && sym <= XKB_KEY_9) return '0' + (sym - XKB_KEY_0);
  if (sym >= XKB_KEY_KP_0 && sym <= XKB_KEY_KP_9) return kVkNumpad0 + (sym - XKB_KEY_KP_0);
  if (sym >= XKB_KEY_F1 && sym <= XKB_KEY_F24) return kVkF1 + (sym - XKB_KEY_F1);
  for (const Named& n : kNamed)
    if (n.sym == sym) return n.vk;
  return 0;
}

bool IsModifierKeysym(xkb_keysym_t sym) {
  switch (sym) {
    case XKB_KEY_Shift_L:
    case XKB_KEY_Shift_R:
    case XKB_KEY_Control_L:
    case XKB_KEY_Control_R:
    case XKB_KEY_Alt_L:
    case XKB_KEY_Alt_R:
    case XKB_KEY_Meta_L:
    case XKB_KEY_Meta_R:
      return true;
    default:
      return false;
  }
}

wchar_t CharacterFromCodePoint(uint32_t codePoint) {
  // Control characters count (Enter, Escape, Backspace, Tab, Ctrl+letter),
  // surrogates and what lies beyond Unicode do not.
  if (codePoint == 0 || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF))
    return 0;
  if (codePoint == 0x7F) return 0;  // Delete types nothing
  return static_cast<wchar_t>(codePoint);
}

}  // namespace wayland
}  // namespace kv
