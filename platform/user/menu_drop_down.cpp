#include "platform/user/menu_drop_down.h"

#include <algorithm>

#include "platform/gdi/gdi_internal.h"
#include "platform/user/look.h"

namespace kv {
namespace user {

namespace {
constexpr int kBorder = 3;        // raised edge and one pixel of padding
constexpr int kCheckColumn = 17;  // room for the tick left of the text
constexpr int kRightPadding = 24;
}  // namespace

void MeasureDropDown(const HMENU__& sub, DropDown* drop) {
  HDC dc = CreateCompatibleDC(nullptr);
  HFONT font = dc ? CreateGuiFont() : nullptr;
  HGDIOBJ old = font ? SelectObject(dc, font) : nullptr;
  int widest = 0;
  drop->lineHeight = dc ? LineHeight(dc) : 13;
  for (const MenuEntry& entry : sub.entries) {
    std::wstring shown = StripAmpersands(entry.text).shown;
    widest = std::max<int>(widest, dc ? MeasureText(dc, shown).cx : 6 * static_cast<int>(shown.size()));
  }
  if (font) {
    SelectObject(dc, old);
    DeleteObject(font);
  }
  if (dc) DeleteDC(dc);
  drop->itemHeight = drop->lineHeight + 6;
  drop->width = 2 * kBorder + kCheckColumn + widest + kRightPadding;
  drop->height = 2 * kBorder + static_cast<int>(sub.entries.size()) * drop->itemHeight;
}

int DropDownItemAt(const DropDown& drop, const HMENU__* sub, int x, int y) {
  if (x < 0 || y < 0 || x >= drop.width || y >= drop.height) return -1;
  if (x < kBorder || x >= drop.width - kBorder || y < kBorder) return -2;
  int index = (y - kBorder) / drop.itemHeight;
  if (!sub || index >= static_cast<int>(sub->entries.size())) return -2;
  return index;
}

bool PaintDropDown(const PixelSurface& surface, const HMENU__& sub, const DropDown& drop,
                   int hotItem) {
  HDC dc = gdi::CreateSurfaceDC(surface);
  if (!dc) return false;
  HFONT font = CreateGuiFont();
  HGDIOBJ old = font ? SelectObject(dc, font) : nullptr;
  FillBox(dc, 0, 0, surface.width, surface.height, look::kFace);
  DrawRaisedEdge(dc, RECT{0, 0, surface.width, surface.height});
  for (size_t i = 0; i < sub.entries.size(); ++i) {
    const MenuEntry& entry = sub.entries[i];
    RECT row{kBorder, kBorder + static_cast<LONG>(i) * drop.itemHeight, surface.width - kBorder,
             kBorder + static_cast<LONG>(i + 1) * drop.itemHeight};
    bool hot = static_cast<int>(i) == hotItem;
    COLORREF color = EntryInactive(entry) ? look::kGrayText : look::kText;
    if (hot) {
      FillBox(dc, row, look::kSelection);
      if (!EntryInactive(entry)) color = look::kSelectionText;
    }
    int middle = (row.top + row.bottom) / 2;
    if (entry.state & MF_CHECKED) DrawTick(dc, row.left + 5, middle - 4, color);
    DrawLabel(dc, row.left + kCheckColumn, middle - drop.lineHeight / 2,
              StripAmpersands(entry.text), color, true);
  }
  if (font) {
    SelectObject(dc, old);
    DeleteObject(font);
  }
  DeleteDC(dc);
  return true;
}

}  // namespace user
}  // namespace kv
