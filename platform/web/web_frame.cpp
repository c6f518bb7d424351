#include "platform/web/web_frame.h"

#include <new>

#include "platform/gdi/gdi_internal.h"
#include "platform/user/look.h"

namespace kv {
namespace web {

namespace {

namespace look = user::look;

// The caption bar leaves a row of the face colour above the client area.
constexpr int kCaptionBar = user::kCaptionHeight - 1;
constexpr int kCloseWidth = 16, kCloseHeight = 14;
// The caption's colours run from left to right, as the classic look has them.
constexpr COLORREF kActiveFrom = RGB(10, 36, 106), kActiveTo = RGB(166, 202, 240);
constexpr COLORREF kInactiveFrom = RGB(128, 128, 128), kInactiveTo = RGB(192, 192, 192);

// The close box within the outer rectangle, from its top-left corner.
RECT CloseBoxIn(int outerWidth) {
  const int right = outerWidth - user::kFrameRight - 2;
  const int top = user::kFrameTop + (kCaptionBar - kCloseHeight) / 2;
  return RECT{right - kCloseWidth, top, right, top + kCloseHeight};
}

int Mix(int from, int to, int i, int n) { return from + (to - from) * i / (n > 1 ? n - 1 : 1); }

void DrawCaption(HDC dc, int width, const std::wstring& title, bool active) {
  const COLORREF from = active ? kActiveFrom : kInactiveFrom, to = active ? kActiveTo : kInactiveTo;
  const int left = user::kFrameLeft, right = width - user::kFrameRight, top = user::kFrameTop;
  for (int x = left; x < right; ++x) {
    const COLORREF c = RGB(Mix(GetRValue(from), GetRValue(to), x - left, right - left),
                           Mix(GetGValue(from), GetGValue(to), x - left, right - left),
                           Mix(GetBValue(from), GetBValue(to), x - left, right - left));
    user::FillBox(dc, x, top, x + 1, top + kCaptionBar, c);
  }
  HFONT font = CreateFontW(-11, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                           OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                           VARIABLE_PITCH | FF_SWISS, L"MS Shell Dlg");
  HGDIOBJ old = SelectObject(dc, font);
  const int textTop = top + (kCaptionBar - user::LineHeight(dc)) / 2;
  user::LabelText label;
  label.shown = title;
  user::DrawLabel(dc, left + 4, textTop, label, active ? RGB(255, 255, 255) : look::kFace, false);
  SelectObject(dc, old);
  DeleteObject(font);
}

void DrawCloseBox(HDC dc, int width, bool pressed) {
  const RECT box = CloseBoxIn(width);
  user::FillBox(dc, box, look::kFace);
  if (pressed)
    user::DrawPressedEdge(dc, box);
  else
    user::DrawRaisedEdge(dc, box);
  // An x of two-pixel strokes, 8 wide and 7 high, a pixel lower when pressed.
  const int x0 = box.left + 4 + pressed, y0 = box.top + 3 + pressed;
  for (int i = 0; i < 7; ++i) {
    user::FillBox(dc, x0 + i, y0 + i, x0 + i + 2, y0 + i + 1, look::kText);
    user::FillBox(dc, x0 + 6 - i, y0 + i, x0 + 8 - i, y0 + i + 1, look::kText);
  }
}

}  // namespace

Outer OuterOf(const desktop::Window& w) {
  return Outer{w.x - kFrameLeft, w.y - kFrameTop, w.x + w.width + kFrameRight,
               w.y + w.height + kFrameBottom};
}

FramePart HitFrame(const desktop::Window& w, int x, int y) {
  const Outer o = OuterOf(w);
  if (x < o.left || x >= o.right || y < o.top || y >= o.bottom) return FramePart::kOutside;
  if (x >= w.x && x < w.x + w.width && y >= w.y && y < w.y + w.height) return FramePart::kClient;
  const int ox = x - o.left, oy = y - o.top;
  const RECT close = CloseBoxIn(o.right - o.left);
  if (ox >= close.left && ox < close.right && oy >= close.top && oy < close.bottom)
    return FramePart::kCloseBox;
  if (oy >= user::kFrameTop && oy < user::kFrameTop + kCaptionBar && ox >= user::kFrameLeft &&
      ox < o.right - o.left - user::kFrameRight)
    return FramePart::kCaption;
  return FramePart::kBorder;
}

bool UpdateFrame(Frame* frame, const desktop::Window& w, bool active, bool closePressed) {
  const int width = w.width + kFrameLeft + kFrameRight, height = w.height + kFrameTop + kFrameBottom;
  if (frame->width == width && frame->height == height && frame->title == w.title &&
      frame->active == active && frame->closePressed == closePressed && !frame->pixels.empty())
    return true;
  try {
    frame->pixels.assign(static_cast<size_t>(width) * height, 0);
  } catch (const std::bad_alloc&) {
    *frame = Frame{};
    return false;
  }
  frame->width = width;
  frame->height = height;
  frame->title = w.title;
  frame->active = active;
  frame->closePressed = closePressed;
  HDC dc = gdi::CreateSurfaceDC(PixelSurface{frame->pixels.data(), width, height, width});
  const RECT all{0, 0, width, height};
  user::FillBox(dc, all, look::kFace);
  user::DrawRaisedEdge(dc, all);
  DrawCaption(dc, width, w.title, active);
  DrawCloseBox(dc, width, closePressed);
  DeleteDC(dc);
  return true;
}

}  // namespace web
}  // namespace kv
