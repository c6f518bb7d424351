// The compositor's own limit: a bare Wayland client that writes a fresh
// 1000 x 620 frame into a shared-memory buffer the compositor does not hold
// and commits it, nothing else, for a few seconds. Two runs: as fast as
// buffers come back ("raw_wl_shm_fps", what the game's frame rate is set
// beside), and one commit per frame callback ("raw_wl_shm_shown_fps", the
// pictures the compositor takes and shows).
#include <sys/mman.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "xdg-shell-client-protocol.h"

namespace {

constexpr int kWidth = 1000, kHeight = 620, kBuffers = 3;
constexpr double kSeconds = 4;

struct Buffer {
  wl_buffer* buffer = nullptr;
  uint32_t* pixels = nullptr;
  bool busy = false;
};

struct Client {
  wl_compositor* compositor = nullptr;
  wl_shm* shm = nullptr;
  xdg_wm_base* wm = nullptr;
  bool configured = false;
  bool closed = false;
  bool framePending = false;
  Buffer buffers[kBuffers];
};

void Global(void* data, wl_registry* registry, uint32_t name, const char* interface, uint32_t) {
  auto* c = static_cast<Client*>(data);
  if (!std::strcmp(interface, wl_compositor_interface.name))
    c->compositor = static_cast<wl_compositor*>(
        wl_registry_bind(registry, name, &wl_compositor_interface, 4));
  else if (!std::strcmp(interface, wl_shm_interface.name))
    c->shm = static_cast<wl_shm*>(wl_registry_bind(registry, name, &wl_shm_interface, 1));
  else if (!std::strcmp(interface, xdg_wm_base_interface.name))
    c->wm = static_cast<xdg_wm_base*>(wl_registry_bind(registry, name, &xdg_wm_base_interface, 1));
}
void GlobalRemove(void*, wl_registry*, uint32_t) {}
const wl_registry_listener kRegistry = {&Global, &GlobalRemove};

void Ping(void*, xdg_wm_base* wm, uint32_t serial) { xdg_wm_base_pong(wm, serial); }
const xdg_wm_base_listener kWm = {&Ping};

void SurfaceConfigure(void* data, xdg_surface* surface, uint32_t serial) {
  xdg_surface_ack_configure(surface, serial);
  static_cast<Client*>(data)->configured = true;
}
const xdg_surface_listener kSurface = {&SurfaceConfigure};

void ToplevelConfigure(void*, xdg_toplevel*, int32_t, int32_t, wl_array*) {}
void ToplevelClose(void* data, xdg_toplevel*) { static_cast<Client*>(data)->closed = true; }
// Bound at version 1: neither bounds nor capabilities come.
const xdg_toplevel_listener kToplevel = {&ToplevelConfigure, &ToplevelClose, nullptr, nullptr};

void Released(void* data, wl_buffer*) { static_cast<Buffer*>(data)->busy = false; }
const wl_buffer_listener kBuffer = {&Released};

void FrameDone(void* data, wl_callback* callback, uint32_t) {
  wl_callback_destroy(callback);
  static_cast<Client*>(data)->framePending = false;
}
const wl_callback_listener kFrame = {&FrameDone};

Buffer* FreeBuffer(Client& c) {
  for (Buffer& b : c.buffers)
    if (!b.busy) return &b;
  return nullptr;
}

// Commits fresh frames for kSeconds; with `throttled`, no more than one per
// frame callback. Returns commits per second, or -1 when the connection broke.
double Run(wl_display* display, Client& c, wl_surface* surface, bool throttled) {
  using Clock = std::chrono::steady_clock;
  const Clock::time_point start = Clock::now();
  long frames = 0;
  uint32_t shade = 0;
  while (!c.closed) {
    const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    if (elapsed >= kSeconds) return frames / elapsed;
    Buffer* b = FreeBuffer(c);
    if (!b || (throttled && c.framePending)) {
      if (wl_display_dispatch(display) < 0) return -1;
      continue;
    }
    // A fresh frame, every pixel written, as a game's frame is copied.
    ++shade;
    const uint32_t colour = 0xFF000000u | (shade & 0xFF) << 8;
    for (int i = 0; i < kWidth * kHeight; ++i) b->pixels[i] = colour + (i & 0x3F);
    wl_surface_attach(surface, b->buffer, 0, 0);
    wl_surface_damage_buffer(surface, 0, 0, kWidth, kHeight);
    if (throttled) {
      wl_callback_add_listener(wl_surface_frame(surface), &kFrame, &c);
      c.framePending = true;
    }
    wl_surface_commit(surface);
    b->busy = true;
    ++frames;
    if (wl_display_flush(display) < 0) return -1;
    if (wl_display_dispatch_pending(display) < 0) return -1;
  }
  return -1;
}

}  // namespace

