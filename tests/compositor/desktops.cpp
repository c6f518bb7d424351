#include "desktops.h"

#include <linux/input-event-codes.h>

#include "game_session.h"

namespace kv_compositor {

namespace {

int Count(const std::string& text, const std::string& what) {
  int n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

}  // namespace

void PointerWatch::Close() {
  if (display_) XCloseDisplay(display_);
  display_ = nullptr;
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
  if (!keyboard_.Connect(sway_.waylandSocket())) {
    error_ = keyboard_.error();
    return false;
  }
  if (!watch_.Open(sway_.XEnv())) {
    error_ = "cannot watch the pointer on " + sway_.xDisplay();
    return false;
  }
  return true;
}

bool SwayDesktop::FindWindow(const std::string& title, ScreenRect* content) {
  for (const SwayView& v : sway_.Views()) {
    if (v.shell == "xdg_shell" && v.title == title && v.content.width > 0) {
      *content = v.content;
      return true;
    }
  }
  return false;
}

namespace {

bool FindGameView(const std::vector<SwayView>& views, bool main, ScreenRect* content,
                  std::string* title) {
  for (const SwayView& v : views) {
    if (v.shell != "xdg_shell" || v.appId != "kelvara" || (v.content.width == kPitchWidth) != main)
      continue;
    *content = v.content;
    if (title) *title = v.title;
    return true;
  }
  return false;
}

}  // namespace

bool SwayDesktop::FindMain(ScreenRect* content, std::string* title) {
  return FindGameView(sway_.Views(), true, content, title);
}

bool SwayDesktop::FindAbout(ScreenRect* content) {
  return FindGameView(sway_.Views(), false, content, nullptr);
}

bool SwayDesktop::Focus(const std::string& title) {
  return sway_.Msg({"[title=\"^" + title + "$\"]", "focus"}).exitCode == 0;
}

bool SwayDesktop::MoveTo(int x, int y) {
  return pointer_.MoveTo(x, y, output_.width / output_.scale, output_.height / output_.scale);
}

void SwayDesktop::StopCompositor() {
  watch_.Close();
  pointer_.Disconnect();
  keyboard_.Disconnect();
  sway_.Stop();
}

bool SwayDesktop::Close(const std::string& title) {
  return sway_.Msg({"[title=\"^" + title + "$\"]", "kill"}).exitCode == 0;
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

namespace kv_compositor {

bool OtherWindow::Open(const kv_e2e::EnvChanges& xEnv) {
  Close();
  auto display = xEnv.find("DISPLAY");
  if (display == xEnv.end() || !display->second) return false;
  display_ = XOpenDisplay(display->second->c_str());
  if (!display_) return false;
  window_ = XCreateSimpleWindow(display_, DefaultRootWindow(display_), 0, 0, 200, 150, 0, 0, 0x808080);
  XStoreName(display_, window_, "Other");
  XMapRaised(display_, window_);
  XSync(display_, False);
  return true;
}

void OtherWindow::Close() {
  if (display_) {
    if (window_ != None) XDestroyWindow(display_, window_);
    XCloseDisplay(display_);
  }
  display_ = nullptr;
  window_ = None;
}

bool SwayDesktop::ShowOtherWindow() {
  return other_.Open(sway_.XEnv()) &&
         kv_e2e::Eventually([&] { return Focus("Other"); }, 15000, 50);
}

bool MutterDesktop::StartNative(int width, int height) {
  if (!mutter_.Start(width, height, true)) {
    error_ = mutter_.error();
    return false;
  }
  if (!input_.Connect(mutter_.busAddress(), 30000)) {
    error_ = "RemoteDesktop: " + input_.error();
    return false;
  }
  if (!cast_.Start(mutter_.busAddress(), mutter_.pipewireSocket(), "Meta-0", 30000)) {
    error_ = "ScreenCast: " + cast_.error();
    return false;
  }
  // Mutter makes the virtual mouse and keyboard with their first input:
  // made now, the game finds them on the seat when it starts, and the first
  // click of a test is not lost while the game takes up a new pointer.
  if (!input_.Move(0, 0) || !input_.Key(KEY_LEFTSHIFT, true) || !input_.Key(KEY_LEFTSHIFT, false)) {
    error_ = "RemoteDesktop: " + input_.error();
    return false;
  }
  return true;
}

kv_e2e::EnvChanges MutterDesktop::WaylandEnv() const {
  kv_e2e::EnvChanges env = mutter_.WaylandEnv();
  env["WAYLAND_DEBUG"] = "client";
  return env;
}

bool MutterDesktop::PointerLocked() const {
  if (!game_) return false;
  // The last word on a lock: mutter's "locked" after its "unlocked" and
  // after the game last let a lock go.
  const std::string log = game_->Stderr();
  const size_t locked = log.rfind(".locked()");
  const size_t unlocked = log.rfind(".unlocked()");
  size_t letGo = std::string::npos;
  const std::string request = "-> zwp_locked_pointer_v1@";
  for (size_t at = log.find(request); at != std::string::npos; at = log.find(request, at + 1))
    if (log.compare(log.find('.', at), 10, ".destroy()") == 0) letGo = at;
  const auto before = [locked](size_t at) { return at == std::string::npos || at < locked; };
  if (locked == std::string::npos || !before(unlocked)) return false;
  if (before(letGo)) return true;
  // The game let go, but its request may still be on its way while this
  // desktop's input gets there first (and moves a locked pointer nowhere):
  // the lock is over once mutter has answered a frame request the game made
  // after it.
  for (size_t at = log.find("(new id wl_callback@", letGo); at != std::string::npos;
       at = log.find("(new id wl_callback@", at + 1)) {
    const size_t id = at + std::string("(new id ").size();
    const std::string callback = log.substr(id, log.find(')', id) - id);
    if (log.find("] " + callback + ".done(", at) != std::string::npos) return false;
  }
  return true;
}

namespace {

// The pitch picture's edge, two pixels of light green all round.
constexpr uint32_t kPitchEdge = 0x46AF46;
// The colour of menus and dialogs.
constexpr uint32_t kFace = 0xD4D0C8;

}  // namespace

bool MutterDesktop::FindMain(ScreenRect* content, std::string* title) {
  if (title) title->clear();
  const kv_e2e::Image screen = cast_.Screen();
  // The pitch's bottom row is all its light green edge, and nothing the
  // game opens over the window (a drop-down, the About box) reaches it.
  for (int y = screen.height - 2; y >= kPitchHeight + 19; --y) {
    int run = 0;
    for (int x = 0; x < screen.width; ++x) {
      run = screen.At(x, y) == kPitchEdge ? run + 1 : 0;
      if (run == kPitchWidth && screen.At(x - kPitchWidth + 1, y + 1) != kPitchEdge) {
        *content = ScreenRect{x - kPitchWidth + 1, y - kPitchHeight - 19, kPitchWidth,
                              kPitchHeight + 20};
        return true;
      }
    }
  }
  return false;
}

bool MutterDesktop::FindAbout(ScreenRect* content) {
  const kv_e2e::Image screen = cast_.Screen();
  // Mutter places a dialog where it finds room (not over its owner), so the
  // box is looked for all over: the top left corner of a face at least
  // 200 x 150, which neither the menu bar nor a drop-down is.
  const auto face = [&](int x, int y) {
    return x >= 0 && y >= 0 && x < screen.width && y < screen.height && screen.At(x, y) == kFace;
  };
  for (int y = 0; y < screen.height; ++y)
    for (int x = 0; x < screen.width; ++x) {
      if (!face(x, y) || face(x - 1, y) || face(x, y - 1)) continue;
      int width = 0, height = 0;
      while (face(x + width, y)) ++width;
      while (face(x, y + height)) ++height;
      if (width >= 200 && height >= 150) {
        *content = ScreenRect{x, y, width, height};
        return true;
      }
    }
  return false;
}

bool MutterDesktop::CloseBox() {
  ScreenRect r;
  return FindMain(&r) && MoveTo(r.x + r.width - 16, r.y - 12) && Click(kLeftButton);
}

}  // namespace kv_compositor
