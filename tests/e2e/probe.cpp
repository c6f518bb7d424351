#include "probe.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#ifdef KV_E2E_HAVE_XCB
#include <xcb/xcb.h>
#endif

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <utility>

#include "process.h"

namespace kv_e2e {

namespace {
int IgnoreErrors(Display*, XErrorEvent*) { return 0; }
}  // namespace

Probe::Probe(const std::string& display, bool quiet) {
  display_ = XOpenDisplay(display.c_str());
  if (quiet) XSetErrorHandler(IgnoreErrors);
#ifdef KV_E2E_HAVE_XCB
  int screen = 0;
  xcb_connection_t* c = xcb_connect(display.c_str(), &screen);
  if (xcb_connection_has_error(c)) {
    xcb_disconnect(c);
    return;
  }
  xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(c));
  for (int i = 0; i < screen && it.rem > 0; ++i) xcb_screen_next(&it);
  if (it.rem <= 0) {
    xcb_disconnect(c);
    return;
  }
  xcb_ = c;
  xcbRoot_ = it.data->root;
#endif
}

Probe::~Probe() {
  if (display_) XCloseDisplay(display_);
#ifdef KV_E2E_HAVE_XCB
  if (xcb_) xcb_disconnect(static_cast<xcb_connection_t*>(xcb_));
#endif
}

std::vector<TopWindow> Probe::MappedTopLevels() {
  std::vector<TopWindow> result;
  Window root = DefaultRootWindow(display_), parent = None, *children = nullptr;
  unsigned count = 0;
  if (!XQueryTree(display_, root, &root, &parent, &children, &count)) return result;
  for (unsigned i = 0; i < count; ++i) {
    XWindowAttributes a{};
    if (!XGetWindowAttributes(display_, children[i], &a) || a.map_state != IsViewable) continue;
    TopWindow w;
    w.id = children[i];
    w.x = a.x;
    w.y = a.y;
    w.width = a.width;
    w.height = a.height;
    w.overrideRedirect = a.override_redirect;
    w.name = TextProperty(children[i], "WM_NAME");
    result.push_back(w);
  }
  if (children) XFree(children);
  return result;
}

std::optional<TopWindow> Probe::FindMapped(const std::string& name) {
  for (const TopWindow& w : MappedTopLevels())
    if (w.name == name) return w;
  return std::nullopt;
}

std::optional<TopWindow> Probe::WaitForMapped(const std::string& name, int timeoutMs) {
  long long deadline = MonotonicMs() + timeoutMs;
  do {
    if (auto w = FindMapped(name)) return w;
    SleepMs(50);
  } while (MonotonicMs() < deadline);
  return std::nullopt;
}

bool Probe::WaitForFocus(Window window, int timeoutMs) {
  long long deadline = MonotonicMs() + timeoutMs;
  for (;;) {
    Window focus = None;
    int revert = 0;
    XGetInputFocus(display_, &focus, &revert);
    // Walk up from the focus window: a child of `window` counts too.
    for (Window w = focus; w != None && w != PointerRoot;) {
      if (w == window) return true;
      Window root = None, parent = None, *children = nullptr;
      unsigned count = 0;
      if (!XQueryTree(display_, w, &root, &parent, &children, &count)) break;
      if (children) XFree(children);
      if (parent == root) break;
      w = parent;
    }
    if (MonotonicMs() >= deadline) return false;
    SleepMs(20);
  }
}

std::string Probe::TextProperty(Window window, const char* property) {
  Atom atom = XInternAtom(display_, property, False);
  Atom type = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  std::string text;
  if (XGetWindowProperty(display_, window, atom, 0, 4096, False, AnyPropertyType, &type, &format,
                         &count, &after, &data) == Success &&
      data && format == 8)
    text.assign(reinterpret_cast<char*>(data), count);
  if (data) XFree(data);
  return text;
}

std::vector<long> Probe::CardinalProperty(Window window, const char* property, Atom type) {
  Atom atom = XInternAtom(display_, property, False);
  Atom actual = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  std::vector<long> values;
  if (XGetWindowProperty(display_, window, atom, 0, 1024, False, type, &actual, &format, &count,
                         &after, &data) == Success &&
      data && format == 32) {
    const long* items = reinterpret_cast<const long*>(data);
    values.assign(items, items + count);
  }
  if (data) XFree(data);
  return values;
}

Window Probe::TransientFor(Window window) {
  Window owner = None;
  if (!XGetTransientForHint(display_, window, &owner)) return None;
  return owner;
}

bool Probe::PointerGrabbedElsewhere() {
#ifdef KV_E2E_HAVE_XCB
  if (xcb_) {
    // Grab and release go out together and the server runs them back to
    // back; waiting for the grab's answer first (as Xlib does) would hold
    // the pointer for as long as this process sleeps on a busy machine,
    // and a game grabbing just then would be refused.
    auto* c = static_cast<xcb_connection_t*>(xcb_);
    xcb_grab_pointer_cookie_t cookie = xcb_grab_pointer(
        c, 0, static_cast<xcb_window_t>(xcbRoot_), XCB_EVENT_MASK_BUTTON_PRESS,
        XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC, XCB_NONE, XCB_NONE, XCB_CURRENT_TIME);
    xcb_ungrab_pointer(c, XCB_CURRENT_TIME);
    xcb_grab_pointer_reply_t* reply = xcb_grab_pointer_reply(c, cookie, nullptr);
    if (reply) {
      bool elsewhere = reply->status == XCB_GRAB_STATUS_ALREADY_GRABBED;
      free(reply);
      return elsewhere;
    }
  }
#endif
  int status = XGrabPointer(display_, DefaultRootWindow(display_), False, ButtonPressMask,
                            GrabModeAsync, GrabModeAsync, None, None, CurrentTime);
  if (status == GrabSuccess) {
    XUngrabPointer(display_, CurrentTime);
    XSync(display_, False);
  }
  return status == AlreadyGrabbed;
}

