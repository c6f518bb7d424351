#include "platform/wayland/wayland_keys.h"

#include <xkbcommon/xkbcommon-keysyms.h>

#include "platform/win32.h"

namespace kv {
namespace wayland {

namespace {

struct Named {
  xkb_keysym_t sym;
  unsigned vk;
};

// Keys whose code is not a letter's, a digit's or a function key's.
constexpr Named kNamed[] = {
    {XKB_KEY_BackSpace, VK_BACK},       {XKB_KEY_Tab, VK_TAB},
    {XKB_KEY_ISO_Left_Tab, VK_TAB},     {XKB_KEY_Return, VK_RETURN},
    {XKB_KEY_KP_Enter, VK_RETURN},      {XKB_KEY_Escape, VK_ESCAPE},
    {XKB_KEY_space, VK_SPACE},          {XKB_KEY_KP_Space, VK_SPACE},
    {XKB_KEY_Shift_L, VK_SHIFT},        {XKB_KEY_Shift_R, VK_SHIFT},
    {XKB_KEY_Control_L, VK_CONTROL},    {XKB_KEY_Control_R, VK_CONTROL},
    {XKB_KEY_Alt_L, VK_MENU},           {XKB_KEY_Alt_R, VK_MENU},
    {XKB_KEY_Meta_L, VK_MENU},          {XKB_KEY_Meta_R, VK_MENU},
    {XKB_KEY_Left, VK_LEFT},            {XKB_KEY_KP_Left, VK_LEFT},
    {XKB_KEY_Up, VK_UP},                {XKB_KEY_KP_Up, VK_UP},
    {XKB_KEY_Right, VK_RIGHT},          {XKB_KEY_KP_Right, VK_RIGHT},
    {XKB_KEY_Down, VK_DOWN},            {XKB_KEY_KP_Down, VK_DOWN},
    {XKB_KEY_Home, VK_HOME},            {XKB_KEY_KP_Home, VK_HOME},
    {XKB_KEY_End, VK_END},              {XKB_KEY_KP_End, VK_END},
    {XKB_KEY_Prior, VK_PRIOR},          {XKB_KEY_KP_Prior, VK_PRIOR},
    {XKB_KEY_Next, VK_NEXT},            {XKB_KEY_KP_Next, VK_NEXT},
    {XKB_KEY_Insert, VK_INSERT},        {XKB_KEY_KP_Insert, VK_INSERT},
    {XKB_KEY_Delete, VK_DELETE},        {XKB_KEY_KP_Delete, VK_DELETE},
    {XKB_KEY_Pause, VK_PAUSE},          {XKB_KEY_Caps_Lock, VK_CAPITAL},
    {XKB_KEY_Print, VK_SNAPSHOT},       {XKB_KEY_Num_Lock, VK_NUMLOCK},
    {XKB_KEY_Scroll_Lock, VK_SCROLL},   {XKB_KEY_Super_L, VK_LWIN},
    {XKB_KEY_Super_R, VK_RWIN},         {XKB_KEY_Menu, VK_APPS},
    {XKB_KEY_KP_Multiply, VK_MULTIPLY}, {XKB_KEY_KP_Add, VK_ADD},
    {XKB_KEY_KP_Subtract, VK_SUBTRACT}, {XKB_KEY_KP_Decimal, VK_DECIMAL},
    {XKB_KEY_KP_Divide, VK_DIVIDE},
    // The punctuation keys of a US keyboard (the OEM codes).
    {XKB_KEY_semicolon, VK_OEM_1},      {XKB_KEY_equal, VK_OEM_PLUS},
    {XKB_KEY_comma, VK_OEM_COMMA},      {XKB_KEY_minus, VK_OEM_MINUS},
    {XKB_KEY_period, VK_OEM_PERIOD},    {XKB_KEY_slash, VK_OEM_2},
    {XKB_KEY_grave, VK_OEM_3},          {XKB_KEY_bracketleft, VK_OEM_4},
    {XKB_KEY_backslash, VK_OEM_5},      {XKB_KEY_bracketright, VK_OEM_6},
    {XKB_KEY_apostrophe, VK_OEM_7},
};

}  // namespace

unsigned VirtualKeyFromKeysym(xkb_keysym_t sym) {
  if (sym >= XKB_KEY_a && sym <= XKB_KEY_z) return 'A' + (sym - XKB_KEY_a);
  if (sym >= XKB_KEY_A && sym <= XKB_KEY_Z) return 'A' + (sym - XKB_KEY_A);
  if (sym >= XKB_KEY_0 && sym <= XKB_KEY_9) return '0' + (sym - XKB_KEY_0);
  if (sym >= XKB_KEY_KP_0 && sym <= XKB_KEY_KP_9) return VK_NUMPAD0 + (sym - XKB_KEY_KP_0);
  if (sym >= XKB_KEY_F1 && sym <= XKB_KEY_F24) return VK_F1 + (sym - XKB_KEY_F1);
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
