// From a dialog template in dialog units to a layout in pixels.
#include <cmath>
#include <cstdlib>
#include <cwctype>

#include "platform/user/dialog.h"
#include "platform/user/look.h"

namespace kv {
namespace user {

namespace {

constexpr uint16_t kButtonAtom = 0x80;
constexpr uint16_t kStaticAtom = 0x82;
constexpr DWORD kButtonTypeMask = 0x0F;
constexpr DWORD kStaticTypeMask = 0x1F;

ControlKind KindOf(const rt::DialogControlTemplate& control) {
  uint16_t atom = control.classAtom;
  if (atom == 0) {
    std::wstring name = control.className;
    for (wchar_t& c : name) c = static_cast<wchar_t>(std::towlower(c));
    if (name == L"button") atom = kButtonAtom;
    if (name == L"static") atom = kStaticAtom;
  }
  if (atom == kButtonAtom) {
    DWORD type = control.style & kButtonTypeMask;
    if (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON) return ControlKind::kPushButton;
    if (type == BS_GROUPBOX) return ControlKind::kGroupBox;
    return ControlKind::kOther;
  }
  if (atom == kStaticAtom) {
    DWORD type = control.style & kStaticTypeMask;
    if (type == SS_BITMAP) return ControlKind::kStaticBitmap;
    if (type == SS_LEFT || type == SS_CENTER) return ControlKind::kStaticText;
  }
  return ControlKind::kOther;
}

}  // namespace

int MulDivRounded(int a, int b, int c) {
  if (c == 0) return -1;
  long long product = static_cast<long long>(a) * b;
  long long divisor = c;
  bool negative = (product < 0) != (divisor < 0);
  product = std::llabs(product);
  divisor = std::llabs(divisor);
  long long quotient = (product + divisor / 2) / divisor;
  return static_cast<int>(negative ? -quotient : quotient);
}

void DialogBaseUnits(HFONT font, int* baseX, int* baseY) {
  static const wchar_t kLetters[] = L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = dc && font ? SelectObject(dc, font) : nullptr;
  SIZE size = dc ? MeasureText(dc, kLetters) : SIZE{6 * 52, 13};
  if (dc) {
    if (font) SelectObject(dc, old);
    DeleteDC(dc);
  }
  *baseX = static_cast<int>((size.cx / 26 + 1) / 2);
  *baseY = static_cast<int>(size.cy);
  if (*baseX <= 0) *baseX = 6;
  if (*baseY <= 0) *baseY = 13;
}

bool LayoutFromTemplate(const rt::DialogTemplate& t, DialogLayout* layout) {
  *layout = DialogLayout{};
  layout->style = t.style;
  layout->title = t.title;
  if ((t.style & DS_SETFONT) && t.pointSize > 0) {
    layout->fontHeight = -MulDivRounded(t.pointSize, 96, 72);
    layout->fontWeight = t.weight ? t.weight : FW_NORMAL;
    layout->fontItalic = t.italic != 0;
    if (!t.faceName.empty()) layout->fontFace = t.faceName;
  }
  HFONT font = CreateFontW(layout->fontHeight, 0, 0, 0, layout->fontWeight, layout->fontItalic,
                           FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                           DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, layout->fontFace.c_str());
  DialogBaseUnits(font, &layout->baseX, &layout->baseY);
  if (font) DeleteObject(font);

  auto px = [&](int units) { return MulDivRounded(units, layout->baseX, 4); };
  auto py = [&](int units) { return MulDivRounded(units, layout->baseY, 8); };
  layout->x = px(t.x);
  layout->y = py(t.y);
  layout->clientWidth = px(t.cx);
  layout->clientHeight = py(t.cy);
  // A dialog of no size, or one larger than any screen, is not a sound template.
  constexpr int kLargest = 16384;
  if (layout->clientWidth <= 0 || layout->clientHeight <= 0 || layout->clientWidth > kLargest ||
      layout->clientHeight > kLargest) {
    return false;
  }
  bool haveDefault = false;
  for (const rt::DialogControlTemplate& c : t.controls) {
    if ((c.style & WS_VISIBLE) == 0) continue;  // hidden controls are never drawn here
    auto control = std::make_unique<DialogControl>();
    control->kind = KindOf(c);
    control->id = c.id;
    control->style = c.style;
    control->text = c.text;
    control->hasBitmapId = c.hasTextOrdinal;
    control->bitmapId = c.textOrdinal;
    int x = px(c.x), y = py(c.y);
    control->rect = RECT{x, y, x + px(c.cx), y + py(c.cy)};
    control->tabStop = (c.style & WS_TABSTOP) != 0;
    if (control->kind == ControlKind::kPushButton &&
        (c.style & kButtonTypeMask) == BS_DEFPUSHBUTTON && !haveDefault) {
      control->defaultButton = true;
      haveDefault = true;
    }
    layout->controls.push_back(std::move(control));
  }
  return true;
}

}  // namespace user
}  // namespace kv
