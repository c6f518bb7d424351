// The Wayland backend's windows: a surface each, made a toplevel (or a
// drop-down's subsurface) while shown, with the program's pixels beside it.
#include <algorithm>
#include <new>

#include "platform/rt/utf8.h"
#include "platform/wayland/wayland_client.h"

namespace kv {
namespace wayland {

namespace {

void SurfaceEnter(void* data, wl_surface*, wl_output* output) {
  auto* w = static_cast<WlWindow*>(data);
  if (std::find(w->outputs.begin(), w->outputs.end(), output) == w->outputs.end())
    w->outputs.push_back(output);
  if (w->backend->UpdateScale(w)) w->backend->Refresh(w);
}

void SurfaceLeave(void* data, wl_surface*, wl_output* output) {
  auto* w = static_cast<WlWindow*>(data);
  w->outputs.erase(std::remove(w->outputs.begin(), w->outputs.end(), output), w->outputs.end());
  if (w->backend->UpdateScale(w)) w->backend->Refresh(w);
}

const wl_surface_listener kSurfaceListener = {&SurfaceEnter, &SurfaceLeave};

}  // namespace

NativeWindow* WaylandBackend::CreateWindow(const NativeWindowParams& params) {
  if (SettlesTheScale(params)) FitZoom(params.width, params.height);
  if (!FitsAtScale(params, zoom)) return nullptr;
  WlWindow* owner = Find(params.owner);
  auto* w = new WlWindow;
  w->backend = this;
  // A drop-down is a part of its owner's surface; one without an owner
  // cannot be, and stands alone.
  w->kind = params.popup && owner ? WindowKind::kPopup
            : owner               ? WindowKind::kDialog
                                  : WindowKind::kMain;
  w->owner = owner;
  w->originX = params.x;
  w->originY = params.y;
  w->width = params.width;
  w->height = params.height;
  try {
    w->pixels.assign(static_cast<size_t>(w->width) * static_cast<size_t>(w->height), 0u);
    w->title = rt::WideToUtf8(params.title ? params.title : L"");
  } catch (const std::bad_alloc&) {
    delete w;
    return nullptr;
  }
  w->surface = wl_compositor_create_surface(compositor);
  wl_surface_add_listener(w->surface, &kSurfaceListener, w);
  w->scale = w->owner ? w->owner->scale : LargestScale();
  windows.push_back(w);
  UpdateScale(w);
  return AsNative(w);
}

void WaylandBackend::DestroyWindow(NativeWindow* window) {
  WlWindow* w = Find(window);
  if (!w) return;
  windows.erase(std::find(windows.begin(), windows.end(), w));
  WindowGoing(w);
  for (WlWindow* other : windows)
    if (other->owner == w) other->owner = nullptr;
  if (w->subsurface) wl_subsurface_destroy(w->subsurface);
  DestroyRole(w);
  if (w->frameCallback) wl_callback_destroy(w->frameCallback);
  wl_surface_destroy(w->surface);
  // No surface shows the buffers any more: they go at once.
  ReleaseBuffers(w);
  // Events already queued for it name a window that is gone.
  events.erase(std::remove_if(events.begin(), events.end(),
                              [w](const InputEvent& e) { return e.window == AsNative(w); }),
               events.end());
  wl_display_flush(display);
  delete w;
}

void WaylandBackend::ShowWindow(NativeWindow* window, bool visible) {
  WlWindow* w = Find(window);
  if (!w || w->shown == visible) return;
  w->shown = visible;
  if (visible) {
    if (w->kind == WindowKind::kPopup) {
      // Placed relative to its owner, above it; its own commits show at
      // once (desynchronised), and the place takes effect with the
      // owner's next commit, made here.
      w->subsurface = wl_subcompositor_get_subsurface(subcompositor, w->surface, w->owner->surface);
      wl_subsurface_set_position(w->subsurface, (w->originX - w->owner->originX) * zoom,
                                 (w->originY - w->owner->originY) * zoom);
      wl_subsurface_set_desync(w->subsurface);
      w->configured = true;
      Invalidate(w);
      Commit(w);
      wl_surface_commit(w->owner->surface);
    } else {
      CreateRole(w);
    }
  } else {
    WindowGoing(w);
    if (w->subsurface) {
      wl_subsurface_destroy(w->subsurface);
      w->subsurface = nullptr;
    }
    DestroyRole(w);
    // No buffer stays attached: a role made again starts without one.
    wl_surface_attach(w->surface, nullptr, 0, 0);
    wl_surface_commit(w->surface);
    if (w->frameCallback) wl_callback_destroy(w->frameCallback);
    w->frameCallback = nullptr;
    w->presentWanted = false;
    w->configured = false;
  }
  wl_display_flush(display);
}

void WaylandBackend::SetTitle(NativeWindow* window, const wchar_t* title) {
  WlWindow* w = Find(window);
  if (!w) return;
  std::string utf8 = rt::WideToUtf8(title ? title : L"");
  if (utf8 == w->title) return;
  w->title = std::move(utf8);
  SetRoleTitle(w);
  wl_display_flush(display);
}

PixelSurface WaylandBackend::Surface(NativeWindow* window) {
  WlWindow* w = Find(window);
  if (!w) return PixelSurface{};
  return PixelSurface{w->pixels.data(), w->width, w->height, w->width};
}

void WaylandBackend::BeginSurfaceWrite(NativeWindow*) {
  // The program draws into pixels of its own, which the compositor never
  // reads: each present copies them into a buffer the compositor has let
  // go of (wayland_present.cpp), so there is nothing to wait for here.
}

bool WaylandBackend::ResizeSurface(WlWindow* w, int width, int height) {
  width = std::clamp(width, 1, kMaxSurfaceSide / zoom);
  height = std::clamp(height, 1, kMaxSurfaceSide / zoom);
  if (width == w->width && height == w->height) return false;
  std::vector<uint32_t> pixels;
  try {
    pixels.assign(static_cast<size_t>(width) * static_cast<size_t>(height), 0u);
  } catch (const std::bad_alloc&) {
    return false;  // no memory: the window keeps the surface it has
  }
  // What was drawn stays where it was; the rest is black until drawn.
  CopyOverlap(PixelSurface{w->pixels.data(), w->width, w->height, w->width},
              PixelSurface{pixels.data(), width, height, width});
  w->pixels.swap(pixels);
  w->width = width;
  w->height = height;
  Invalidate(w);
  UpdateScale(w);
  InputEvent e;
  e.type = InputEvent::kResized;
  e.window = AsNative(w);
  e.width = width;
  e.height = height;
  events.push_back(e);
  return true;
}

}  // namespace wayland
}  // namespace kv
