// A shown window's role: an xdg-shell toplevel of fixed size, named for the
// program (app_id) and titled, a dialog the child of its owner. Where the
// compositor draws frames itself (xdg-decoration: sway, kwin) it is asked
// to; where it will not (mutter), libdecor draws one on our side, so that
// every desktop gives the window a title bar and a close box.
#include <libdecor.h>

#include <cmath>

#include "platform/rt/program.h"
#include "platform/wayland/wayland_client.h"
#include "xdg-decoration-unstable-v1-client-protocol.h"
#include "xdg-shell-client-protocol.h"

namespace kv {
namespace wayland {

namespace {

// ---- through xdg-shell

void ToplevelConfigure(void* data, xdg_toplevel*, int32_t width, int32_t height,
                       wl_array* states) {
  auto* w = static_cast<WlWindow*>(data);
  w->askedWidth = width;
  w->askedHeight = height;
  w->askedActive = false;
  const auto* state = static_cast<const uint32_t*>(states->data);
  for (size_t i = 0; i < states->size / sizeof(uint32_t); ++i)
    if (state[i] == XDG_TOPLEVEL_STATE_ACTIVATED) w->askedActive = true;
}

void ToplevelClose(void* data, xdg_toplevel*) {
  auto* w = static_cast<WlWindow*>(data);
  w->backend->QueueWindowEvent(InputEvent::kCloseRequest, w);
}

void ToplevelBounds(void*, xdg_toplevel*, int32_t, int32_t) {}
void ToplevelCapabilities(void*, xdg_toplevel*, wl_array*) {}

const xdg_toplevel_listener kToplevelListener = {&ToplevelConfigure, &ToplevelClose,
                                                 &ToplevelBounds, &ToplevelCapabilities};

void SurfaceConfigure(void* data, xdg_surface* surface, uint32_t serial) {
  auto* w = static_cast<WlWindow*>(data);
  const bool resized = w->backend->TakeConfigure(w, w->askedWidth, w->askedHeight, w->askedActive);
  xdg_surface_ack_configure(surface, serial);
  w->backend->ConfigureDone(w, resized);
}

const xdg_surface_listener kXdgSurfaceListener = {&SurfaceConfigure};

void DecorationMode(void*, zxdg_toplevel_decoration_v1*, uint32_t) {
  // Whatever the compositor decides; there is nothing else to fall back on
  // for a window already made.
}

const zxdg_toplevel_decoration_v1_listener kDecorationListener = {&DecorationMode};

// ---- through libdecor

void DecorError(libdecor*, libdecor_error, const char* message) {
  rt::Say("window frames: %s", message ? message : "libdecor failed");
}

libdecor_interface kDecorInterface = {&DecorError, {}, {}, {}, {}, {}, {}, {}, {}, {}, {}};

void FrameConfigure(libdecor_frame* frame, libdecor_configuration* configuration, void* data) {
  auto* w = static_cast<WlWindow*>(data);
  int width = 0, height = 0;
  if (!libdecor_configuration_get_content_size(configuration, frame, &width, &height))
    width = height = 0;
  libdecor_window_state state = LIBDECOR_WINDOW_STATE_NONE;
  const bool active = libdecor_configuration_get_window_state(configuration, &state)
                          ? (state & LIBDECOR_WINDOW_STATE_ACTIVE) != 0
                          : w->active;
  WaylandBackend* b = w->backend;
  const bool resized = b->TakeConfigure(w, width, height, active);
  libdecor_state* size = libdecor_state_new(w->width * b->zoom, w->height * b->zoom);
  libdecor_frame_commit(frame, size, configuration);
  libdecor_state_free(size);
  b->ConfigureDone(w, resized);
}

void FrameClose(libdecor_frame*, void* data) {
  auto* w = static_cast<WlWindow*>(data);
  w->backend->QueueWindowEvent(InputEvent::kCloseRequest, w);
}

void FrameCommit(libdecor_frame*, void* data) {
  wl_surface_commit(static_cast<WlWindow*>(data)->surface);
}

void FrameDismissPopup(libdecor_frame*, const char*, void*) {}

libdecor_frame_interface kFrameInterface = {&FrameConfigure, &FrameClose, &FrameCommit,
                                            &FrameDismissPopup, {}, {}, {}, {}, {}, {}, {},
                                            {}, {}, {}};

}  // namespace

void WaylandBackend::CreateRole(WlWindow* w) {
  if (!decorationManager && !decor && !decorFailed) {
    decor = libdecor_new(display, &kDecorInterface);
    if (!decor) {
      decorFailed = true;
      rt::Say("the compositor draws no window frames and libdecor cannot: windows have none");
    }
  }
  const int width = w->width * zoom, height = w->height * zoom;
  const char* appId = rt::Program().name;
  if (!decorationManager && decor) {
    w->frame = libdecor_decorate(decor, w->surface, &kFrameInterface, w);
    libdecor_frame_set_app_id(w->frame, appId);
    libdecor_frame_set_title(w->frame, w->title.c_str());
    libdecor_frame_set_min_content_size(w->frame, width, height);
    libdecor_frame_set_max_content_size(w->frame, width, height);
    libdecor_frame_unset_capabilities(
        w->frame, static_cast<libdecor_capabilities>(LIBDECOR_ACTION_RESIZE |
                                                     LIBDECOR_ACTION_FULLSCREEN));
    if (w->owner && w->owner->frame) libdecor_frame_set_parent(w->frame, w->owner->frame);
    libdecor_frame_map(w->frame);
    return;
  }
  w->xdgSurface = xdg_wm_base_get_xdg_surface(wmBase, w->surface);
  xdg_surface_add_listener(w->xdgSurface, &kXdgSurfaceListener, w);
  w->toplevel = xdg_surface_get_toplevel(w->xdgSurface);
  xdg_toplevel_add_listener(w->toplevel, &kToplevelListener, w);
  xdg_toplevel_set_app_id(w->toplevel, appId);
  xdg_toplevel_set_title(w->toplevel, w->title.c_str());
  // A fixed size: a manager that floats such windows (sway) does so.
  xdg_toplevel_set_min_size(w->toplevel, width, height);
  xdg_toplevel_set_max_size(w->toplevel, width, height);
  if (w->owner && w->owner->toplevel) xdg_toplevel_set_parent(w->toplevel, w->owner->toplevel);
  if (decorationManager) {
    w->decoration = zxdg_decoration_manager_v1_get_toplevel_decoration(decorationManager, w->toplevel);
    zxdg_toplevel_decoration_v1_add_listener(w->decoration, &kDecorationListener, w);
    zxdg_toplevel_decoration_v1_set_mode(w->decoration, ZXDG_TOPLEVEL_DECORATION_V1_MODE_SERVER_SIDE);
  }
  // The first commit, without a buffer, asks for the first configure.
  wl_surface_commit(w->surface);
}

void WaylandBackend::DestroyRole(WlWindow* w) {
  // Its dialogs lose their parent with it.
  for (WlWindow* other : windows) {
    if (other->owner != w) continue;
    if (other->toplevel && w->toplevel) xdg_toplevel_set_parent(other->toplevel, nullptr);
    if (other->frame && w->frame) libdecor_frame_set_parent(other->frame, nullptr);
  }
  if (w->frame) libdecor_frame_unref(w->frame);
  if (w->decoration) zxdg_toplevel_decoration_v1_destroy(w->decoration);
  if (w->toplevel) xdg_toplevel_destroy(w->toplevel);
  if (w->xdgSurface) xdg_surface_destroy(w->xdgSurface);
  w->frame = nullptr;
  w->decoration = nullptr;
  w->toplevel = nullptr;
  w->xdgSurface = nullptr;
  w->active = false;
}

void WaylandBackend::SetRoleTitle(WlWindow* w) {
  if (w->frame) libdecor_frame_set_title(w->frame, w->title.c_str());
  if (w->toplevel) xdg_toplevel_set_title(w->toplevel, w->title.c_str());
}

bool WaylandBackend::TakeConfigure(WlWindow* w, int logicalWidth, int logicalHeight,
                                   bool active) {
  bool resized = false;
  // A manager that sizes the window anyway (a tiling one) gets what a
  // resize gives on X11: the program's surface covers the whole window.
  if (logicalWidth > 0 && logicalHeight > 0)
    resized = ResizeSurface(w, (logicalWidth + zoom - 1) / zoom, (logicalHeight + zoom - 1) / zoom);
  if (active != w->active) {
    w->active = active;
    QueueWindowEvent(active ? InputEvent::kFocusGained : InputEvent::kFocusLost, w);
  }
  return resized;
}

void WaylandBackend::ConfigureDone(WlWindow* w, bool resized) {
  if (!w->configured) {
    w->configured = true;
    Invalidate(w);
    Commit(w);
    UpdateLock();
  } else if (resized) {
    Commit(w);
  }
}

}  // namespace wayland
}  // namespace kv
