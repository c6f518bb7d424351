// The web backend: the program's top-level windows on one canvas, a desktop
// in memory (platform/desktop/) shown there. The main window sits at the
// desktop's top-left corner and the canvas is its size; dialogs and
// drop-downs are drawn over it. Input comes from the page's queue; the
// browser's pointer lock serves the game's capture while the cursor is hidden.
#pragma once

#include <vector>

#include "platform/backend.h"
#include "platform/desktop/desktop.h"

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
  // Draws the visible windows onto the canvas when something was presented.
  void Compose();
  void YieldToBrowser(int ms);

  desktop::Desktop screen_{1024, 768};  // until the main window exists
  desktop::Window* main_ = nullptr;     // the first unowned window: the canvas is its size
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
