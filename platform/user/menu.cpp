// Menus: the record built from a menu template, check marks and states.
#include "platform/user/menu.h"

#include <cwctype>
#include <unordered_set>

#include "platform/rt/resources.h"
#include "platform/rt/resource_templates.h"
#include "platform/user/user_state.h"

namespace kv {
namespace user {

namespace {

std::unordered_set<HMENU__*>& LiveMenus() { return State().menus; }

void AddEntries(HMENU__* menu, const std::vector<rt::MenuItemTemplate>& items) {
  for (const rt::MenuItemTemplate& item : items) {
    MenuEntry entry;
    entry.text = item.text;
    entry.state = item.flags & (MF_CHECKED | MF_GRAYED | MF_DISABLED);
    if (item.IsPopup()) {
      entry.subMenu = NewMenu();
      AddEntries(LiveMenu(entry.subMenu), item.items);
    } else {
      entry.id = item.id;
    }
    menu->entries.push_back(std::move(entry));
  }
}

// The entry with command id `id` anywhere below `menu`, depth first.
MenuEntry* FindById(HMENU__* menu, UINT id) {
  for (MenuEntry& entry : menu->entries) {
    if (entry.subMenu) {
      if (MenuEntry* found = FindById(LiveMenu(entry.subMenu), id)) return found;
    } else if (entry.id == id) {
      return &entry;
    }
  }
  return nullptr;
}

MenuEntry* FindEntry(HMENU__* menu, UINT item, UINT flags) {
  if (flags & MF_BYPOSITION) {
    return item < menu->entries.size() ? &menu->entries[item] : nullptr;
  }
  return FindById(menu, item);
}

}  // namespace

HMENU__* LiveMenu(HMENU menu) {
  if (!menu || LiveMenus().count(menu) == 0) return nullptr;
  return menu;
}

HMENU NewMenu() {
  HMENU__* menu = new HMENU__;
  LiveMenus().insert(menu);
  return menu;
}

void ForgetMenus() {
  for (HMENU__* menu : LiveMenus()) {
    menu->magic = 0;
    delete menu;
  }
  LiveMenus().clear();
}

wchar_t AccessKeyOf(const std::wstring& text) {
  for (size_t i = 0; i + 1 < text.size(); ++i) {
    if (text[i] != L'&') continue;
    if (text[i + 1] != L'&') return static_cast<wchar_t>(std::towlower(text[i + 1]));
    ++i;  // "&&" is a literal ampersand
  }
  return 0;
}

}  // namespace user
}  // namespace kv

using kv::user::LiveMenu;
using kv::user::MenuEntry;

HMENU LoadMenuW(HINSTANCE instance, LPCWSTR name) {
  kv::rt::ResourceData data;
  if (!kv::rt::FindResource(instance, RT_MENU_ID, name, &data)) return nullptr;
  std::vector<kv::rt::MenuItemTemplate> items;
  if (!kv::rt::ParseMenuTemplate(data.data, data.size, &items)) return nullptr;
  HMENU menu = kv::user::NewMenu();
  kv::user::AddEntries(LiveMenu(menu), items);
  return menu;
}

DWORD CheckMenuItem(HMENU menu, UINT item, UINT check) {
  HMENU__* record = LiveMenu(menu);
  if (!record) return static_cast<DWORD>(-1);
  MenuEntry* entry = kv::user::FindEntry(record, item, check);
  if (!entry) return static_cast<DWORD>(-1);
  DWORD previous = entry->state & MF_CHECKED;
  if (check & MF_CHECKED) {
    entry->state |= MF_CHECKED;
  } else {
    entry->state &= ~static_cast<UINT>(MF_CHECKED);
  }
  return previous;
}

UINT GetMenuState(HMENU menu, UINT item, UINT flags) {
  HMENU__* record = LiveMenu(menu);
  if (!record) return static_cast<UINT>(-1);
  MenuEntry* entry = kv::user::FindEntry(record, item, flags);
  if (!entry) return static_cast<UINT>(-1);
  if (HMENU__* sub = LiveMenu(entry->subMenu)) {
    // A drop-down: the item count in the high byte, as the platform reports it.
    UINT count = static_cast<UINT>(sub->entries.size()) & 0xFF;
    return (count << 8) | MF_POPUP | (entry->state & 0xFF);
  }
  return entry->state;
}

BOOL DestroyMenu(HMENU menu) {
  HMENU__* record = LiveMenu(menu);
  if (!record) return FALSE;
  kv::user::LiveMenus().erase(record);
  for (MenuEntry& entry : record->entries) {
    if (entry.subMenu) DestroyMenu(entry.subMenu);
  }
  record->magic = 0;
  delete record;
  return TRUE;
}
