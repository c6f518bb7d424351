// Menu and dialog templates, parsed from their binary resource form into
// plain records that the windowing layer builds menus and dialogs from.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kv {
namespace rt {

struct MenuItemTemplate {
  std::wstring text;      // with the '&' that marks the access key
  uint16_t id = 0;        // command id (0 for a drop-down)
  uint16_t flags = 0;     // MF_* as stored (MF_POPUP, MF_CHECKED, MF_GRAYED, ...)
  std::vector<MenuItemTemplate> items;  // a drop-down's items
  bool IsPopup() const { return (flags & 0x10) != 0; }
};

// A standard menu template (version 0) or an extended one (version 1).
// False, with `out` cleared, when the data is malformed.
bool ParseMenuTemplate(const uint8_t* data, size_t size, std::vector<MenuItemTemplate>* out);

struct DialogControlTemplate {
  uint32_t style = 0;
  uint32_t exStyle = 0;
  uint32_t helpId = 0;
  int16_t x = 0, y = 0, cx = 0, cy = 0;  // dialog units
  int32_t id = 0;
  uint16_t classAtom = 0;   // 0x80 button, 0x81 edit, 0x82 static, ... or 0
  std::wstring className;   // when the class is given by name
  std::wstring text;        // when the text is a string
  uint16_t textOrdinal = 0; // when the text is a resource id (0xFFFF form)
  bool hasTextOrdinal = false;
};

struct DialogTemplate {
  bool extended = false;
  uint32_t style = 0;
  uint32_t exStyle = 0;
  uint32_t helpId = 0;
  int16_t x = 0, y = 0, cx = 0, cy = 0;  // dialog units
  std::wstring menu;
  std::wstring className;
  std::wstring title;
  uint16_t pointSize = 0;  // present when DS_SETFONT is set
  uint16_t weight = 0;
  uint8_t italic = 0;
  uint8_t charset = 0;
  std::wstring faceName;
  std::vector<DialogControlTemplate> controls;
};

// DLGTEMPLATE or DLGTEMPLATEEX. False when the data is malformed.
bool ParseDialogTemplate(const uint8_t* data, size_t size, DialogTemplate* out);

}  // namespace rt
}  // namespace kv