void Probe::PointerPosition(int* x, int* y) {
  Window root, child;
  int wx, wy;
  unsigned mask;
  XQueryPointer(display_, DefaultRootWindow(display_), &root, &child, x, y, &wx, &wy, &mask);
}

void Probe::SendDeleteWindow(Window window) {
  XEvent e{};
  e.xclient.type = ClientMessage;
  e.xclient.window = window;
  e.xclient.message_type = XInternAtom(display_, "WM_PROTOCOLS", False);
  e.xclient.format = 32;
  e.xclient.data.l[0] = static_cast<long>(XInternAtom(display_, "WM_DELETE_WINDOW", False));
  e.xclient.data.l[1] = CurrentTime;
  XSendEvent(display_, window, False, NoEventMask, &e);
  XSync(display_, False);
}

void Probe::SendStructureEvent(Window window, int type, int width, int height) {
  XEvent e{};
  e.type = type;
  // Each of these events names the window it reports on and the window it
  // is delivered to in the same two places.
  e.xdestroywindow.event = window;
  e.xdestroywindow.window = window;
  if (type == ReparentNotify) e.xreparent.parent = DefaultRootWindow(display_);
  if (type == ConfigureNotify) {
    e.xconfigure.width = width;
    e.xconfigure.height = height;
  }
  XSendEvent(display_, window, False, NoEventMask, &e);
  XSync(display_, False);
}

Image Probe::Capture(Window window, int x, int y, int width, int height) {
  Image image;
  XImage* x11 = XGetImage(display_, window, x, y, static_cast<unsigned>(width),
                          static_cast<unsigned>(height), AllPlanes, ZPixmap);
  if (!x11) return image;
  image.width = width;
  image.height = height;
  image.pixels.resize(static_cast<size_t>(width) * height);
  for (int row = 0; row < height; ++row)
    for (int col = 0; col < width; ++col)
      image.pixels[static_cast<size_t>(row) * width + col] =
          static_cast<uint32_t>(XGetPixel(x11, col, row)) & 0xFFFFFFu;
  XDestroyImage(x11);
  return image;
}

Image Probe::CaptureSettled(Window window, int width, int height, int timeoutMs) {
  long long deadline = MonotonicMs() + timeoutMs;
  Image last;
  for (;;) {
    Image now = Capture(window, 0, 0, width, height);
    bool drawn = !now.pixels.empty() &&
                 std::any_of(now.pixels.begin(), now.pixels.end(),
                             [&](uint32_t p) { return p != now.pixels[0]; });
    if (drawn && now.width == last.width && now.pixels == last.pixels) return now;
    last = std::move(now);
    if (MonotonicMs() >= deadline) return Image{};
    SleepMs(50);
  }
}

bool ParsePpm(const std::string& data, Image* out) {
  // Header: "P6" width height maxval, separated by whitespace (and comments).
  size_t pos = 0;
  auto token = [&]() {
    std::string t;
    while (pos < data.size()) {
      char c = data[pos];
      if (c == '#') {
        while (pos < data.size() && data[pos] != '\n') ++pos;
      } else if (std::isspace(static_cast<unsigned char>(c))) {
        if (!t.empty()) break;
        ++pos;
      } else {
        t.push_back(c);
        ++pos;
      }
    }
    return t;
  };
  if (token() != "P6") return false;
  int width = std::atoi(token().c_str());
  int height = std::atoi(token().c_str());
  int maxval = std::atoi(token().c_str());
  ++pos;  // the single whitespace before the pixels
  if (width <= 0 || height <= 0 || maxval != 255) return false;
  size_t need = static_cast<size_t>(width) * height * 3;
  if (data.size() < pos + need) return false;
  out->width = width;
  out->height = height;
  out->pixels.resize(static_cast<size_t>(width) * height);
  const unsigned char* p = reinterpret_cast<const unsigned char*>(data.data() + pos);
  for (size_t i = 0; i < out->pixels.size(); ++i, p += 3)
    out->pixels[i] = (uint32_t(p[0]) << 16) | (uint32_t(p[1]) << 8) | p[2];
  return true;
}

bool WritePpm(const Image& image, const std::string& path) {
  std::ofstream out(path, std::ios::binary);
  if (!out) return false;
  out << "P6\n" << image.width << " " << image.height << "\n255\n";
  for (uint32_t p : image.pixels) {
    char rgb[3] = {static_cast<char>(p >> 16), static_cast<char>(p >> 8), static_cast<char>(p)};
    out.write(rgb, 3);
  }
  return static_cast<bool>(out);
}

}  // namespace kv_e2e
