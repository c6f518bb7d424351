// The menu bar: the titles of a window's menu drawn across the top rows of
// its native surface.
#include <algorithm>

#include "platform/gdi/gdi_internal.h"
#include "platform/user/menu.h"
#include "platform/user/look.h"

namespace kv {
namespace user {

namespace {

constexpr int kBarHeight = 20;
constexpr int kTitlePadding = 6;  // each side of a title's text

// The rows of the surface that belong to the bar.
PixelSurface BarView(HWND__* window) {
  int rows = std::min(window->menuBarHeight, window->surface.height);
  if (!window->surface.pixels || rows <= 0) return PixelSurface{};
  return SubSurface(window->surface, RECT{0, 0, window->surface.width, rows});
}

std::vector<RECT> LayoutTitles(HDC dc, HMENU__* menu, int barRows) {
  std::vector<RECT> rects;
  int x = 0;
  for (const MenuEntry& entry : menu->entries) {
    int width = MeasureText(dc, StripAmpersands(entry.text).shown).cx + 2 * kTitlePadding;
    rects.push_back(RECT{x, 0, x + width, std::max(0, barRows - 1)});
    x += width;
  }
  return rects;
}

}  // namespace

int MenuBarHeight() { return kBarHeight; }

std::vector<RECT> MenuBarTitleRects(HWND__* window) {
  std::vector<RECT> rects;
  if (!window) return rects;
  HMENU__* menu = LiveMenu(window->menu);
  PixelSurface bar = BarView(window);
  if (!menu || !bar.pixels) return rects;
  HDC dc = gdi::CreateSurfaceDC(bar);
  if (!dc) return rects;
  HFONT font = CreateGuiFont();
  HGDIOBJ old = font ? SelectObject(dc, font) : nullptr;
  rects = LayoutTitles(dc, menu, bar.height);
  if (font) {
    SelectObject(dc, old);
    DeleteObject(font);
  }
  DeleteDC(dc);
  return rects;
}

void DrawMenuBar(HWND__* window) {
  if (!window) return;
  PixelSurface bar = BarView(window);
  if (!bar.pixels) return;
  if (Backend* backend = ActiveBackend()) backend->BeginSurfaceWrite(window->native);
  HDC dc = gdi::CreateSurfaceDC(bar);
  if (!dc) return;
  FillBox(dc, 0, 0, bar.width, bar.height, look::kFace);
  if (HMENU__* menu = LiveMenu(window->menu)) {
    HFONT font = CreateGuiFont();
    HGDIOBJ old = font ? SelectObject(dc, font) : nullptr;
    std::vector<RECT> rects = LayoutTitles(dc, menu, bar.height);
    int hot = HighlightedTitle(window);
    for (size_t i = 0; i < rects.size(); ++i) {
      const MenuEntry& entry = menu->entries[i];
      LabelText label = StripAmpersands(entry.text);
      int textTop = (rects[i].bottom - rects[i].top - LineHeight(dc)) / 2;
      COLORREF color = EntryInactive(entry) ? look::kGrayText : look::kText;
      if (static_cast<int>(i) == hot) {
        FillBox(dc, rects[i], look::kSelection);
        color = look::kSelectionText;
      }
      DrawLabel(dc, rects[i].left + kTitlePadding, rects[i].top + textTop, label, color, true);
    }
    if (font) {
      SelectObject(dc, old);
      DeleteObject(font);
    }
  }
  DeleteDC(dc);
}

}  // namespace user
}  // namespace kv
