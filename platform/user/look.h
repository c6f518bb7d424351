// The classic desktop look shared by the menu bar, drop-downs, dialogs and
// message boxes: its colours, its font, and a few drawing helpers that go
// through the drawing interface.
#pragma once

#include <string>

#include "platform/surface.h"
#include "platform/win32.h"

namespace kv {
namespace user {

namespace look {
constexpr COLORREF kFace = RGB(212, 208, 200);  // bars, dialogs, buttons
constexpr COLORREF kHighlight = RGB(255, 255, 255);
constexpr COLORREF kShadow = RGB(128, 128, 128);
constexpr COLORREF kDarkShadow = RGB(64, 64, 64);
constexpr COLORREF kText = RGB(0, 0, 0);
constexpr COLORREF kGrayText = RGB(128, 128, 128);
constexpr COLORREF kSelection = RGB(10, 36, 106);
constexpr COLORREF kSelectionText = RGB(255, 255, 255);
}  // namespace look

// The default GUI font: "MS Shell Dlg" at 8 points (11 pixels of em).
HFONT CreateGuiFont();

// Text with its '&' markers removed, and where the access key sits.
struct LabelText {
  std::wstring shown;
  int keyIndex = -1;  // index in `shown` of the underlined character
};
LabelText StripAmpersands(const std::wstring& text);

// Text extent with the selected font; a plain estimate when the drawing
// layer cannot measure, so layout never collapses.
SIZE MeasureText(HDC dc, const std::wstring& text);
int LineHeight(HDC dc);

// Fills [left, right) x [top, bottom) with a colour.
void FillBox(HDC dc, int left, int top, int right, int bottom, COLORREF color);
void FillBox(HDC dc, const RECT& box, COLORREF color);

// The two-pixel raised border of buttons and drop-downs, inside `box`.
void DrawRaisedEdge(HDC dc, const RECT& box);
// The same pressed in: a dark line with a shadow line inside.
void DrawPressedEdge(HDC dc, const RECT& box);
// An etched frame (shadow line with a highlight line beside it).
void DrawEtchedFrame(HDC dc, const RECT& box);
// A dotted focus rectangle just inside `box`.
void DrawFocusRect(HDC dc, const RECT& box);
// A tick, 7 pixels wide and 7 high, with its top-left corner at (x, y).
void DrawTick(HDC dc, int x, int y, COLORREF color);

// Draws a label (top-left at x, y, transparent background) and underlines
// its access key when `underline` is set.
void DrawLabel(HDC dc, int x, int y, const LabelText& label, COLORREF color, bool underline);

// A view of the part of `surface` inside `box` (clipped to the surface), so
// that a device context over it cannot draw outside the box. Empty when
// nothing of the box is on the surface.
PixelSurface SubSurface(const PixelSurface& surface, const RECT& box);

}  // namespace user
}  // namespace kv
