#include "platform/user/look.h"

#include <algorithm>

namespace kv {
namespace user {

HFONT CreateGuiFont() {
  return CreateFontW(-11, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                     VARIABLE_PITCH | FF_SWISS, L"MS Shell Dlg");
}

LabelText StripAmpersands(const std::wstring& text) {
  LabelText label;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == L'&' && i + 1 < text.size()) {
      ++i;
      if (text[i] != L'&' && label.keyIndex < 0) {
        label.keyIndex = static_cast<int>(label.shown.size());
      }
    } else if (text[i] == L'&') {
      continue;  // a trailing '&' marks nothing
    }
    label.shown.push_back(text[i]);
  }
  return label;
}

SIZE MeasureText(HDC dc, const std::wstring& text) {
  SIZE size{0, 0};
  if (!text.empty() &&
      GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size) &&
      size.cy > 0) {
    return size;
  }
  if (text.empty() && GetTextExtentPoint32W(dc, L"X", 1, &size) && size.cy > 0) {
    size.cx = 0;
    return size;
  }
  size.cx = static_cast<LONG>(6 * text.size());
  size.cy = 13;
  return size;
}

int LineHeight(HDC dc) { return MeasureText(dc, L"").cy; }

void FillBox(HDC dc, int left, int top, int right, int bottom, COLORREF color) {
  if (right <= left || bottom <= top) return;
  HBRUSH brush = CreateSolidBrush(color);
  HPEN pen = CreatePen(PS_SOLID, 1, color);
  HGDIOBJ oldBrush = SelectObject(dc, brush);
  HGDIOBJ oldPen = SelectObject(dc, pen);
  Rectangle(dc, left, top, right, bottom);
  SelectObject(dc, oldPen);
  SelectObject(dc, oldBrush);
  DeleteObject(pen);
  DeleteObject(brush);
}

void FillBox(HDC dc, const RECT& box, COLORREF color) {
  FillBox(dc, box.left, box.top, box.right, box.bottom, color);
}

namespace {

// One-pixel lines along the top and left, then along the bottom and right.
void Bevel(HDC dc, const RECT& r, COLORREF topLeft, COLORREF bottomRight) {
  FillBox(dc, r.left, r.top, r.right - 1, r.top + 1, topLeft);
  FillBox(dc, r.left, r.top, r.left + 1, r.bottom - 1, topLeft);
  FillBox(dc, r.left, r.bottom - 1, r.right, r.bottom, bottomRight);
  FillBox(dc, r.right - 1, r.top, r.right, r.bottom, bottomRight);
}

RECT Inset(const RECT& r, int by) { return RECT{r.left + by, r.top + by, r.right - by, r.bottom - by}; }

}  // namespace

void DrawRaisedEdge(HDC dc, const RECT& box) {
  Bevel(dc, box, look::kHighlight, look::kDarkShadow);
  Bevel(dc, Inset(box, 1), look::kFace, look::kShadow);
}

void DrawPressedEdge(HDC dc, const RECT& box) {
  Bevel(dc, box, look::kDarkShadow, look::kDarkShadow);
  Bevel(dc, Inset(box, 1), look::kShadow, look::kShadow);
}

void DrawEtchedFrame(HDC dc, const RECT& box) {
  // Shadow rectangle, then the highlight one a pixel to the right and below.
  RECT outer{box.left, box.top, box.right - 1, box.bottom - 1};
  RECT inner{box.left + 1, box.top + 1, box.right, box.bottom};
  Bevel(dc, inner, look::kHighlight, look::kHighlight);
  Bevel(dc, outer, look::kShadow, look::kShadow);
}

void DrawFocusRect(HDC dc, const RECT& box) {
  for (LONG x = box.left; x < box.right; x += 2) {
    SetPixel(dc, x, box.top, look::kText);
    SetPixel(dc, x, box.bottom - 1, look::kText);
  }
  for (LONG y = box.top; y < box.bottom; y += 2) {
    SetPixel(dc, box.left, y, look::kText);
    SetPixel(dc, box.right - 1, y, look::kText);
  }
}

void DrawTick(HDC dc, int x, int y, COLORREF color) {
  // Three-pixel-thick strokes: down to the right for three columns, then up
  // to the right for four.
  for (int i = 0; i < 7; ++i) {
    int top = i < 3 ? y + 2 + i : y + 4 - (i - 2);
    FillBox(dc, x + i, top, x + i + 1, top + 3, color);
  }
}

void DrawLabel(HDC dc, int x, int y, const LabelText& label, COLORREF color, bool underline) {
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, color);
  SetTextAlign(dc, TA_LEFT | TA_TOP | TA_NOUPDATECP);
  if (!label.shown.empty()) {
    TextOutW(dc, x, y, label.shown.c_str(), static_cast<int>(label.shown.size()));
  }
  if (!underline || label.keyIndex < 0) return;
  int before = label.keyIndex == 0 ? 0 : MeasureText(dc, label.shown.substr(0, label.keyIndex)).cx;
  SIZE upTo = MeasureText(dc, label.shown.substr(0, label.keyIndex + 1));
  int row = y + upTo.cy - 2;  // just below the baseline
  FillBox(dc, x + before, row, x + std::max<int>(upTo.cx, before + 1), row + 1, color);
}

PixelSurface SubSurface(const PixelSurface& surface, const RECT& box) {
  PixelSurface view;
  int left = std::max<int>(0, box.left), top = std::max<int>(0, box.top);
  int right = std::min<int>(surface.width, box.right);
  int bottom = std::min<int>(surface.height, box.bottom);
  if (!surface.pixels || right <= left || bottom <= top) return view;
  view.pixels = surface.pixels + static_cast<ptrdiff_t>(top) * surface.stride + left;
  view.width = right - left;
  view.height = bottom - top;
  view.stride = surface.stride;
  return view;
}

}  // namespace user
}  // namespace kv
