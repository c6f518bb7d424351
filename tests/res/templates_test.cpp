// Menu and dialog templates in both of their binary forms, and damaged
// templates, which are refused without reading past their end.
#include "platform/rt/resource_templates.h"

#include <gtest/gtest.h>

#include "platform/win32.h"
#include "tests/support/res_image_builder.h"

namespace {

using kv::rt::DialogTemplate;
using kv::rt::MenuItemTemplate;
using kv::rt::ParseDialogTemplate;
using kv::rt::ParseMenuTemplate;
using kvtest::ResImageBuilder;

void Text(std::vector<uint8_t>& out, const std::u16string& s) {
  const auto t = ResImageBuilder::String(s);
  out.insert(out.end(), t.begin(), t.end());
}
void Align4(std::vector<uint8_t>& out) {
  while (out.size() % 4) out.push_back(0);
}

// File > Open (1), a nested Recent > One (3); Help > About (2), checked.
std::vector<uint8_t> StandardMenu() {
  std::vector<uint8_t> m;
  ResImageBuilder::Put16(m, 0);
  ResImageBuilder::Put16(m, 0);
  ResImageBuilder::Put16(m, MF_POPUP);
  Text(m, u"&File");
  ResImageBuilder::Put16(m, 0);
  ResImageBuilder::Put16(m, 1);
  Text(m, u"&Open");
  ResImageBuilder::Put16(m, MF_POPUP | MF_END);
  Text(m, u"Recent");
  ResImageBuilder::Put16(m, MF_END);
  ResImageBuilder::Put16(m, 3);
  Text(m, u"One");
  ResImageBuilder::Put16(m, MF_POPUP | MF_END);
  Text(m, u"&Help");
  ResImageBuilder::Put16(m, MF_END | MF_CHECKED | MF_GRAYED);
  ResImageBuilder::Put16(m, 2);
  Text(m, u"&About");
  return m;
}

std::vector<uint8_t> ExtendedMenu() {
  std::vector<uint8_t> m;
  ResImageBuilder::Put16(m, 1);
  ResImageBuilder::Put16(m, 4);  // offset to the first item
  ResImageBuilder::Put32(m, 0);  // help id
  auto item = [&](uint32_t state, uint32_t id, uint16_t resInfo, const std::u16string& text) {
    ResImageBuilder::Put32(m, 0);
    ResImageBuilder::Put32(m, state);
    ResImageBuilder::Put32(m, id);
    ResImageBuilder::Put16(m, resInfo);
    Text(m, text);
    Align4(m);
    if (resInfo & 1) ResImageBuilder::Put32(m, 0);
  };
  item(0, 0, 1, u"&Game");
  item(0, 160, 0, u"&Easy");
  item(8, 161, 0x80, u"&Hard");  // MFS_CHECKED
  item(0, 0, 0x81, u"&Help");
  item(3, 107, 0x80, u"&About");  // MFS_GRAYED
  return m;
}

TEST(MenuTemplate, StandardAndExtendedFormsGiveTheSameTree) {
  std::vector<MenuItemTemplate> menu;
  const auto standard = StandardMenu();
  ASSERT_TRUE(ParseMenuTemplate(standard.data(), standard.size(), &menu));
  ASSERT_EQ(menu.size(), 2u);
  EXPECT_EQ(menu[0].text, L"&File");
  EXPECT_TRUE(menu[0].IsPopup());
  ASSERT_EQ(menu[0].items.size(), 2u);
  EXPECT_EQ(menu[0].items[0].text, L"&Open");
  EXPECT_EQ(menu[0].items[0].id, 1);
  EXPECT_EQ(menu[0].items[0].flags, 0);
  ASSERT_EQ(menu[0].items[1].items.size(), 1u);
  EXPECT_EQ(menu[0].items[1].items[0].text, L"One");
  EXPECT_EQ(menu[0].items[1].items[0].id, 3);
  ASSERT_EQ(menu[1].items.size(), 1u);
  // The end marker is layout and is not kept; the state flags are.
  EXPECT_EQ(menu[1].items[0].flags, MF_CHECKED | MF_GRAYED);
  EXPECT_EQ(menu[1].flags, MF_POPUP);

  const auto extended = ExtendedMenu();
  ASSERT_TRUE(ParseMenuTemplate(extended.data(), extended.size(), &menu));
  ASSERT_EQ(menu.size(), 2u);
  EXPECT_EQ(menu[0].text, L"&Game");
  EXPECT_TRUE(menu[0].IsPopup());
  ASSERT_EQ(menu[0].items.size(), 2u);
  EXPECT_EQ(menu[0].items[1].text, L"&Hard");
  EXPECT_EQ(menu[0].items[1].id, 161);
  EXPECT_EQ(menu[0].items[1].flags, MF_CHECKED);
  ASSERT_EQ(menu[1].items.size(), 1u);
  EXPECT_EQ(menu[1].items[0].id, 107);
  EXPECT_EQ(menu[1].items[0].flags & MF_GRAYED, MF_GRAYED);
}

TEST(MenuTemplate, DamagedTemplatesAreRefusedAndLeaveNothing) {
  for (const auto& full : {StandardMenu(), ExtendedMenu()}) {
    for (size_t n = 0; n < full.size(); ++n) {
      std::vector<uint8_t> prefix(full.begin(), full.begin() + n);
      std::vector<MenuItemTemplate> menu(1);
      EXPECT_FALSE(ParseMenuTemplate(n ? prefix.data() : nullptr, n, &menu)) << n;
      EXPECT_TRUE(menu.empty());
    }
  }
  std::vector<MenuItemTemplate> menu;
  // An unknown version, a standard header with a size, no output record.
  std::vector<uint8_t> bad = StandardMenu();
  bad[0] = 2;
  EXPECT_FALSE(ParseMenuTemplate(bad.data(), bad.size(), &menu));
  bad = StandardMenu();
  bad[2] = 4;
  EXPECT_FALSE(ParseMenuTemplate(bad.data(), bad.size(), &menu));
  EXPECT_FALSE(ParseMenuTemplate(bad.data(), bad.size(), nullptr));
  // Drop-downs nested without end: a limit on depth, not on the stack.
  std::vector<uint8_t> deep;
  ResImageBuilder::Put16(deep, 0);
  ResImageBuilder::Put16(deep, 0);
  for (int i = 0; i < 5000; ++i) {
    ResImageBuilder::Put16(deep, MF_POPUP);
    Text(deep, u"x");
  }
  EXPECT_FALSE(ParseMenuTemplate(deep.data(), deep.size(), &menu));
  EXPECT_TRUE(menu.empty());
}

// A standard DLGTEMPLATE with a font and two controls: a button by atom
// with creation data, and a static by class name whose text is an ordinal.
std::vector<uint8_t> StandardDialog() {
  std::vector<uint8_t> d;
  ResImageBuilder::Put32(d, WS_POPUP | DS_SETFONT);
  ResImageBuilder::Put32(d, WS_EX_DLGMODALFRAME);
  ResImageBuilder::Put16(d, 2);
  for (int v : {10, 20, 200, 100}) ResImageBuilder::Put16(d, static_cast<uint16_t>(v));
  ResImageBuilder::Put16(d, 0);  // no menu
  ResImageBuilder::Put16(d, 0);  // default class
  Text(d, u"Title");
  ResImageBuilder::Put16(d, 9);
  Text(d, u"Tahoma");
  Align4(d);
  ResImageBuilder::Put32(d, WS_CHILD | BS_DEFPUSHBUTTON);
  ResImageBuilder::Put32(d, 0);
  for (int v : {5, 6, 50, 14}) ResImageBuilder::Put16(d, static_cast<uint16_t>(v));
  ResImageBuilder::Put16(d, 1);
  ResImageBuilder::Put16(d, 0xFFFF);
  ResImageBuilder::Put16(d, 0x80);
  Text(d, u"OK");
  ResImageBuilder::Put16(d, 6);  // creation data: the count word and four bytes
  for (int i = 0; i < 4; ++i) d.push_back(0xEE);
  Align4(d);
  ResImageBuilder::Put32(d, WS_CHILD | SS_BITMAP);
  ResImageBuilder::Put32(d, 0);
  for (int v : {-3, 7, 54, 49}) ResImageBuilder::Put16(d, static_cast<uint16_t>(v));
  ResImageBuilder::Put16(d, 0xFFFF);  // id -1
  Text(d, u"Static");
  ResImageBuilder::Put16(d, 0xFFFF);
  ResImageBuilder::Put16(d, 118);
  ResImageBuilder::Put16(d, 0);
  return d;
}

std::vector<uint8_t> ExtendedDialog() {
  std::vector<uint8_t> d;
  ResImageBuilder::Put16(d, 1);
  ResImageBuilder::Put16(d, 0xFFFF);
  ResImageBuilder::Put32(d, 77);  // help id
  ResImageBuilder::Put32(d, 0);
  ResImageBuilder::Put32(d, WS_POPUP | WS_CAPTION | DS_SHELLFONT);
  ResImageBuilder::Put16(d, 1);
  for (int v : {0, 0, 284, 190}) ResImageBuilder::Put16(d, static_cast<uint16_t>(v));
  ResImageBuilder::Put16(d, 0);
  ResImageBuilder::Put16(d, 0);
  Text(d, u"Kelvara");
  ResImageBuilder::Put16(d, 8);
  ResImageBuilder::Put16(d, 700);
  d.push_back(1);
  d.push_back(1);
  Text(d, u"MS Shell Dlg");
  Align4(d);
  ResImageBuilder::Put32(d, 5);  // help id
  ResImageBuilder::Put32(d, 0);
  ResImageBuilder::Put32(d, WS_CHILD | WS_VISIBLE | BS_GROUPBOX);
  for (int v : {17, 84, 250, 66}) ResImageBuilder::Put16(d, static_cast<uint16_t>(v));
  ResImageBuilder::Put32(d, 0xFFFFFFFFu);
  ResImageBuilder::Put16(d, 0xFFFF);
  ResImageBuilder::Put16(d, 0x80);
  Text(d, u"Controls");
  ResImageBuilder::Put16(d, 2);
  d.push_back(0xAB);
  d.push_back(0xCD);
  return d;
}

TEST(DialogTemplate, BothFormsWithFontControlsAndCreationData) {
  DialogTemplate t;
  const auto standard = StandardDialog();
  ASSERT_TRUE(ParseDialogTemplate(standard.data(), standard.size(), &t));
  EXPECT_FALSE(t.extended);
  EXPECT_EQ(t.style, static_cast<uint32_t>(WS_POPUP | DS_SETFONT));
  EXPECT_EQ(t.exStyle, static_cast<uint32_t>(WS_EX_DLGMODALFRAME));
  EXPECT_EQ(t.x, 10);
  EXPECT_EQ(t.cy, 100);
  EXPECT_EQ(t.title, L"Title");
  EXPECT_EQ(t.pointSize, 9);
  EXPECT_EQ(t.faceName, L"Tahoma");
  ASSERT_EQ(t.controls.size(), 2u);
  EXPECT_EQ(t.controls[0].classAtom, 0x80);
  EXPECT_EQ(t.controls[0].text, L"OK");
  EXPECT_EQ(t.controls[0].id, 1);
  // The second control is found after the first one's creation data.
  EXPECT_EQ(t.controls[1].className, L"Static");
  EXPECT_EQ(t.controls[1].classAtom, 0);
  EXPECT_TRUE(t.controls[1].hasTextOrdinal);
  EXPECT_EQ(t.controls[1].textOrdinal, 118);
  EXPECT_EQ(t.controls[1].id, -1);
  EXPECT_EQ(t.controls[1].x, -3);
  EXPECT_EQ(t.controls[1].style, static_cast<uint32_t>(WS_CHILD | SS_BITMAP));

  const auto extended = ExtendedDialog();
  ASSERT_TRUE(ParseDialogTemplate(extended.data(), extended.size(), &t));
  EXPECT_TRUE(t.extended);
  EXPECT_EQ(t.helpId, 77u);
  EXPECT_EQ(t.cx, 284);
  EXPECT_EQ(t.title, L"Kelvara");
  EXPECT_EQ(t.pointSize, 8);
  EXPECT_EQ(t.weight, 700);
  EXPECT_EQ(t.italic, 1);
  EXPECT_EQ(t.charset, 1);
  EXPECT_EQ(t.faceName, L"MS Shell Dlg");
  ASSERT_EQ(t.controls.size(), 1u);
  EXPECT_EQ(t.controls[0].helpId, 5u);
  EXPECT_EQ(t.controls[0].id, -1);
  EXPECT_EQ(t.controls[0].text, L"Controls");
  EXPECT_EQ(t.controls[0].cx, 250);
}

TEST(DialogTemplate, DamagedTemplatesAreRefused) {
  for (const auto& full : {StandardDialog(), ExtendedDialog()}) {
    for (size_t n = 0; n < full.size(); ++n) {
      std::vector<uint8_t> prefix(full.begin(), full.begin() + n);
      DialogTemplate t;
      t.title = L"left over";
      EXPECT_FALSE(ParseDialogTemplate(n ? prefix.data() : nullptr, n, &t)) << n;
      EXPECT_TRUE(t.title.empty() && t.controls.empty());
    }
  }
  // A control count far beyond the data is refused before any is read.
  auto many = ExtendedDialog();
  many[16] = 0xFF;
  many[17] = 0xFF;
  DialogTemplate t;
  EXPECT_FALSE(ParseDialogTemplate(many.data(), many.size(), &t));
  // Creation data longer than what is left.
  auto longData = ExtendedDialog();
  longData[longData.size() - 4] = 0x40;
  EXPECT_FALSE(ParseDialogTemplate(longData.data(), longData.size(), &t));
  EXPECT_FALSE(ParseDialogTemplate(longData.data(), longData.size(), nullptr));
}

}  // namespace
