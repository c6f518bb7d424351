// The menu record behind an HMENU and what the menu part shares between its
// files: loading and state (menu.cpp), the bar (menu_bar.cpp), tracking
// (menu_track.cpp) and the drop-downs (menu_drop_down.cpp).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/user/window.h"
#include "platform/win32.h"

namespace kv {
namespace user {

struct MenuEntry {
  std::wstring text;      // as stored, with '&' before the access key
  UINT id = 0;            // command id; 0 for a drop-down title
  UINT state = 0;         // MF_CHECKED, MF_GRAYED, MF_DISABLED
  HMENU subMenu = nullptr;  // the drop-down under a title, owned
};

constexpr uint32_t kMenuMagic = 0x554E454D;  // "MENU"

}  // namespace user
}  // namespace kv

struct HMENU__ {
  uint32_t magic = kv::user::kMenuMagic;
  std::vector<kv::user::MenuEntry> entries;
};

namespace kv {
namespace user {

// The record of a live menu, or null for anything else (a destroyed menu
// included: handles are checked against the set of live ones).
HMENU__* LiveMenu(HMENU menu);

// A new empty menu; owned by the caller until DestroyMenu.
HMENU NewMenu();

// The access key of a text ('&' before it), lower-cased; 0 when none.
wchar_t AccessKeyOf(const std::wstring& text);

// True when the entry cannot be chosen.
inline bool EntryInactive(const MenuEntry& entry) {
  return (entry.state & (MF_GRAYED | MF_DISABLED)) != 0;
}

// Index of the bar title that menu tracking shows highlighted for `window`,
// or -1 (DrawMenuBar paints it).
int HighlightedTitle(const HWND__* window);

// Where the bar's titles sit, in surface pixels of the window.
std::vector<RECT> MenuBarTitleRects(HWND__* window);

// The open drop-down while a menu is tracked: its screen rectangle, the
// height of one item (items start 3 pixels below its top) and its pixels
// (any of them may be null). False when no drop-down is open.
bool OpenDropDown(RECT* screenRect, int* itemHeight, PixelSurface* pixels = nullptr);

}  // namespace user
}  // namespace kv
