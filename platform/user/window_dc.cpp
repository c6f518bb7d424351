// Window device contexts: one kept per window, handed out by GetDC and taken
// back by ReleaseDC, which shows on screen what was drawn in between. Each is
// a held surface context of the drawing layer over the window's client area.
#include "platform/gdi/gdi_internal.h"
#include "platform/user/user_internal.h"
#include "platform/user/user_state.h"

namespace {

std::unordered_map<HWND, HDC>& Cache() { return kv::user::State().windowDCs; }

}  // namespace

HDC GetDC(HWND window) {
  kv::PixelSurface surface;
  if (!window || !kv::user::ClientSurface(window, &surface)) return nullptr;
  HDC& dc = Cache()[window];
  if (!dc) dc = kv::gdi::CreateHeldSurfaceDC();
  if (!dc) {
    Cache().erase(window);
    return nullptr;
  }
  // The surface is looked up again each time: the window may have been
  // replaced by another one at the same address.
  kv::gdi::HandOutSurfaceDC(dc, surface);
  return dc;
}

int ReleaseDC(HWND window, HDC dc) {
  auto it = Cache().find(window);
  if (!dc || it == Cache().end() || it->second != dc) return 0;
  RECT r;
  if (!kv::gdi::TakeBackSurfaceDC(dc, &r)) return 0;
  if (!kv::gdi::EmptyRect(r))
    kv::user::PresentClient(window, r.left, r.top, r.right - r.left, r.bottom - r.top);
  return 1;
}

namespace kv {
namespace user {

void MoveWindowDCs(HWND__* top) {
  for (auto& [window, dc] : Cache()) {
    HWND__* w = LiveWindow(window);
    if (w && TopLevel(w) == top) gdi::MoveSurfaceDC(dc, ClientView(w));
  }
}

void ForgetWindowDC(HWND window) {
  auto it = Cache().find(window);
  if (it == Cache().end()) return;
  HDC dc = it->second;
  Cache().erase(it);
  gdi::FreeHeldSurfaceDC(dc);
}

void ForgetWindowDCs() {
  for (auto& [window, dc] : Cache()) gdi::FreeHeldSurfaceDC(dc);
  Cache().clear();
}

}  // namespace user
}  // namespace kv
