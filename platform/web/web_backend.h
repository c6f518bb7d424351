// The web backend: the program's top-level windows on one canvas, a desktop
// in memory (platform/desktop/) shown there. The main window sits at the
// desktop's top-left corner and the canvas is its size; dialogs, in the
// frame a desktop would give them (web_frame.h), and drop-downs are drawn
// over it. Input comes from the page's queue; the browser's pointer lock
// serves the game's capture while the cursor is hidden.
#pragma once

#include <unordered_map>
#include <vector>

#include "platform/backend.h"
#include "platform/desktop/desktop.h"
#include "platform/web/web_frame.h"

namespace kv {
namespace web {

class WebBackend final : public Backend {
 public:
  const char* Name() const override { return "web"; }
  void ScreenSize(int* width, int* height) override;
  NativeWindow* CreateWindow(const NativeWindowParams& params) override;
  void DestroyWindow(NativeWindow* window) override;
  void ShowWindow(NativeWindow* window, bool visible) override;
  void SetTitle(NativeWindow* window, const wchar_t* title) override;
  PixelSurface Surface(NativeWindow* window) override;
  void Present(NativeWindow* window, int x, int y, int width, int height) override;
  void BeginSurfaceWrite(NativeWindow* window) override;
  void SurfaceOrigin(NativeWindow* window, int* x, int* y) override;
  bool PollEvent(InputEvent* event) override;
  void WaitEvent(std::chrono::microseconds timeout) override;
  void PointerPosition(int* x, int* y) override;
  void WarpPointer(int x, int y) override;
  bool GrabPointer(NativeWindow* window) override;
  void UngrabPointer() override;
  void SetPointerHidden(NativeWindow* window, bool hidden) override;

 private:
  // Takes one page event into the desktop, which queues what it becomes.
  void Translate(const struct PageEvent& page);
  // Asks for the lock exactly while the grab and the hidden cursor are on
  // the same window.
  void UpdateLock();
  void LockLost();
  // Dialogs have a frame; the main window (the tab is its frame) and the
  // drop-downs do not.
  bool Framed(const desktop::Window* w) const { return w != main_ && !w->popup; }
  // A press of the left button on a frame: the caption starts a move, the
  // close box is held down. False when the press is for a window's client
  // area (or the bare canvas), which the desktop then takes.
  bool PressFrame(int x, int y);
  // Moves and the release while a frame holds the pointer; false when none does.
  bool FrameHoldsPointer(const struct PageEvent& page);
  // Keeps a framed window's caption on the canvas.
  void PlaceFramed(desktop::Window* w, int x, int y);
  // Draws the visible windows onto the canvas when something was presented.
  void Compose();
  void YieldToBrowser(int ms);

  desktop::Desktop screen_{1024, 768};  // until the main window exists
  desktop::Window* main_ = nullptr;     // the first unowned window: the canvas is its size
  std::unordered_map<const desktop::Window*, Frame> frames_;
  desktop::Window* moving_ = nullptr;      // the window whose caption is being dragged
  int moveDx_ = 0, moveDy_ = 0;            // the pointer from the window's client origin
  desktop::Window* closeHeld_ = nullptr;   // the window whose close box is held down
  bool closeInside_ = false;               // ...with the pointer on it
  std::vector<uint32_t> canvas_;        // RGBA, screen-sized
  bool dirty_ = false;
  double lastYieldMs_ = 0;
  bool lockWanted_ = false;  // we asked for the lock and did not give it up
  bool locked_ = false;      // the page reported the lock taken
};

// Opens the web backend (one per program).
Backend* OpenBackend();

}  // namespace web
}  // namespace kv
