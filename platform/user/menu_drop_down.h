// A menu's drop-down as it is laid out and drawn: its size from the items'
// text, the item under a point, and its picture. Menu tracking (menu_track.cpp)
// opens, closes and drives it.
#pragma once

#include "platform/backend.h"
#include "platform/surface.h"
#include "platform/user/menu.h"

namespace kv {
namespace user {

struct DropDown {
  NativeWindow* native = nullptr;
  int x = 0, y = 0;  // screen position
  int width = 0, height = 0;
  int itemHeight = 19;
  int lineHeight = 13;
};

// Sets the line and item heights and the size of the drop-down of `sub`.
void MeasureDropDown(const HMENU__& sub, DropDown* drop);

// The item of `sub` at (x, y), relative to the drop-down's top-left pixel:
// its index, -2 inside the drop-down but on no item (the border), -1 outside.
int DropDownItemAt(const DropDown& drop, const HMENU__* sub, int x, int y);

// Draws the drop-down of `sub` into `surface` with item `hotItem` (or none,
// -1) highlighted. False when there was nothing to draw with.
bool PaintDropDown(const PixelSurface& surface, const HMENU__& sub, const DropDown& drop,
                   int hotItem);

}  // namespace user
}  // namespace kv
