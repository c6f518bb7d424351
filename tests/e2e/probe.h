// A second X client that looks at the screen the way a window manager or a
// user would: which windows are up, their names and hints, who holds the
// pointer, and the pixels.
#pragma once

#include <X11/Xlib.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kv_e2e {

struct TopWindow {
  Window id = None;
  int x = 0, y = 0, width = 0, height = 0;
  bool overrideRedirect = false;
  std::string name;  // WM_NAME
};

// Pixels of a screen area as 0x00RRGGBB, top row first.
struct Image {
  int width = 0, height = 0;
  std::vector<uint32_t> pixels;
  uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
  bool Contains(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }
};

class Probe {
 public:
  // `quiet` installs a handler that ignores X errors (windows vanish under a
  // probe); a process that has its own handler passes false.
  explicit Probe(const std::string& display, bool quiet = true);
  ~Probe();
  bool ok() const { return display_ != nullptr; }
  Display* display() const { return display_; }

  // Mapped children of the root, bottom to top.
  std::vector<TopWindow> MappedTopLevels();
  std::optional<TopWindow> FindMapped(const std::string& name);
  // Waits until a mapped top-level with that exact WM_NAME exists.
  std::optional<TopWindow> WaitForMapped(const std::string& name, int timeoutMs);
  // Waits until the keyboard focus is on `window` or inside it: keys sent
  // before that go elsewhere.
  bool WaitForFocus(Window window, int timeoutMs);

  std::string TextProperty(Window window, const char* property);  // raw bytes
  std::vector<long> CardinalProperty(Window window, const char* property, Atom type);
  Window TransientFor(Window window);

  // True when another client holds the pointer grab (our own attempt meets
  // AlreadyGrabbed); a successful attempt is released at once, in the same
  // write where XCB is at hand.
  bool PointerGrabbedElsewhere();
  void PointerPosition(int* x, int* y);

  // What a window manager sends for the close box.
  void SendDeleteWindow(Window window);
  // A structure event (DestroyNotify, UnmapNotify, MapNotify, ReparentNotify
  // or ConfigureNotify) about `window`, made up and sent to it as any client
  // can; a ConfigureNotify claims the size given.
  void SendStructureEvent(Window window, int type, int width = 0, int height = 0);

  Image Capture(Window window, int x, int y, int width, int height);
  // A capture once the window has been drawn: two captures in a row that
  // agree and are not of one colour (a window not yet painted is). An empty
  // image when that does not happen in time.
  Image CaptureSettled(Window window, int width, int height, int timeoutMs);

 private:
  Display* display_ = nullptr;
  void* xcb_ = nullptr;  // xcb_connection_t*, for the grab check
  unsigned long xcbRoot_ = 0;
};

// Reads a binary PPM (P6, maxval 255) as written by ImageMagick.
bool ParsePpm(const std::string& data, Image* out);
// Writes one, so that a failing test leaves the picture it saw.
bool WritePpm(const Image& image, const std::string& path);

}  // namespace kv_e2e
