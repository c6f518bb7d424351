#include "platform/x11/x11_image.h"

#include <sys/ipc.h>
#include <sys/shm.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/x11/x11_errors.h"

namespace kv {
namespace x11 {

namespace {

int HostByteOrder() {
  const uint32_t probe = 1;
  unsigned char first;
  std::memcpy(&first, &probe, 1);
  return first == 1 ? LSBFirst : MSBFirst;
}

// The surface format is 0x00RRGGBB in a native uint32; an image whose pixels
// are laid out otherwise cannot share our memory.
bool LayoutMatches(const XImage* image, int width) {
  return image->bits_per_pixel == 32 && image->bytes_per_line == width * 4 &&
         image->red_mask == 0xFF0000 && image->green_mask == 0x00FF00 &&
         image->blue_mask == 0x0000FF;
}

bool CreateShared(Display* display, Visual* visual, int width, int height, FrameImage* out) {
  XShmSegmentInfo& shm = out->shm;
  shm = XShmSegmentInfo{};
  shm.shmid = -1;
  XImage* image = XShmCreateImage(display, visual, 24, ZPixmap, nullptr, &shm,
                                  static_cast<unsigned>(width), static_cast<unsigned>(height));
  if (!image) return false;
  if (!LayoutMatches(image, width) || image->byte_order != HostByteOrder()) {
    XDestroyImage(image);
    return false;
  }
  size_t bytes = static_cast<size_t>(image->bytes_per_line) * static_cast<size_t>(height);
  shm.shmid = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
  if (shm.shmid < 0) {
    XDestroyImage(image);
    return false;
  }
  void* address = shmat(shm.shmid, nullptr, 0);
  if (address == reinterpret_cast<void*>(-1)) {
    shmctl(shm.shmid, IPC_RMID, nullptr);
    XDestroyImage(image);
    return false;
  }
  shm.shmaddr = static_cast<char*>(address);
  shm.readOnly = False;
  image->data = shm.shmaddr;

  // The server refuses the segment asynchronously (BadAccess in a container,
  // or on a display on another machine); only a round trip tells.
  bool refused;
  {
    ErrorTrap trap(display);
    Status sent = XShmAttach(display, &shm);
    refused = trap.Failed() || !sent;
  }
  // Either the server holds it now or never will: mark it for removal so the
  // segment goes away with the last user, even if we die.
  shmctl(shm.shmid, IPC_RMID, nullptr);
  if (refused) {
    image->data = nullptr;
    XDestroyImage(image);
    shmdt(shm.shmaddr);
    shm = XShmSegmentInfo{};
    return false;
  }
  std::memset(shm.shmaddr, 0, bytes);
  out->image = image;
  out->usesShm = true;
  out->pixels = reinterpret_cast<uint32_t*>(shm.shmaddr);
  return true;
}

bool CreatePlain(Display* display, Visual* visual, int width, int height, FrameImage* out) {
  size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
  auto* pixels = static_cast<uint32_t*>(std::calloc(count, sizeof(uint32_t)));
  if (!pixels) return false;
  XImage* image = XCreateImage(display, visual, 24, ZPixmap, 0, reinterpret_cast<char*>(pixels),
                               static_cast<unsigned>(width), static_cast<unsigned>(height), 32,
                               width * 4);
  if (!image || !LayoutMatches(image, width)) {
    if (image) {
      image->data = nullptr;
      XDestroyImage(image);
    }
    std::free(pixels);
    return false;
  }
  // Our words are in host order; Xlib swaps them for the server if needed.
  image->byte_order = HostByteOrder();
  out->image = image;
  out->usesShm = false;
  out->pixels = pixels;
  return true;
}

}  // namespace

bool SharedMemoryUsable(Display* display) {
  if (!XShmQueryExtension(display)) return false;
  // A display name with a host part ("host:0", "localhost:10" through ssh)
  // is served elsewhere, where our segment does not exist.
  const char* name = DisplayString(display);
  if (!name) return false;
  const char* colon = std::strrchr(name, ':');
  if (!colon) return false;
  std::string host(name, static_cast<size_t>(colon - name));
  return host.empty() || host == "unix" || host[0] == '/';
}

bool CreateFrameImage(Display* display, Visual* visual, int width, int height, bool tryShm,
                      FrameImage* out) {
  *out = FrameImage{};
  if (width <= 0 || height <= 0) return false;
  bool made = (tryShm && CreateShared(display, visual, width, height, out)) ||
              CreatePlain(display, visual, width, height, out);
  if (!made) return false;
  out->width = width;
  out->height = height;
  out->stride = width;
  return true;
}

void DestroyFrameImage(Display* display, FrameImage* frame) {
  if (!frame->image) return;
  if (frame->usesShm) {
    XShmDetach(display, &frame->shm);
    XSync(display, False);
    shmdt(frame->shm.shmaddr);
  } else {
    std::free(frame->pixels);
  }
  frame->image->data = nullptr;
  XDestroyImage(frame->image);
  *frame = FrameImage{};
}

bool PutFrameImage(Display* display, Drawable drawable, GC gc, FrameImage* frame, int x, int y,
                   int width, int height) {
  if (!frame->image) return false;
  // In 64 bits, so that no rectangle a caller passes can overflow.
  long long left = std::max<long long>(x, 0), top = std::max<long long>(y, 0);
  long long right = std::min<long long>(static_cast<long long>(x) + std::max(width, 0), frame->width);
  long long bottom = std::min<long long>(static_cast<long long>(y) + std::max(height, 0), frame->height);
  if (right <= left || bottom <= top) return false;
  unsigned w = static_cast<unsigned>(right - left), h = static_cast<unsigned>(bottom - top);
  if (frame->usesShm) {
    return XShmPutImage(display, drawable, gc, frame->image, static_cast<int>(left),
                        static_cast<int>(top), static_cast<int>(left), static_cast<int>(top), w,
                        h, True) != 0;
  }
  XPutImage(display, drawable, gc, frame->image, static_cast<int>(left), static_cast<int>(top),
            static_cast<int>(left), static_cast<int>(top), w, h);
  return false;
}

PixelSurface SurfaceOf(const FrameImage& frame) {
  PixelSurface s;
  s.pixels = frame.pixels;
  s.width = frame.width;
  s.height = frame.height;
  s.stride = frame.stride;
  return s;
}

}  // namespace x11
}  // namespace kv
