// The menu and dialog resources of the menu and dialog tests: a standard
// menu template and an extended dialog template, written byte by byte as a
// resource compiler lays them out (the .res image around them comes from
// tests/support/res_image_builder.h).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kvtest {

class Bytes {
 public:
  void Word(uint16_t v) {
    data_.push_back(static_cast<uint8_t>(v & 0xFF));
    data_.push_back(static_cast<uint8_t>(v >> 8));
  }
  void Dword(uint32_t v) {
    Word(static_cast<uint16_t>(v & 0xFFFF));
    Word(static_cast<uint16_t>(v >> 16));
  }
  void Text(const std::wstring& s) {
    for (wchar_t c : s) Word(static_cast<uint16_t>(c));
    Word(0);
  }
  void Align4() {
    while (data_.size() % 4) data_.push_back(0);
  }
  void Append(const std::vector<uint8_t>& more) { data_.insert(data_.end(), more.begin(), more.end()); }
  size_t Size() const { return data_.size(); }
  const std::vector<uint8_t>& Data() const { return data_; }

 private:
  std::vector<uint8_t> data_;
};

struct MenuItemDesc {
  std::wstring text;
  uint16_t id;
  uint16_t flags;  // MF_GRAYED, MF_CHECKED as stored
};
struct DropDownDesc {
  std::wstring title;
  std::vector<MenuItemDesc> items;
};

// A standard (version 0) menu template.
inline std::vector<uint8_t> MenuTemplate(const std::vector<DropDownDesc>& dropDowns) {
  constexpr uint16_t kPopup = 0x10, kEnd = 0x80;
  Bytes b;
  b.Word(0);  // version
  b.Word(0);  // header size
  for (size_t i = 0; i < dropDowns.size(); ++i) {
    b.Word(static_cast<uint16_t>(kPopup | (i + 1 == dropDowns.size() ? kEnd : 0)));
    b.Text(dropDowns[i].title);
    const auto& items = dropDowns[i].items;
    for (size_t j = 0; j < items.size(); ++j) {
      b.Word(static_cast<uint16_t>(items[j].flags | (j + 1 == items.size() ? kEnd : 0)));
      b.Word(items[j].id);
      b.Text(items[j].text);
    }
  }
  return b.Data();
}

// The game's main menu.
inline std::vector<uint8_t> MainMenuTemplate() {
  return MenuTemplate({{L"&File", {{L"&New Game", 109, 0}, {L"E&xit", 108, 0}}},
                       {L"&Difficulty Level",
                        {{L"&Easy", 160, 0}, {L"&Medium", 161, 0}, {L"&Hard", 162, 0},
                         {L"&Champion", 163, 0}}},
                       {L"&Help", {{L"&About", 107, 0}}}});
}

struct ControlDesc {
  uint32_t style;
  int16_t x, y, cx, cy;
  int32_t id;
  uint16_t classAtom;
  std::wstring text;
  int textOrdinal = -1;  // a resource number instead of text
};

// An extended dialog template with a font.
inline std::vector<uint8_t> DialogTemplate(uint32_t style, int16_t x, int16_t y, int16_t cx, int16_t cy,
                                           const std::wstring& title, uint16_t points,
                                           const std::wstring& face,
                                           const std::vector<ControlDesc>& controls) {
  Bytes b;
  b.Word(1);
  b.Word(0xFFFF);
  b.Dword(0);  // help id
  b.Dword(0);  // extended style
  b.Dword(style);
  b.Word(static_cast<uint16_t>(controls.size()));
  b.Word(static_cast<uint16_t>(x));
  b.Word(static_cast<uint16_t>(y));
  b.Word(static_cast<uint16_t>(cx));
  b.Word(static_cast<uint16_t>(cy));
  b.Word(0);  // no menu
  b.Word(0);  // default class
  b.Text(title);
  b.Word(points);
  b.Word(400);  // weight
  b.Word(0x0100);  // not italic, character set 1
  b.Text(face);
  for (const ControlDesc& c : controls) {
    b.Align4();
    b.Dword(0);  // help id
    b.Dword(0);  // extended style
    b.Dword(c.style);
    b.Word(static_cast<uint16_t>(c.x));
    b.Word(static_cast<uint16_t>(c.y));
    b.Word(static_cast<uint16_t>(c.cx));
    b.Word(static_cast<uint16_t>(c.cy));
    b.Dword(static_cast<uint32_t>(c.id));
    b.Word(0xFFFF);
    b.Word(c.classAtom);
    if (c.textOrdinal >= 0) {
      b.Word(0xFFFF);
      b.Word(static_cast<uint16_t>(c.textOrdinal));
    } else {
      b.Text(c.text);
    }
    b.Word(0);  // no creation data
  }
  return b.Data();
}

// The game's About box.
inline std::vector<uint8_t> AboutTemplate() {
  constexpr uint32_t kChild = 0x40000000, kVisible = 0x10000000, kTabStop = 0x00010000,
                     kGroup = 0x00020000;
  constexpr uint32_t kStatic = kChild | kVisible | kGroup;  // SS_LEFT
  constexpr uint16_t kButton = 0x80, kStaticClass = 0x82;
  return DialogTemplate(
      0x80000000 | 0x00C00000 | 0x00080000 | 0x80 | 0x48, 0, 0, 284, 190, L"Kelvara", 8,
      L"MS Shell Dlg",
      {{kChild | kVisible | kTabStop | 0x1, 114, 158, 50, 14, 1, kButton, L"OK"},
       {kChild | kVisible | 0xE, 17, 16, 54, 49, -1, kStaticClass, L"", 118},
       {kStatic, 85, 17, 122, 8, -1, kStaticClass, L"Kelvara"},
       {kStatic, 85, 29, 122, 8, -1, kStaticClass, L"Version 1.0"},
       {kStatic, 25, 102, 172, 8, -1, kStaticClass, L"Click left mouse button to start the game."},
       {kStatic, 25, 117, 170, 8, -1, kStaticClass, L"Click right mouse button to pause the game."},
       {kChild | kVisible | 0x7, 17, 84, 250, 66, -1, kButton, L"Controls"},
       {kStatic, 25, 132, 237, 8, -1, kStaticClass, L"Move the Mouse to move the left player."}});
}

}  // namespace kvtest
