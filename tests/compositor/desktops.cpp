#include "desktops.h"

#include "game_session.h"

namespace kv_compositor {

namespace {

int Count(const std::string& text, const std::string& what) {
  int n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

}  // namespace

PointerWatch::~PointerWatch() {
  if (display_) XCloseDisplay(display_);
}

bool PointerWatch::Open(const kv_e2e::EnvChanges& xEnv) {
  auto display = xEnv.find("DISPLAY");
  if (display == xEnv.end() || !display->second) return false;
  display_ = XOpenDisplay(display->second->c_str());
  return display_ != nullptr;
}

bool PointerWatch::WaitFor(int x, int y) {
  return display_ && kv_e2e::Eventually([&] {
    Window root = None, child = None;
    int px = 0, py = 0, wx = 0, wy = 0;
    unsigned mask = 0;
    XQueryPointer(display_, DefaultRootWindow(display_), &root, &child, &px, &py, &wx, &wy, &mask);
    return px == x && py == y;
  }, 15000, 10);
}

bool SwayDesktop::Start(const SwayOutput& output) {
  output_ = output;
  if (!sway_.Start(output)) {
    error_ = sway_.error();
    return false;
  }
  if (!pointer_.Connect(sway_.waylandSocket())) {
    error_ = pointer_.error();
    return false;
  }
  if (!watch_.Open(sway_.XEnv())) {
    error_ = "cannot watch the pointer on " + sway_.xDisplay();
    return false;
  }
  return true;
}

bool SwayDesktop::PointAt(int x, int y) {
  // After a jump onto a surface, Xwayland 22.1 puts the next button press
  // as far again beyond it; a mouse arrives by relative motion, and a
  // step there and back makes the place stick.
  return pointer_.MoveTo(x, y, output_.width / output_.scale, output_.height / output_.scale) &&
         pointer_.Move(1, 0) && pointer_.Move(-1, 0) && watch_.WaitFor(x, y);
}

kv_e2e::Image SwayDesktop::Shown(XwaylandGame& game) {
  ScreenRect r;
  if (!game.Geometry(&r)) return kv_e2e::Image{};
  return sway_.Grab(r.x, r.y, r.width, r.height);
}

// wlroots logs these at debug level when a client locks the pointer and
// when the lock goes.
bool SwayDesktop::PointerLocked() const {
  const std::string log = sway_.Log();
  return Count(log, "new locked_pointer") > Count(log, "destroying constraint");
}

bool MutterDesktop::Start(int width, int height) {
  if (!mutter_.Start(width, height)) {
    error_ = mutter_.error();
    return false;
  }
  if (!input_.Connect(mutter_.busAddress(), 30000)) {
    error_ = "RemoteDesktop: " + input_.error();
    return false;
  }
  if (!watch_.Open(mutter_.XEnv())) {
    error_ = "cannot watch the pointer on " + mutter_.xDisplay();
    return false;
  }
  return true;
}

}  // namespace kv_compositor
