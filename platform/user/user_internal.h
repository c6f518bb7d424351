// The client area's pixels and showing part of them: what the window device
// contexts (GetDC, ReleaseDC) stand on.
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

// Points the contexts handed out for `top` and its children at their client
// areas again, after the window's surface was remade at another size.
void MoveWindowDCs(HWND__* top);

// Drops the device context kept for `window`; called when the window is
// destroyed. Harmless for a window that never had one.
void ForgetWindowDC(HWND window);

}  // namespace user
}  // namespace kv
