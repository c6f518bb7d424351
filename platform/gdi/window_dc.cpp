// Window device contexts: one kept per window, handed out by GetDC and taken
// back by ReleaseDC, which shows on screen what was drawn in between.
#include <unordered_map>

#include "platform/gdi/gdi_internal.h"
#include "platform/gdi/gdi_objects.h"
#include "platform/gdi/record_pool.h"
#include "platform/user/user_internal.h"

using namespace kv::gdi;

namespace {

std::unordered_map<HWND, HDC__*>& Cache() {
  static auto* cache = new std::unordered_map<HWND, HDC__*>;
  return *cache;
}

}  // namespace

HDC GetDC(HWND window) {
  kv::PixelSurface surface;
  if (!window || !kv::user::ClientSurface(window, &surface)) return nullptr;
  HDC__*& dc = Cache()[window];
  if (!dc) {
    dc = TakeRecord<HDC__>();
    if (!dc) {
      Cache().erase(window);
      return nullptr;
    }
    dc->kind = HDC__::kWindow;
    dc->window = window;
    dc->surfaceFormat = &ColorFormat();
    RegisterDC(dc, false);
  }
  // The surface is looked up again each time: the window may have been
  // replaced by another one at the same address.
  dc->surface = surface;
  ResetDCState(dc);
  dc->dirty = RECT{0, 0, 0, 0};
  if (!dc->out) {
    dc->out = true;
    CountDC(+1);
  }
  return dc;
}

int ReleaseDC(HWND window, HDC dc) {
  HDC__* d = LiveDC(dc);
  if (!d || d->kind != HDC__::kWindow || d->window != window || !d->out) return 0;
  const RECT r = d->dirty;
  if (!EmptyRect(r))
    kv::user::PresentClient(window, r.left, r.top, r.right - r.left, r.bottom - r.top);
  d->dirty = RECT{0, 0, 0, 0};
  // Objects the caller selected are let go, so they can be deleted.
  ResetDCState(d);
  d->out = false;
  CountDC(-1);
  return 1;
}

namespace kv {
namespace gdi {

void ForgetWindow(HWND window) {
  auto it = Cache().find(window);
  if (it == Cache().end()) return;
  HDC__* dc = it->second;
  Cache().erase(it);
  if (dc->out) CountDC(-1);
  ReleaseDCObjects(dc);
  UnregisterDC(dc, false);
  GiveRecord(dc);
}

}  // namespace gdi
}  // namespace kv
