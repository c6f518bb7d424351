// Each compositor with its way of sending input and of reading back what
// it shows, under the same names, so that one scenario (a function
// template) runs on either.
//
// PointAt returns once Xwayland has the pointer there: a compositor may
// take input in before it has dealt with it, and a click sent right after
// a jump would land where the pointer was.
#pragma once

#include <X11/Xlib.h>

#include <string>

#include "mutter.h"
#include "probe.h"
#include "remote_desktop.h"
#include "screen_cast.h"
#include "sway.h"
#include "virtual_keyboard.h"
#include "virtual_pointer.h"
#include "xwayland_game.h"

namespace kv_compositor {

// An X connection of the desktop's own, to see where Xwayland has the
// pointer.
class PointerWatch {
 public:
  PointerWatch() = default;
  PointerWatch(const PointerWatch&) = delete;
  PointerWatch& operator=(const PointerWatch&) = delete;
  ~PointerWatch() { Close(); }
  bool Open(const kv_e2e::EnvChanges& xEnv);
  void Close();
  // Waits until the pointer is at (x, y) of the X screen.
  bool WaitFor(int x, int y);

 private:
  Display* display_ = nullptr;
};

// A window of another program (an X client of the desktop's Xwayland),
// which takes the focus from the game while it is up.
class OtherWindow {
 public:
  OtherWindow() = default;
  OtherWindow(const OtherWindow&) = delete;
  OtherWindow& operator=(const OtherWindow&) = delete;
  ~OtherWindow() { Close(); }
  // Maps a window titled "Other".
  bool Open(const kv_e2e::EnvChanges& xEnv);
  void Close();

 private:
  Display* display_ = nullptr;
  Window window_ = None;
};

// Sway, with input through a virtual pointer.
class SwayDesktop {
 public:
  bool Start(const SwayOutput& output = {});
  const std::string& error() const { return error_; }
  kv_e2e::EnvChanges XEnv() const { return sway_.XEnv(); }

  // The pointer to (x, y) of the layout (not for a locked pointer).
  bool PointAt(int x, int y);
  bool Move(double dx, double dy) { return pointer_.Move(dx, dy); }
  bool Click(unsigned button) { return pointer_.Click(button); }
  // The game's window as the output shows it (grim, at the output's scale).
  kv_e2e::Image Shown(XwaylandGame& game);
  // Whether a client holds a pointer lock now, from the compositor's log of
  // the locks it made and ended (Xwayland may drop and retake one at once).
  bool PointerLocked() const;

  Sway& sway() { return sway_; }

  // ---- for the game as a Wayland client of its own (native_game.h)
  // The environment of a client of this compositor and of no X server.
  kv_e2e::EnvChanges WaylandEnv() const { return sway_.WaylandEnv(); }
  // The game's window titled `title`: where its surface is.
  bool FindWindow(const std::string& title, ScreenRect* content);
  // The game's main window (the one with the pitch, whatever its title
  // says) or its About box, and the title.
  bool FindMain(ScreenRect* content, std::string* title = nullptr);
  bool FindAbout(ScreenRect* content);
  // Gives the keyboard focus to the window titled `title`.
  bool Focus(const std::string& title);
  // The pointer to (x, y) of the layout, as a jump of the mouse would put it.
  bool MoveTo(int x, int y);
  bool Key(unsigned code, bool pressed) { return keyboard_.Key(code, pressed); }
  bool Tap(unsigned code) { return keyboard_.Tap(code); }
  bool Chord(unsigned modifier, unsigned code) { return keyboard_.Chord(modifier, code); }
  // What the output shows of a rectangle of the layout (at the output's
  // scale).
  kv_e2e::Image Grab(const ScreenRect& r, int scale = 0) {
    return sway_.Grab(r.x, r.y, r.width, r.height, scale);
  }
  // What a window manager's close box does: sway asks the window to close.
  bool Close(const std::string& title);
  // Sway's close box (it draws none; this is what its kill binding does).
  bool CloseBox() { return Close("Kelvara"); }
  // Another program's window up and focused, or gone again.
  bool ShowOtherWindow();
  void HideOtherWindow() { other_.Close(); }
  // Sway's log tells of locks; the game's own log is not needed.
  void Watch(const kv_e2e::Process*) {}
  // Ends the compositor under its clients, as a crash would (this desktop's
  // own connections to it closed first).
  void StopCompositor();

 private:
  Sway sway_;
  VirtualPointer pointer_;
  VirtualKeyboard keyboard_;
  OtherWindow other_;
  PointerWatch watch_;
  SwayOutput output_;
  std::string error_;
};

// Mutter, with input through its RemoteDesktop service.
class MutterDesktop {
 public:
  bool Start(int width = 1280, int height = 800);
  const std::string& error() const { return error_; }
  kv_e2e::EnvChanges XEnv() const { return mutter_.XEnv(); }

  bool PointAt(int x, int y) { return input_.MoveTo(x, y) && watch_.WaitFor(x, y); }
  bool Move(double dx, double dy) { return input_.Move(dx, dy); }
  bool Click(unsigned button) { return input_.Click(button); }
  // Mutter reads its output back only through a screen cast (PipeWire):
  // the window's own pixels in Xwayland stand in for it.
  kv_e2e::Image Shown(XwaylandGame& game) { return game.Picture(); }

  Mutter& mutter() { return mutter_; }

  // ---- for the game as a Wayland client of its own (native_game.h):
  // what mutter shows comes from a screen cast of its monitor.
  bool StartNative(int width = 1280, int height = 800);
  // The environment of a client of mutter and of no X server, with
  // libwayland's log of its messages on standard error: where mutter says
  // when the pointer lock holds and when it ends (mutter's own log does not).
  kv_e2e::EnvChanges WaylandEnv() const;
  // The game whose log tells of the lock.
  void Watch(const kv_e2e::Process* game) { game_ = game; }
  bool PointerLocked() const;
  // The main window is found by its pitch, the About box by its face; mutter
  // has no list of windows to ask. No title: it is drawn, not told.
  bool FindMain(ScreenRect* content, std::string* title = nullptr);
  bool FindAbout(ScreenRect* content);
  // The cast is of the monitor at scale 1: no scale to undo.
  kv_e2e::Image Grab(const ScreenRect& r, int = 0) { return cast_.Grab(r); }
  bool MoveTo(int x, int y) { return input_.MoveTo(x, y); }
  bool Key(unsigned code, bool pressed) { return input_.Key(code, pressed); }
  bool Tap(unsigned code) { return Key(code, true) && Key(code, false); }
  bool Chord(unsigned modifier, unsigned code) {
    return Key(modifier, true) && Tap(code) && Key(modifier, false);
  }
  // The close box libdecor draws at the right end of the title bar above
  // the window's surface.
  bool CloseBox();
  bool ShowOtherWindow() { return other_.Open(mutter_.XEnv()); }
  void HideOtherWindow() { other_.Close(); }

 private:
  Mutter mutter_;
  RemoteDesktop input_;
  PointerWatch watch_;
  ScreenCast cast_;
  OtherWindow other_;
  const kv_e2e::Process* game_ = nullptr;
  std::string error_;
};

}  // namespace kv_compositor
