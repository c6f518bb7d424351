// The game as an X client of a compositor's Xwayland, and a second X client
// (the probe) that finds its window and reads the window's own pixels.
#pragma once

#include <string>
#include <vector>

#include "pitch_picture.h"
#include "probe.h"
#include "process.h"

namespace kv_compositor {

// The program under test.
const char* KelvaraPath();

constexpr int kPitchWidth = 1000, kPitchHeight = 600;

struct ScreenRect {
  int x = 0, y = 0, width = 0, height = 0;
  bool Inside(int screenWidth, int screenHeight) const {
    return x >= 0 && y >= 0 && x + width <= screenWidth && y + height <= screenHeight;
  }
};

class XwaylandGame {
 public:
  XwaylandGame() = default;
  XwaylandGame(const XwaylandGame&) = delete;
  XwaylandGame& operator=(const XwaylandGame&) = delete;
  ~XwaylandGame() { Stop(); }

  // Sets the X resources (as xrdb would) when not empty, starts the game
  // with `args` in `xEnv`, and waits until its window is on the screen
  // with a frame drawn. False, with the reason in error(), otherwise.
  bool Start(const kv_e2e::EnvChanges& xEnv, const std::vector<std::string>& args = {},
             const std::string& resources = "");
  void Stop();
  const std::string& error() const { return error_; }

  kv_e2e::Process& process() { return game_; }
  kv_e2e::Probe& probe() { return *probe_; }
  Window window() const { return window_; }

  // Where the window is on the X screen now (a compositor places it, and
  // may move it); false when it is gone.
  bool Geometry(ScreenRect* rect);
  // The X screen's size.
  void ScreenSize(int* width, int* height);
  // The window's own pixels, as the game presented them.
  kv_e2e::Image Picture();

 private:
  kv_e2e::Process game_;
  kv_e2e::Probe* probe_ = nullptr;
  Window window_ = None;
  std::string error_;
};

using kv_e2e::LeftPlayerX;

// Client pixels of two pictures of the same window that differ.
int PixelsThatDiffer(const kv_e2e::Image& a, const kv_e2e::Image& b);

// Keeps pictures a failing test looked at, under the build directory.
void KeepOnFailure(const std::string& name, const kv_e2e::Image& image);

}  // namespace kv_compositor
