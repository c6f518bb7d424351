// Title text for X and key translation: the parts of the backend that need
// no server.
#include <gtest/gtest.h>

#include <X11/keysym.h>

#include "platform/win32.h"
#include "platform/x11/x11_keys.h"
#include "platform/x11/x11_text.h"

namespace {

using kv::x11::CharacterFromKeysym;
using kv::x11::VirtualKeyFromKeysym;
using kv::x11::WideToLatin1;

TEST(X11Text, Latin1KeepsWhatItCanAndMarksTheRest) {
  EXPECT_EQ(WideToLatin1(nullptr), "");
  EXPECT_EQ(WideToLatin1(L"Caf\u00e9 \u00ff\u0100\u20ac"), "Caf\xe9 \xff??");
  const wchar_t pair[] = {L'<', 0xD83D, 0xDE00, L'>', 0};
  EXPECT_EQ(WideToLatin1(pair), "<?>");
}

TEST(X11Keys, VirtualKeysFollowTheInterfaceCodes) {
  EXPECT_EQ(VirtualKeyFromKeysym(XK_a), unsigned('A'));
  EXPECT_EQ(VirtualKeyFromKeysym(XK_Z), unsigned('Z'));
  EXPECT_EQ(VirtualKeyFromKeysym(XK_0), unsigned('0'));
  EXPECT_EQ(VirtualKeyFromKeysym(XK_9), unsigned('9'));
  EXPECT_EQ(VirtualKeyFromKeysym(XK_Return), unsigned(VK_RETURN));
  EXPECT_EQ(VirtualKeyFromKeysym(XK_KP_Enter), unsigned(VK_RETURN));
  EXPECT_EQ(VirtualKeyFromKeysym(XK_Alt_L), unsigned(VK_MENU));
  EXPECT_EQ(VirtualKeyFromKeysym(XK_Alt_R), unsigned(VK_MENU));
  EXPECT_EQ(VirtualKeyFromKeysym(XK_F4), unsigned(VK_F4));
  EXPECT_EQ(VirtualKeyFromKeysym(XK_F10), unsigned(VK_F10));
  EXPECT_EQ(VirtualKeyFromKeysym(XK_Up), unsigned(VK_UP));
  EXPECT_EQ(VirtualKeyFromKeysym(XK_KP_Down), unsigned(VK_DOWN));
  EXPECT_EQ(VirtualKeyFromKeysym(XK_ISO_Left_Tab), unsigned(VK_TAB));
  EXPECT_EQ(VirtualKeyFromKeysym(XK_Escape), unsigned(VK_ESCAPE));
  EXPECT_EQ(VirtualKeyFromKeysym(XK_KP_7), 0x67u);
  EXPECT_EQ(VirtualKeyFromKeysym(XK_VoidSymbol), 0u);
  EXPECT_EQ(VirtualKeyFromKeysym(NoSymbol), 0u);
}

TEST(X11Keys, CharactersIncludeControlCodesAndUnicodeSymbols) {
  EXPECT_EQ(CharacterFromKeysym(XK_d, false), L'd');
  EXPECT_EQ(CharacterFromKeysym(XK_D, false), L'D');
  EXPECT_EQ(CharacterFromKeysym(XK_a, true), wchar_t(1));
  EXPECT_EQ(CharacterFromKeysym(XK_Z, true), wchar_t(26));
  EXPECT_EQ(CharacterFromKeysym(XK_Return, false), L'\r');
  EXPECT_EQ(CharacterFromKeysym(XK_Escape, false), wchar_t(0x1B));
  EXPECT_EQ(CharacterFromKeysym(XK_KP_5, false), L'5');
  EXPECT_EQ(CharacterFromKeysym(XK_eacute, false), wchar_t(0xE9));
  EXPECT_EQ(CharacterFromKeysym(XK_EuroSign, false), wchar_t(0x20AC));
  EXPECT_EQ(CharacterFromKeysym(0x010020AC, false), wchar_t(0x20AC));
  EXPECT_EQ(CharacterFromKeysym(0x0100D800, false), wchar_t(0));  // a surrogate is no character
  EXPECT_EQ(CharacterFromKeysym(XK_F1, false), wchar_t(0));
  EXPECT_EQ(CharacterFromKeysym(XK_Left, false), wchar_t(0));
}

}  // namespace