int main() {
  wl_display* display = wl_display_connect(nullptr);
  if (!display) {
    std::fprintf(stderr, "raw_wl_shm: no Wayland compositor\n");
    return 1;
  }
  Client c;
  wl_registry* registry = wl_display_get_registry(display);
  wl_registry_add_listener(registry, &kRegistry, &c);
  wl_display_roundtrip(display);
  if (!c.compositor || !c.shm || !c.wm) {
    std::fprintf(stderr, "raw_wl_shm: the compositor lacks wl_compositor, wl_shm or xdg_wm_base\n");
    return 1;
  }
  xdg_wm_base_add_listener(c.wm, &kWm, nullptr);
  wl_surface* surface = wl_compositor_create_surface(c.compositor);
  xdg_surface* xsurface = xdg_wm_base_get_xdg_surface(c.wm, surface);
  xdg_surface_add_listener(xsurface, &kSurface, &c);
  xdg_toplevel* toplevel = xdg_surface_get_toplevel(xsurface);
  xdg_toplevel_add_listener(toplevel, &kToplevel, &c);
  xdg_toplevel_set_title(toplevel, "raw_wl_shm");
  wl_surface_commit(surface);
  while (!c.configured)
    if (wl_display_dispatch(display) < 0) return 1;

  const int stride = kWidth * 4;
  const size_t bytes = static_cast<size_t>(stride) * kHeight;
  const int fd = memfd_create("raw_wl_shm", MFD_CLOEXEC);
  if (fd < 0 || ftruncate(fd, static_cast<off_t>(bytes) * kBuffers) < 0) {
    std::fprintf(stderr, "raw_wl_shm: no shared memory\n");
    return 1;
  }
  void* memory = mmap(nullptr, bytes * kBuffers, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
  if (memory == MAP_FAILED) {
    std::fprintf(stderr, "raw_wl_shm: no shared memory\n");
    return 1;
  }
  wl_shm_pool* pool = wl_shm_create_pool(c.shm, fd, static_cast<int32_t>(bytes * kBuffers));
  for (int i = 0; i < kBuffers; ++i) {
    Buffer& b = c.buffers[i];
    b.buffer = wl_shm_pool_create_buffer(pool, static_cast<int32_t>(bytes * i), kWidth, kHeight,
                                         stride, WL_SHM_FORMAT_XRGB8888);
    b.pixels = reinterpret_cast<uint32_t*>(static_cast<char*>(memory) + bytes * i);
    wl_buffer_add_listener(b.buffer, &kBuffer, &b);
  }

  const double fps = Run(display, c, surface, false);
  const double shown = Run(display, c, surface, true);
  if (fps < 0 || shown < 0) {
    std::fprintf(stderr, "raw_wl_shm: the compositor went away\n");
    return 1;
  }
  std::printf("raw_wl_shm_fps: %.0f\n", fps);
  std::printf("raw_wl_shm_shown_fps: %.0f\n", shown);
  return 0;
}
