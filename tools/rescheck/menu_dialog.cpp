// The main menu's items and commands and the About box template, field by
// field.
#include <vector>

#include "platform/rt/resources.h"
#include "platform/rt/resource_templates.h"
#include "res/resource.h"
#include "tools/rescheck/load.h"

namespace kv {
namespace rescheck {

namespace {

std::string Narrow(const std::wstring& w) {
  std::string s;
  for (wchar_t c : w) s.push_back(c >= 32 && c < 127 ? static_cast<char>(c) : '?');
  return s;
}

struct Item {
  const wchar_t* text;
  int id;
};

struct Popup {
  const wchar_t* text;
  std::vector<Item> items;
};

struct Control {
  uint16_t atom;
  int32_t id;
  uint32_t style;
  int16_t x, y, cx, cy;
  const wchar_t* text;  // null: the text is bitmap ordinal 118
};

// A control's class may be stored as its atom or by its name: resource
// compilers differ in which they write for CONTROL statements.
bool ClassIs(const rt::DialogControlTemplate& c, uint16_t atom) {
  if (c.classAtom != 0) return c.classAtom == atom && c.className.empty();
  std::wstring name;
  for (wchar_t ch : c.className) name.push_back(ch >= L'a' && ch <= L'z' ? ch - L'a' + L'A' : ch);
  return (atom == 0x80 && name == L"BUTTON") || (atom == 0x82 && name == L"STATIC");
}

}  // namespace

void CheckMenu(HINSTANCE module, Report* r) {
  rt::ResourceData data;
  if (!r->Expect(rt::FindResource(module, RT_MENU_ID, IDR_MAIN_MENU, &data), "menu 106 is found"))
    return;
  std::vector<rt::MenuItemTemplate> menu;
  if (!r->Expect(rt::ParseMenuTemplate(data.data, data.size, &menu), "menu 106 parses")) return;
  const std::vector<Popup> expected = {
      {L"&File", {{L"&New Game", IDM_NEW_GAME}, {L"E&xit", IDM_EXIT}}},
      {L"&Difficulty Level",
       {{L"&Easy", IDM_EASY},
        {L"&Medium", IDM_MEDIUM},
        {L"&Hard", IDM_HARD},
        {L"&Champion", IDM_CHAMPION}}},
      {L"&Help", {{L"&About", IDM_ABOUT}}},
  };
  if (!r->Expect(menu.size() == expected.size(),
                 "menu: three drop-downs (got " + Num(static_cast<long long>(menu.size())) + ")"))
    return;
  for (size_t i = 0; i < expected.size(); ++i) {
    const rt::MenuItemTemplate& p = menu[i];
    const std::string name = Narrow(expected[i].text);
    r->Expect(p.IsPopup() && p.text == expected[i].text && p.flags == MF_POPUP,
              "menu: drop-down " + Num(static_cast<long long>(i + 1)) + " is \"" + name +
                  "\" (got \"" + Narrow(p.text) + "\")");
    if (!r->Expect(p.items.size() == expected[i].items.size(),
                   "menu: \"" + name + "\" has " +
                       Num(static_cast<long long>(expected[i].items.size())) + " items"))
      continue;
    for (size_t k = 0; k < p.items.size(); ++k) {
      const rt::MenuItemTemplate& it = p.items[k];
      const Item& want = expected[i].items[k];
      // No separators, check marks, disabled items or nested drop-downs.
      r->Expect(it.text == want.text && it.id == want.id && it.flags == 0 && it.items.empty(),
                "menu: \"" + name + "\" item " + Num(static_cast<long long>(k + 1)) + " is \"" +
                    Narrow(want.text) + "\" with command " + Num(want.id) + " (got \"" +
                    Narrow(it.text) + "\", " + Num(it.id) + ", flags " + Num(it.flags) + ")");
    }
  }
}

void CheckDialog(HINSTANCE module, Report* r) {
  rt::ResourceData data;
  if (!r->Expect(rt::FindResource(module, RT_DIALOG_ID, IDD_ABOUT, &data), "dialog 116 is found"))
    return;
  rt::DialogTemplate d;
  if (!r->Expect(rt::ParseDialogTemplate(data.data, data.size, &d), "dialog 116 parses")) return;
  r->Expect(d.extended, "dialog: an extended template");
  const uint32_t style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SHELLFONT;
  r->Expect(d.style == style && d.exStyle == 0,
            "dialog: style WS_POPUP|WS_CAPTION|WS_SYSMENU|DS_MODALFRAME|DS_SHELLFONT, no extended "
            "style (got " +
                Num(d.style) + ", " + Num(d.exStyle) + ")");
  r->Expect(d.x == 0 && d.y == 0 && d.cx == 284 && d.cy == 190,
            "dialog: at 0,0, 284 x 190 dialog units (got " + Num(d.x) + "," + Num(d.y) + " " +
                Num(d.cx) + " x " + Num(d.cy) + ")");
  r->Expect(d.menu.empty() && d.className.empty() && d.title == L"Kelvara",
            "dialog: no menu, the standard class, caption \"Kelvara\"");
  r->Expect(d.pointSize == 8 && d.weight == 400 && d.italic == 0 && d.charset == 1 &&
                d.faceName == L"MS Shell Dlg",
            "dialog: font \"MS Shell Dlg\", 8 point, weight 400, not italic, charset 1");

  const uint32_t child = WS_CHILD | WS_VISIBLE;
  const uint32_t text = child | WS_GROUP | SS_LEFT;
  const std::vector<Control> expected = {
      {0x80, IDOK, child | WS_TABSTOP | BS_DEFPUSHBUTTON, 114, 158, 50, 14, L"OK"},
      {0x82, IDC_STATIC, child | SS_BITMAP, 17, 16, 54, 49, nullptr},
      {0x82, IDC_STATIC, text, 85, 17, 122, 8, L"Kelvara"},
      {0x82, IDC_STATIC, text, 85, 29, 122, 8, L"Version 1.0"},
      {0x82, IDC_STATIC, text, 25, 102, 172, 8, L"Click left mouse button to start the game."},
      {0x82, IDC_STATIC, text, 25, 117, 170, 8, L"Click right mouse button to pause the game."},
      {0x80, IDC_STATIC, child | BS_GROUPBOX, 17, 84, 250, 66, L"Controls"},
      {0x82, IDC_STATIC, text, 25, 132, 237, 8, L"Move the Mouse to move the left player."},
  };
  if (!r->Expect(
          d.controls.size() == expected.size(),
          "dialog: eight controls (got " + Num(static_cast<long long>(d.controls.size())) + ")"))
    return;
  for (size_t i = 0; i < expected.size(); ++i) {
    const rt::DialogControlTemplate& c = d.controls[i];
    const Control& w = expected[i];
    const bool textOk = w.text ? (!c.hasTextOrdinal && c.text == w.text)
                               : (c.hasTextOrdinal && c.textOrdinal == IDB_ABOUT_PICTURE);
    r->Expect(ClassIs(c, w.atom) && c.id == w.id && c.style == w.style && c.exStyle == 0 &&
                  c.x == w.x && c.y == w.y && c.cx == w.cx && c.cy == w.cy && textOk,
              "dialog: control " + Num(static_cast<long long>(i + 1)) + " (" +
                  (w.text ? "\"" + Narrow(w.text) + "\"" : std::string("bitmap 118")) +
                  ") has its class, id, style, place, size and text (got class " +
                  (c.classAtom ? Num(c.classAtom) : "\"" + Narrow(c.className) + "\"") + ", id " +
                  Num(c.id) + ", style " + Num(c.style) + ", " + Num(c.x) + "," + Num(c.y) + " " +
                  Num(c.cx) + "x" + Num(c.cy) + ")");
  }
  int tabStops = 0;
  for (const rt::DialogControlTemplate& c : d.controls) tabStops += (c.style & WS_TABSTOP) != 0;
  r->Expect(tabStops == 1 && (d.controls[0].style & WS_TABSTOP),
            "dialog: only the OK button is a tab stop");
}

void CheckManifest(HINSTANCE module, Report* r) {
  rt::ResourceData data;
  if (!r->Expect(rt::FindResource(module, RT_MANIFEST_ID, 1, &data), "manifest 1 is found")) return;
  r->Expect(data.size == 346,
            "manifest: 346 bytes (got " + Num(static_cast<long long>(data.size)) + ")");
  const std::string text(reinterpret_cast<const char*>(data.data), data.size);
  // The elements in their nesting order, each after the one before.
  const char* const order[] = {"<assembly",
                               "urn:schemas-microsoft-com:asm.v1",
                               "manifestVersion=\"1.0\"",
                               "<trustInfo",
                               "<security>",
                               "<requestedPrivileges>",
                               "<requestedExecutionLevel",
                               "level=\"asInvoker\"",
                               "uiAccess=\"false\"",
                               "</requestedPrivileges>",
                               "</security>",
                               "</trustInfo>",
                               "</assembly>"};
  size_t at = 0;
  bool inOrder = true;
  for (const char* part : order) {
    const size_t found = text.find(part, at);
    if (found == std::string::npos) {
      inOrder = false;
      break;
    }
    at = found + 1;
  }
  r->Expect(inOrder,
            "manifest: assembly 1.0 > trustInfo > security > requestedPrivileges > "
            "requestedExecutionLevel asInvoker, uiAccess false");
  r->Expect(text.find("<dependency") == std::string::npos &&
                text.find("dpiAware") == std::string::npos &&
                text.find("dpiAwareness") == std::string::npos,
            "manifest: no dependency and no DPI-awareness entry");
}

}  // namespace rescheck
}  // namespace kv
