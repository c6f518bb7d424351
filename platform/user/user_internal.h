// What the windowing layer offers to the drawing layer: the pixels of a
// window's client area, and a way to show what was drawn there.
#pragma once

#include "platform/surface.h"
#include "platform/win32.h"

namespace kv {
namespace user {

// The client area of `window` as a surface (a view into the window's native
// surface, below the menu bar). False when the window does not exist.
bool ClientSurface(HWND window, PixelSurface* out);

// Shows a rectangle of the client area (client coordinates) on the screen.
void PresentClient(HWND window, int x, int y, int width, int height);

}  // namespace user
}  // namespace kv
