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
#include "sway.h"
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
  ~PointerWatch();
  bool Open(const kv_e2e::EnvChanges& xEnv);
  // Waits until the pointer is at (x, y) of the X screen.
  bool WaitFor(int x, int y);

 private:
  Display* display_ = nullptr;
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

 private:
  Sway sway_;
  VirtualPointer pointer_;
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

 private:
  Mutter mutter_;
  RemoteDesktop input_;
  PointerWatch watch_;
  std::string error_;
};

}  // namespace kv_compositor
