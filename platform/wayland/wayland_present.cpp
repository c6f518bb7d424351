// Showing a window's pixels: the program draws into pixels of its own, and
// a present copies what changed (scaled up, nearest neighbour, to the
// buffer scale of the outputs the window is on) into a shared-memory buffer
// the compositor does not hold, then commits it. The compositor reads a
// buffer until it releases it, so a window has up to three, and one that is
// held is never written: no frame is ever shown half-drawn.
//
// The compositor shows at most one picture per refresh of its output and
// says when it would take the next (a frame callback). A present made
// before then is kept and committed when it comes, with whatever the
// program drew meanwhile: the game runs as fast as ever, and the compositor
// gets no more pictures than it can show (as Xwayland gives it).
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>

#include "platform/rt/program.h"
#include "platform/wayland/wayland_client.h"

namespace kv {
namespace wayland {

namespace {

constexpr size_t kMaxBuffers = 3;

[[noreturn]] void OutOfSharedMemory(size_t bytes, int error) {
  rt::Say("cannot get %zu bytes of shared memory for a window's pixels (%s); exiting.", bytes,
          std::strerror(error));
  std::fflush(nullptr);
  _exit(1);
}

void DestroyBuffer(ShmBuffer* b) {
  if (b->buffer) wl_buffer_destroy(b->buffer);
  if (b->pixels) munmap(b->pixels, b->bytes);
  b->buffer = nullptr;
  b->pixels = nullptr;
}

void BufferReleased(void* data, wl_buffer*) {
  auto* b = static_cast<ShmBuffer*>(data);
  b->busy = false;
  WlWindow* w = b->window;
  if (b->retired) {
    DestroyBuffer(b);
    auto& list = w->buffers;
    list.erase(std::find_if(list.begin(), list.end(),
                            [b](const std::unique_ptr<ShmBuffer>& p) { return p.get() == b; }));
    return;
  }
  // A present that found every buffer held goes now.
  if (w->presentWanted && !w->frameCallback) w->backend->Commit(w);
}

const wl_buffer_listener kBufferListener = {&BufferReleased};

void FrameCallbackDone(void* data, wl_callback* callback, uint32_t) {
  auto* w = static_cast<WlWindow*>(data);
  wl_callback_destroy(callback);
  w->frameCallback = nullptr;
  w->backend->FrameDone(w);
}

const wl_callback_listener kFrameListener = {&FrameCallbackDone};

}  // namespace

void WaylandBackend::Present(NativeWindow* window, int x, int y, int width, int height) {
  WlWindow* w = Find(window);
  if (!w) return;
  const long long left = std::max(x, 0), top = std::max(y, 0);
  const long long right = std::min<long long>(1LL * x + std::max(width, 0), w->width);
  const long long bottom = std::min<long long>(1LL * y + std::max(height, 0), w->height);
  if (right <= left || bottom <= top) return;
  const Rect r{static_cast<int>(left), static_cast<int>(top), static_cast<int>(right),
               static_cast<int>(bottom)};
  w->damage.Add(r);
  for (auto& b : w->buffers) b->stale.Add(r);
  if (!w->shown || !w->configured) return;  // shown once the compositor configured it
  if (w->frameCallback) {
    w->presentWanted = true;
    return;
  }
  Commit(w);
}

void WaylandBackend::FrameDone(WlWindow* w) {
  if (w->presentWanted) Commit(w);
}

void WaylandBackend::Refresh(WlWindow* w) {
  if (!w->shown || !w->configured) return;
  if (w->frameCallback)
    w->presentWanted = true;
  else
    Commit(w);
}

void WaylandBackend::Invalidate(WlWindow* w) {
  const Rect all{0, 0, w->width, w->height};
  w->damage = all;
  for (auto& b : w->buffers) b->stale = all;
}

ShmBuffer* WaylandBackend::FreeBuffer(WlWindow* w) {
  const int factor = zoom * w->scale;
  const int width = w->width * factor, height = w->height * factor;
  size_t live = 0;
  for (auto it = w->buffers.begin(); it != w->buffers.end();) {
    ShmBuffer* b = it->get();
    if (!b->retired && (b->width != width || b->height != height)) {
      // Of a size gone by: given up, at once or when the compositor lets go.
      if (b->busy) {
        b->retired = true;
      } else {
        DestroyBuffer(b);
        it = w->buffers.erase(it);
        continue;
      }
    }
    if (!b->retired) {
      if (!b->busy) return b;
      ++live;
    }
    ++it;
  }
  if (live >= kMaxBuffers) return nullptr;  // every one held: its release presents
  auto b = std::make_unique<ShmBuffer>();
  b->window = w;
  b->width = width;
  b->height = height;
  AllocateBuffer(w, b.get());
  b->stale = Rect{0, 0, w->width, w->height};
  w->buffers.push_back(std::move(b));
  return w->buffers.back().get();
}

bool WaylandBackend::AllocateBuffer(WlWindow*, ShmBuffer* b) {
  const int stride = b->width * 4;
  b->bytes = static_cast<size_t>(stride) * static_cast<size_t>(b->height);
  const int fd = memfd_create("wl-shm-pixels", MFD_CLOEXEC);
  if (fd < 0) OutOfSharedMemory(b->bytes, errno);
  // Reserved now, so that a full memory file system is an error here and
  // never a fault when the pixels are written.
  const int reserved = posix_fallocate(fd, 0, static_cast<off_t>(b->bytes));
  if (reserved != 0) {
    close(fd);
    OutOfSharedMemory(b->bytes, reserved);
  }
  void* pixels = mmap(nullptr, b->bytes, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
  if (pixels == MAP_FAILED) {
    const int error = errno;
    close(fd);
    OutOfSharedMemory(b->bytes, error);
  }
  b->pixels = static_cast<uint32_t*>(pixels);
  wl_shm_pool* pool = wl_shm_create_pool(shm, fd, static_cast<int32_t>(b->bytes));
  b->buffer = wl_shm_pool_create_buffer(pool, 0, b->width, b->height, stride,
                                        WL_SHM_FORMAT_XRGB8888);
  wl_shm_pool_destroy(pool);
  close(fd);
  wl_buffer_add_listener(b->buffer, &kBufferListener, b);
  return true;
}

void WaylandBackend::ReleaseBuffers(WlWindow* w) {
  for (auto& b : w->buffers) DestroyBuffer(b.get());
  w->buffers.clear();
}

void WaylandBackend::Commit(WlWindow* w) {
  w->presentWanted = false;
  ShmBuffer* b = FreeBuffer(w);
  if (!b) {
    w->presentWanted = true;
    return;
  }
  const int factor = zoom * w->scale;
  // The one copy of the frame: what changed since this buffer was written.
  const Rect copy = b->stale.Within(w->width, w->height);
  CopyScaled(PixelSurface{w->pixels.data(), w->width, w->height, w->width},
             PixelSurface{b->pixels, b->width, b->height, b->width}, copy.left, copy.top,
             copy.right - copy.left, copy.bottom - copy.top, factor);
  b->stale = Rect{};
  wl_surface_attach(w->surface, b->buffer, 0, 0);
  wl_surface_set_buffer_scale(w->surface, w->scale);
  const Rect d = w->damage.Within(w->width, w->height);
  if (!d.Empty()) {
    if (wl_surface_get_version(w->surface) >= WL_SURFACE_DAMAGE_BUFFER_SINCE_VERSION)
      wl_surface_damage_buffer(w->surface, d.left * factor, d.top * factor,
                               (d.right - d.left) * factor, (d.bottom - d.top) * factor);
    else
      wl_surface_damage(w->surface, d.left * zoom, d.top * zoom, (d.right - d.left) * zoom,
                        (d.bottom - d.top) * zoom);
  }
  w->damage = Rect{};
  if (!w->frameCallback) {
    w->frameCallback = wl_surface_frame(w->surface);
    wl_callback_add_listener(w->frameCallback, &kFrameListener, w);
  }
  wl_surface_commit(w->surface);
  b->busy = true;
  // Sent now; a compositor slow to read gets it with the next flush.
  wl_display_flush(display);
}

}  // namespace wayland
}  // namespace kv
