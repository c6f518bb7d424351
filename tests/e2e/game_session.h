// The real program on its own virtual screen, and what a test does with it:
// click, move, type, read the title, take a screenshot.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "probe.h"
#include "process.h"
#include "xvfb.h"

namespace kv_e2e {

// The program under test.
const char* KelvaraPath();

class GameSession {
 public:
  // Starts Xvfb (1920 x 1080 x 24) and the game, and waits for its window.
  // False, with the reason in error(), when either does not come up.
  bool Start();
  // The same with more arguments for the game, and X resources set on the
  // root window (as xrdb would) before it starts.
  bool Start(const std::vector<std::string>& args, const std::string& resources);
  ~GameSession();
  // Before Start: the game is started through this command, the game's own
  // command line after it ("sh -c '...; exec \"$0\" \"$@\"'" sets a limit
  // first, say).
  void SetLauncher(const std::vector<std::string>& launcher) { launcher_ = launcher; }
  // The virtual screen's size for the next Start (1920 x 1080 unless set).
  void SetScreenSize(int width, int height) {
    screenWidth_ = width;
    screenHeight_ = height;
  }

  const std::string& error() const { return error_; }
  const std::string& display() const { return server_.display(); }
  Xvfb& server() { return server_; }
  Process& game() { return game_; }
  Probe& probe() { return *probe_; }
  // Closes the probe's connection, before a test takes the server away
  // (Xlib ends a client whose server vanishes).
  void CloseProbe();
  Window window() const { return window_.id; }
  // The main window as it first appeared on the screen.
  const TopWindow& windowInfo() const { return window_; }

  // Screen position of the client area's top-left pixel: the pitch fills
  // the bottom 1000 x 600 of the window, below the menu bar.
  int clientX() const { return window_.x; }
  int clientY() const { return window_.y + window_.height - kClientHeight; }

  // xdotool with these arguments; false when it fails.
  bool Xdotool(const std::vector<std::string>& args);
  bool ClickClient(int x, int y, int button);  // move there, then click
  bool Click(int button);                      // where the pointer is
  bool Key(const std::string& keys);

  // WM_NAME as xprop reports it (the text between the quotes).
  std::string Title();
  // The whole screen as import captures it; empty on failure.
  Image Screenshot();
  // A client pixel of a screenshot, 0x00RRGGBB.
  uint32_t ClientPixel(const Image& screen, int x, int y) const;

  // Waits for the game to end; its exit status or nullopt.
  std::optional<int> WaitExit(int timeoutMs) { return game_.Wait(timeoutMs); }

  static constexpr int kClientWidth = 1000;
  static constexpr int kClientHeight = 600;

 private:
  Xvfb server_;
  int screenWidth_ = 1920, screenHeight_ = 1080;
  Process game_;
  std::vector<std::string> launcher_;
  Probe* probe_ = nullptr;
  TopWindow window_;
  std::string error_;
};

// Polls `check` every `stepMs` until it holds or the time is up.
template <typename F>
bool Eventually(F check, int timeoutMs, int stepMs = 100) {
  long long deadline = MonotonicMs() + timeoutMs;
  for (;;) {
    if (check()) return true;
    if (MonotonicMs() >= deadline) return false;
    SleepMs(stepMs);
  }
}

}  // namespace kv_e2e
