// A window's title and rectangles.
#include "platform/user/dialog.h"
#include "platform/user/metrics.h"
#include "platform/user/user_state.h"

using kv::user::LiveWindow;

namespace {

// Dialog controls are drawn by their dialog and are not windows, but
// GetDlgItem hands out handles to them, and their place on the screen is
// asked for as a window's would be. The handle is compared, never read.
bool ControlRect(HWND handle, RECT* rect) {
  for (HWND__* w : kv::user::State().windows) {
    auto* dialog = static_cast<kv::user::DialogState*>(w->dialog);
    if (!dialog) continue;
    for (const auto& c : dialog->layout.controls) {
      if (reinterpret_cast<HWND>(c.get()) != handle) continue;
      int x = 0, y = 0;
      kv::user::ClientOrigin(w, &x, &y);
      *rect = RECT{c->rect.left + x, c->rect.top + y, c->rect.right + x, c->rect.bottom + y};
      return true;
    }
  }
  return false;
}

}  // namespace

BOOL SetWindowTextW(HWND window, LPCWSTR text) {
  HWND__* w = LiveWindow(window);
  if (!w) return FALSE;
  w->title = text ? text : L"";
  kv::Backend* backend = kv::ActiveBackend();
  if (w->native && backend) backend->SetTitle(w->native, w->title.c_str());
  return TRUE;
}

int GetWindowTextW(HWND window, LPWSTR text, int capacity) {
  HWND__* w = LiveWindow(window);
  if (!text || capacity <= 0) return 0;
  text[0] = 0;
  if (!w) return 0;
  size_t n = w->title.size();
  if (n > static_cast<size_t>(capacity - 1)) n = static_cast<size_t>(capacity - 1);
  w->title.copy(text, n);
  text[n] = 0;
  return static_cast<int>(n);
}

BOOL GetClientRect(HWND window, LPRECT rect) {
  HWND__* w = LiveWindow(window);
  if (!w || !rect) return FALSE;
  *rect = RECT{0, 0, w->clientWidth, w->clientHeight};
  return TRUE;
}

BOOL GetWindowRect(HWND window, LPRECT rect) {
  if (!rect) return FALSE;
  HWND__* w = LiveWindow(window);
  if (!w) return ControlRect(window, rect) ? TRUE : FALSE;
  if (w->parent) {
    int x = 0, y = 0;
    kv::user::ClientOrigin(w, &x, &y);
    *rect = RECT{x, y, x + w->clientWidth, y + w->clientHeight};
    return TRUE;
  }
  // Where the surface really is: a window manager may have moved it.
  int sx = 0, sy = 0;
  kv::Backend* backend = kv::ActiveBackend();
  if (backend && w->native) {
    backend->SurfaceOrigin(w->native, &sx, &sy);
    *rect = kv::user::OuterRect(w->style, sx, sy, w->clientWidth, w->clientHeight,
                                w->menuBarHeight);
  } else {
    *rect = w->windowRect;
  }
  return TRUE;
}
