// A window that a window manager (or another client) gave another size, the
// fixed border notwithstanding. It takes the backend's new surface, its menu
// bar spans the new width, and it is told as a resized window is told on the
// platform: WM_SIZE with the new client size, then a paint. The class brush
// decides what the new part of the client area shows; under the null brush
// it stays black until the program draws there.
#include <algorithm>

#include "platform/user/user_internal.h"
#include "platform/user/user_state.h"

namespace kv {
namespace user {

void TakeResizedSurface(NativeWindow* native) {
  HWND__* w = WindowOfNative(native);
  Backend* backend = ActiveBackend();
  if (!w || !backend) return;
  const PixelSurface surface = backend->Surface(native);
  if (!surface.pixels) return;
  w->surface = surface;
  const int clientWidth = surface.width;
  const int clientHeight = std::max(0, surface.height - w->menuBarHeight);
  w->windowRect.right += clientWidth - w->clientWidth;
  w->windowRect.bottom += clientHeight - w->clientHeight;
  w->clientWidth = clientWidth;
  w->clientHeight = clientHeight;
  // A context handed out before the change draws into the new pixels.
  MoveWindowDCs(w);
  SendMessageW(w, WM_SIZE, SIZE_RESTORED, MAKELPARAM(clientWidth, clientHeight));
  if (!LiveWindow(w) || !w->visible) return;  // the procedure may have closed it
  if (w->menu) DrawMenuBar(w);
  w->needsPaint = true;
  UpdateWindow(w);
  if (LiveWindow(w)) PresentWhole(w);
}

}  // namespace user
}  // namespace kv
