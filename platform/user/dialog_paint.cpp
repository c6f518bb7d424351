// Painting a dialog: the face, then each control in a device context of its
// own that covers only the control, so nothing spills out of it.
#include <algorithm>

#include "platform/gdi/gdi_internal.h"
#include "platform/user/dialog.h"
#include "platform/user/look.h"
#include "platform/user/user_state.h"

namespace kv {
namespace user {

std::vector<TextLine> WrapText(HDC dc, const std::wstring& text, int width) {
  std::vector<TextLine> lines;
  size_t start = 0;
  while (true) {
    size_t end = text.find(L'\n', start);
    if (end == std::wstring::npos) end = text.size();
    size_t lineStart = start;
    while (true) {
      // Take words while they fit; the first word is taken even if it does not.
      size_t cut = lineStart, probe = lineStart;
      while (true) {
        size_t wordEnd = text.find(L' ', probe);
        if (wordEnd == std::wstring::npos || wordEnd > end) wordEnd = end;
        bool fits = MeasureText(dc, text.substr(lineStart, wordEnd - lineStart)).cx <= width;
        if (!fits && cut > lineStart) break;
        cut = wordEnd;
        if (!fits || wordEnd >= end) break;
        probe = wordEnd + 1;
      }
      size_t length = cut - lineStart;
      if (length > 0 && text[lineStart + length - 1] == L'\r') --length;
      lines.push_back(TextLine{lineStart, length});
      lineStart = cut;
      while (lineStart < end && text[lineStart] == L' ') ++lineStart;  // no line opens with a space
      if (lineStart >= end) break;
    }
    if (end >= text.size()) break;
    start = end + 1;
  }
  return lines;
}

namespace {

RECT Local(const RECT& r) { return RECT{0, 0, r.right - r.left, r.bottom - r.top}; }

RECT Inset(const RECT& r, int by) { return RECT{r.left + by, r.top + by, r.right - by, r.bottom - by}; }

void PaintPushButton(HDC dc, const DialogState& s, int index) {
  const DialogControl& c = *s.layout.controls[index];
  RECT r = Local(c.rect);
  bool pressed = s.pressed == index && s.pressedInside;
  bool focused = s.focus == index;
  FillBox(dc, r, look::kFace);
  RECT inner = r;
  if (c.defaultButton || focused) {
    // The default button's black frame.
    FillBox(dc, r.left, r.top, r.right, r.top + 1, look::kText);
    FillBox(dc, r.left, r.bottom - 1, r.right, r.bottom, look::kText);
    FillBox(dc, r.left, r.top, r.left + 1, r.bottom, look::kText);
    FillBox(dc, r.right - 1, r.top, r.right, r.bottom, look::kText);
    inner = Inset(r, 1);
  }
  if (pressed) {
    FillBox(dc, inner.left, inner.top, inner.right, inner.top + 1, look::kShadow);
    FillBox(dc, inner.left, inner.bottom - 1, inner.right, inner.bottom, look::kShadow);
    FillBox(dc, inner.left, inner.top, inner.left + 1, inner.bottom, look::kShadow);
    FillBox(dc, inner.right - 1, inner.top, inner.right, inner.bottom, look::kShadow);
  } else {
    DrawRaisedEdge(dc, inner);
  }
  LabelText label = StripAmpersands(c.text);
  SIZE size = MeasureText(dc, label.shown);
  int shift = pressed ? 1 : 0;
  DrawLabel(dc, (r.right - size.cx) / 2 + shift, (r.bottom - size.cy) / 2 + shift, label,
            look::kText, true);
  if (focused) DrawFocusRect(dc, Inset(inner, 3));
}

void PaintStaticText(HDC dc, const DialogControl& c) {
  RECT r = Local(c.rect);
  bool prefix = (c.style & 0x80) == 0;  // SS_NOPREFIX turns '&' into a plain character
  LabelText label = prefix ? StripAmpersands(c.text) : LabelText{c.text, -1};
  int lineHeight = LineHeight(dc);
  int y = 0;
  for (const TextLine& line : WrapText(dc, label.shown, r.right)) {
    if (y >= r.bottom) break;
    LabelText part;
    part.shown = label.shown.substr(line.start, line.length);
    int key = label.keyIndex - static_cast<int>(line.start);
    if (key >= 0 && key < static_cast<int>(line.length)) part.keyIndex = key;
    int x = 0;
    if ((c.style & 0x1F) == SS_CENTER) x = (r.right - MeasureText(dc, part.shown).cx) / 2;
    DrawLabel(dc, x, y, part, look::kText, true);
    y += lineHeight;
  }
}

void PaintGroupBox(HDC dc, const DialogControl& c) {
  RECT r = Local(c.rect);
  LabelText label = StripAmpersands(c.text);
  SIZE size = MeasureText(dc, label.shown);
  int lineTop = size.cy / 2 - 1;
  DrawEtchedFrame(dc, RECT{r.left, r.top + lineTop, r.right, r.bottom});
  if (label.shown.empty()) return;
  // The caption breaks the top line.
  constexpr int kTextLeft = 8;
  FillBox(dc, kTextLeft - 2, 0, kTextLeft + size.cx + 2, size.cy, look::kFace);
  DrawLabel(dc, kTextLeft, 0, label, look::kText, true);
}

void PaintBitmap(HDC dc, const DialogControl& c) {
  if (!c.bitmap) return;  // a picture the resources do not hold leaves the slot empty
  BITMAP info{};
  if (!GetObjectW(c.bitmap, sizeof info, &info)) return;
  HDC source = CreateCompatibleDC(dc);
  if (!source) return;
  HGDIOBJ old = SelectObject(source, c.bitmap);
  BitBlt(dc, 0, 0, info.bmWidth, info.bmHeight, source, 0, 0, SRCCOPY);
  SelectObject(source, old);
  DeleteDC(source);
}

}  // namespace

void PaintDialog(DialogState* s) {
  HWND__* w = LiveWindow(s->window);
  if (!w) return;
  PixelSurface client = ClientView(w);
  if (!client.pixels) return;
  HWND__* top = TopLevel(w);
  Backend* backend = ActiveBackend();
  if (top && top->native && backend) backend->BeginSurfaceWrite(top->native);
  HDC dc = gdi::CreateSurfaceDC(client);
  if (!dc) return;
  FillBox(dc, 0, 0, client.width, client.height, look::kFace);
  DeleteDC(dc);
  for (size_t i = 0; i < s->layout.controls.size(); ++i) {
    const DialogControl& c = *s->layout.controls[i];
    PixelSurface view = SubSurface(client, c.rect);
    if (!view.pixels || c.rect.left < 0 || c.rect.top < 0) continue;
    HDC cdc = gdi::CreateSurfaceDC(view);
    if (!cdc) continue;
    HGDIOBJ old = s->font ? SelectObject(cdc, s->font) : nullptr;
    switch (c.kind) {
      case ControlKind::kPushButton:
        PaintPushButton(cdc, *s, static_cast<int>(i));
        break;
      case ControlKind::kStaticText:
        PaintStaticText(cdc, c);
        break;
      case ControlKind::kGroupBox:
        PaintGroupBox(cdc, c);
        break;
      case ControlKind::kStaticBitmap:
        PaintBitmap(cdc, c);
        break;
      case ControlKind::kOther:
        break;
    }
    if (s->font) SelectObject(cdc, old);
    DeleteDC(cdc);
  }
  PresentWhole(w);
}

}  // namespace user
}  // namespace kv
