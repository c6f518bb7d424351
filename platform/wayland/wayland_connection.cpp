// The Wayland backend's connection: the globals it binds, what it cannot do
// without, reading and dispatching the compositor's messages, and the end
// of the program when the compositor goes.
#include <libdecor.h>
#include <poll.h>
#include <wayland-cursor.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/rt/cut_short.h"
#include "platform/rt/program.h"
#include "platform/wayland/wayland_backend.h"
#include "platform/wayland/wayland_client.h"
#include "platform/win32.h"
#include "pointer-constraints-unstable-v1-client-protocol.h"
#include "relative-pointer-unstable-v1-client-protocol.h"
#include "xdg-decoration-unstable-v1-client-protocol.h"
#include "xdg-shell-client-protocol.h"

namespace kv {
namespace wayland {

namespace {

int zoomOverride = 0;

// The versions the backend speaks: an older compositor gets what it offers.
constexpr uint32_t kCompositorVersion = 4;  // wl_surface.damage_buffer
constexpr uint32_t kSeatVersion = 5;
constexpr uint32_t kWmBaseVersion = 2;

template <typename T>
T* Bind(wl_registry* registry, uint32_t name, const wl_interface* interface, uint32_t offered,
        uint32_t wanted) {
  return static_cast<T*>(wl_registry_bind(registry, name, interface, std::min(offered, wanted)));
}

void Ping(void*, xdg_wm_base* base, uint32_t serial) { xdg_wm_base_pong(base, serial); }
const xdg_wm_base_listener kWmBaseListener = {&Ping};

void SeatCapabilitiesChanged(void* data, wl_seat*, uint32_t capabilities) {
  static_cast<WaylandBackend*>(data)->SeatCapabilities(capabilities);
}
void SeatName(void*, wl_seat*, const char*) {}
const wl_seat_listener kSeatListener = {&SeatCapabilitiesChanged, &SeatName};

void Global(void* data, wl_registry* registry, uint32_t name, const char* interface,
            uint32_t version) {
  auto* b = static_cast<WaylandBackend*>(data);
  const auto is = [interface](const wl_interface& i) { return std::strcmp(interface, i.name) == 0; };
  if (is(wl_compositor_interface) && !b->compositor) {
    b->compositor = Bind<wl_compositor>(registry, name, &wl_compositor_interface, version,
                                        kCompositorVersion);
  } else if (is(wl_subcompositor_interface) && !b->subcompositor) {
    b->subcompositor =
        Bind<wl_subcompositor>(registry, name, &wl_subcompositor_interface, version, 1);
  } else if (is(wl_shm_interface) && !b->shm) {
    b->shm = Bind<wl_shm>(registry, name, &wl_shm_interface, version, 1);
  } else if (is(xdg_wm_base_interface) && !b->wmBase) {
    b->wmBase = Bind<xdg_wm_base>(registry, name, &xdg_wm_base_interface, version, kWmBaseVersion);
    xdg_wm_base_add_listener(b->wmBase, &kWmBaseListener, b);
  } else if (is(zxdg_decoration_manager_v1_interface) && !b->decorationManager) {
    b->decorationManager = Bind<zxdg_decoration_manager_v1>(
        registry, name, &zxdg_decoration_manager_v1_interface, version, 1);
  } else if (is(zwp_relative_pointer_manager_v1_interface) && !b->relativeManager) {
    b->relativeManager = Bind<zwp_relative_pointer_manager_v1>(
        registry, name, &zwp_relative_pointer_manager_v1_interface, version, 1);
  } else if (is(zwp_pointer_constraints_v1_interface) && !b->constraints) {
    b->constraints = Bind<zwp_pointer_constraints_v1>(
        registry, name, &zwp_pointer_constraints_v1_interface, version, 1);
  } else if (is(wl_seat_interface) && !b->seat) {
    // One seat: the person's mouse and keyboard.
    b->seat = Bind<wl_seat>(registry, name, &wl_seat_interface, version, kSeatVersion);
    b->seatName = name;
    wl_seat_add_listener(b->seat, &kSeatListener, b);
  } else if (is(wl_output_interface)) {
    b->AddOutput(name, version);
  }
}

void GlobalRemove(void* data, wl_registry*, uint32_t name) {
  auto* b = static_cast<WaylandBackend*>(data);
  b->RemoveOutput(name);
  if (b->seat && name == b->seatName) {
    // The seat went: no pointer or keyboard until another comes.
    b->SeatCapabilities(0);
    wl_seat_destroy(b->seat);
    b->seat = nullptr;
  }
}

const wl_registry_listener kRegistryListener = {&Global, &GlobalRemove};

std::string CompositorName() {
  const char* name = std::getenv("WAYLAND_DISPLAY");
  return name && *name ? name : "wayland-0";
}

}  // namespace

void SetScaleOverride(int factor) { zoomOverride = factor >= 0 && factor <= 4 ? factor : 0; }

Backend* OpenBackend(bool named) {
  const char* socket = std::getenv("WAYLAND_DISPLAY");
  // No compositor named: this is no Wayland session (or the person asked
  // for X11 by unsetting it), and nothing is said.
  if (!named && (!socket || !*socket)) return nullptr;
  wl_display* display = wl_display_connect(nullptr);
  if (!display) {
    rt::Say("cannot connect to the Wayland compositor \"%s\" (%s)%s", CompositorName().c_str(),
            std::strerror(errno), named ? "" : "; using X11");
    return nullptr;
  }
  auto* backend = new WaylandBackend(display, zoomOverride > 0 ? zoomOverride : 1, zoomOverride > 0);
  const std::string missing = backend->Missing();
  if (!missing.empty()) {
    rt::Say("the Wayland compositor \"%s\" offers no %s, which the game needs%s",
            CompositorName().c_str(), missing.c_str(), named ? "" : "; using X11 (Xwayland)");
    delete backend;
    return nullptr;
  }
  return backend;
}

WaylandBackend::WaylandBackend(wl_display* d, int zoomFactor, bool given)
    : display(d), zoom(zoomFactor), zoomGiven(given) {
  registry = wl_display_get_registry(display);
  wl_registry_add_listener(registry, &kRegistryListener, this);
  // The globals, then what the first of them say (outputs' scales, the
  // seat's devices).
  wl_display_roundtrip(display);
  wl_display_roundtrip(display);
  if (!Missing().empty()) return;
  xkb = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
}

WaylandBackend::~WaylandBackend() {
  while (!windows.empty()) DestroyWindow(AsNative(windows.back()));
  DropPointer();
  DropKeyboard();
  if (cursorSurface) wl_surface_destroy(cursorSurface);
  if (cursorTheme) wl_cursor_theme_destroy(cursorTheme);
  if (xkb) xkb_context_unref(xkb);
  if (decor) libdecor_unref(decor);
  for (Output& o : outputs) wl_output_destroy(o.output);
  if (seat) wl_seat_destroy(seat);
  if (constraints) zwp_pointer_constraints_v1_destroy(constraints);
  if (relativeManager) zwp_relative_pointer_manager_v1_destroy(relativeManager);
  if (decorationManager) zxdg_decoration_manager_v1_destroy(decorationManager);
  if (wmBase) xdg_wm_base_destroy(wmBase);
  if (shm) wl_shm_destroy(shm);
  if (subcompositor) wl_subcompositor_destroy(subcompositor);
  if (compositor) wl_compositor_destroy(compositor);
  if (registry) wl_registry_destroy(registry);
  wl_display_flush(display);
  wl_display_disconnect(display);
}

std::string WaylandBackend::Missing() const {
  if (wl_display_get_error(display)) return "working connection";
  if (!compositor) return "wl_compositor";
  if (!subcompositor) return "wl_subcompositor";
  if (!shm) return "wl_shm";
  if (!wmBase) return "xdg_wm_base";
  if (!seat) return "wl_seat";
  if (!relativeManager) return "zwp_relative_pointer_manager_v1 (relative pointer motion)";
  if (!constraints) return "zwp_pointer_constraints_v1 (pointer lock)";
  return "";
}

void WaylandBackend::ConnectionLost() {
  // As with a lost X server: the person is told, whatever must be finished
  // (a recording) is finished, and the status says the game did not end by
  // itself.
  const int error = wl_display_get_error(display);
  char what[512];
  if (error == EPROTO) {
    const wl_interface* interface = nullptr;
    uint32_t id = 0;
    const uint32_t code = wl_display_get_protocol_error(display, &interface, &id);
    std::snprintf(what, sizeof what,
                  "the Wayland compositor \"%s\" ended the connection over a protocol error "
                  "(%s@%u, error %u); exiting",
                  CompositorName().c_str(), interface ? interface->name : "?", id, code);
  } else {
    std::snprintf(what, sizeof what, "the connection to the Wayland compositor \"%s\" was lost (%s); exiting",
                  CompositorName().c_str(), std::strerror(error ? error : EPIPE));
  }
  rt::EndForLostDisplay(what);
}

void WaylandBackend::CheckConnection() {
  if (wl_display_get_error(display)) ConnectionLost();
}

void WaylandBackend::Roundtrip() {
  if (wl_display_roundtrip(display) < 0) ConnectionLost();
}

void WaylandBackend::Pump(std::chrono::microseconds timeout) {
  while (wl_display_prepare_read(display) != 0) {
    if (wl_display_dispatch_pending(display) < 0) ConnectionLost();
  }
  const int fd = wl_display_get_fd(display);
  const int64_t us = std::max<int64_t>(0, timeout.count());
  timespec wait{static_cast<time_t>(us / 1000000), static_cast<long>(us % 1000000) * 1000};
  // What we asked goes out before any wait; a full socket waits for the
  // compositor to read (and its messages are read meanwhile).
  short want = POLLIN;
  if (wl_display_flush(display) < 0) {
    if (errno != EAGAIN) {
      wl_display_cancel_read(display);
      ConnectionLost();
    }
    want |= POLLOUT;
  }
  pollfd p{fd, want, 0};
  int ready;
  do {
    ready = ppoll(&p, 1, &wait, nullptr);
  } while (ready < 0 && errno == EINTR);
  if (ready > 0 && (p.revents & (POLLIN | POLLERR | POLLHUP))) {
    if (wl_display_read_events(display) < 0) ConnectionLost();
  } else {
    wl_display_cancel_read(display);
  }
  if (wl_display_dispatch_pending(display) < 0) ConnectionLost();
  // What the messages made us ask (a frame's commit) goes out now.
  if (wl_display_flush(display) < 0 && errno != EAGAIN) ConnectionLost();
}

WlWindow* WaylandBackend::Find(NativeWindow* window) const {
  if (!window) return nullptr;
  for (WlWindow* w : windows)
    if (AsNative(w) == window) return w;
  return nullptr;
}

WlWindow* WaylandBackend::FindSurface(wl_surface* surface) const {
  if (!surface) return nullptr;
  for (WlWindow* w : windows)
    if (w->surface == surface) return w;
  return nullptr;  // a frame libdecor draws, or the cursor
}

void WaylandBackend::Queue(const InputEvent& event) {
  // Only the latest place of a run of motions matters.
  if (event.type == InputEvent::kMouseMove && !events.empty() &&
      events.back().type == InputEvent::kMouseMove && events.back().window == event.window) {
    events.back() = event;
    return;
  }
  events.push_back(event);
}

void WaylandBackend::QueueWindowEvent(InputEvent::Type type, WlWindow* w) {
  InputEvent e;
  e.type = type;
  e.window = AsNative(w);
  e.screenX = static_cast<int>(pointerX);
  e.screenY = static_cast<int>(pointerY);
  e.x = e.screenX - w->originX;
  e.y = e.screenY - w->originY;
  events.push_back(e);
}

bool WaylandBackend::PollEvent(InputEvent* event) {
  InputEvent scratch;
  if (!event) event = &scratch;
  if (events.empty()) Pump(std::chrono::microseconds(0));
  if (lockLost) {
    // The compositor ended the lock (another window took the focus, or
    // the desktop's own key): as on any desktop that takes the pointer
    // away, the window loses its capture.
    lockLost = false;
    if (grab) ReleaseCapture();
  }
  RepeatKeys();
  if (events.empty()) {
    *event = InputEvent{};
    return false;
  }
  *event = events.front();
  events.pop_front();
  return true;
}

void WaylandBackend::WaitEvent(std::chrono::microseconds timeout) {
  if (!events.empty()) return;
  Pump(std::min(timeout, UntilRepeat()));
}

void WaylandBackend::ScreenSize(int* width, int* height) {
  // The program's screen holds the largest output and every window where
  // the program put it, so that the pointer can reach all of each.
  int w = 0, h = 0;
  LogicalScreen(&w, &h);
  w /= zoom;
  h /= zoom;
  for (const WlWindow* win : windows) {
    w = std::max(w, win->originX + win->width);
    h = std::max(h, win->originY + win->height);
  }
  if (width) *width = std::max(w, 1);
  if (height) *height = std::max(h, 1);
}

void WaylandBackend::SurfaceOrigin(NativeWindow* window, int* x, int* y) {
  WlWindow* w = Find(window);
  if (x) *x = w ? w->originX : 0;
  if (y) *y = w ? w->originY : 0;
}

}  // namespace wayland
}  // namespace kv
