// The display's own limit: a bare loop that presents a 1000 x 600 image with
// XShmPutImage and XSync to a window, nothing else. Prints "raw_shm_fps: N".
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <sys/ipc.h>
#include <sys/shm.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {
bool gAttachFailed = false;
int OnError(Display*, XErrorEvent*) {
  gAttachFailed = true;
  return 0;
}
}  // namespace

int main() {
  Display* display = XOpenDisplay(nullptr);
  if (!display) {
    std::fprintf(stderr, "raw_shm: cannot open display\n");
    return 1;
  }
  if (!XShmQueryExtension(display)) {
    std::fprintf(stderr, "raw_shm: no MIT-SHM\n");
    return 1;
  }
  const int width = 1000, height = 600;
  const int screen = DefaultScreen(display);
  Visual* visual = DefaultVisual(display, screen);
  const int depth = DefaultDepth(display, screen);
  XSetWindowAttributes attributes{};
  attributes.background_pixmap = None;
  Window window = XCreateWindow(display, RootWindow(display, screen), 0, 0, width, height, 0,
                                depth, InputOutput, visual, CWBackPixmap, &attributes);
  XMapWindow(display, window);
  XSync(display, False);

  XShmSegmentInfo shm{};
  XImage* image =
      XShmCreateImage(display, visual, depth, ZPixmap, nullptr, &shm, width, height);
  shm.shmid = shmget(IPC_PRIVATE, image->bytes_per_line * image->height, IPC_CREAT | 0600);
  shm.shmaddr = image->data = static_cast<char*>(shmat(shm.shmid, nullptr, 0));
  shm.readOnly = False;
  XErrorHandler previous = XSetErrorHandler(OnError);
  XShmAttach(display, &shm);
  XSync(display, False);
  XSetErrorHandler(previous);
  shmctl(shm.shmid, IPC_RMID, nullptr);
  if (gAttachFailed) {
    std::fprintf(stderr, "raw_shm: XShmAttach refused\n");
    return 1;
  }
  std::memset(image->data, 0x40, image->bytes_per_line * image->height);
  GC gc = XCreateGC(display, window, 0, nullptr);

  for (int i = 0; i < 200; ++i) {  // warm up
    XShmPutImage(display, window, gc, image, 0, 0, 0, 0, width, height, False);
    XSync(display, False);
  }
  const int frames = 3000;
  const auto t0 = std::chrono::steady_clock::now();
  for (int i = 0; i < frames; ++i) {
    XShmPutImage(display, window, gc, image, 0, 0, 0, 0, width, height, False);
    XSync(display, False);
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  std::printf("raw_shm_fps: %.0f\n", frames / seconds);

  // The rest of the X traffic of one frame of play: the pointer read (a round
  // trip) and the pointer put back on the player (a warp). With the present
  // they bound the game's windowed rate whatever the drawing costs.
  Window root = RootWindow(display, screen);
  auto queryPointer = [&] {
    Window rootReturn, child;
    int rx, ry, wx, wy;
    unsigned mask;
    XQueryPointer(display, root, &rootReturn, &child, &rx, &ry, &wx, &wy, &mask);
  };
  auto roundTrips = std::chrono::steady_clock::now();
  for (int i = 0; i < frames; ++i) queryPointer();
  const double roundTripUs = std::chrono::duration<double, std::micro>(
                                 std::chrono::steady_clock::now() - roundTrips).count() / frames;
  std::printf("pointer_roundtrip_us: %.1f\n", roundTripUs);
  const auto t1 = std::chrono::steady_clock::now();
  for (int i = 0; i < frames; ++i) {
    queryPointer();
    XWarpPointer(display, None, root, 0, 0, 0, 0, 150 + (i & 1), 300);
    XFlush(display);
    XShmPutImage(display, window, gc, image, 0, 0, 0, 0, width, height, False);
    XSync(display, False);
  }
  const double withPointer =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - t1).count();
  std::printf("raw_shm_pointer_fps: %.0f\n", frames / withPointer);

  // The loops above show the server one picture again and again, which it
  // finds warm in its own cache. A frame of the game is new: written by this
  // process each time, the pitch copied and then presented. Same loop, with
  // the two copies of a frame's memory traffic (what floor_us times) done
  // here, so the server reads memory this process has just written.
  const size_t bytes = static_cast<size_t>(image->bytes_per_line) * height;
  std::vector<char> pitch(bytes, 0x20), back(bytes);
  const auto t2 = std::chrono::steady_clock::now();
  for (int i = 0; i < frames; ++i) {
    pitch[static_cast<size_t>(i) % bytes] ^= 1;
    std::memcpy(back.data(), pitch.data(), bytes);
    std::memcpy(image->data, back.data(), bytes);
    XShmPutImage(display, window, gc, image, 0, 0, 0, 0, width, height, False);
    XSync(display, False);
  }
  const double fresh = std::chrono::duration<double>(std::chrono::steady_clock::now() - t2).count();
  std::printf("raw_shm_fresh_frame_fps: %.0f\n", frames / fresh);

  XShmDetach(display, &shm);
  XDestroyImage(image);
  shmdt(shm.shmaddr);
  XCloseDisplay(display);
  return 0;
}
