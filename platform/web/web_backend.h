// The web backend: the program's top-level windows on one canvas, a small
// desktop of its own. The main window sits at the desktop's top-left corner
// and the canvas is its size; dialogs and drop-downs are drawn over it.
// Input comes from the page's queue; the browser's pointer lock serves the
// game's capture while the cursor is hidden.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/backend.h"

namespace kv {
namespace web {

struct WebWindow {
  int x = 0, y = 0;
  int width = 0, height = 0;
  bool popup = false;
  bool main = false;  // the first unowned window: the canvas is its size
  bool visible = false;
  uint64_t raised = 0;  // larger is nearer the top
  std::vector<uint32_t> pixels;
};

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
  WebWindow* Find(NativeWindow* window);
  WebWindow* PointerTarget();
  WebWindow* KeyboardTarget();
  // Takes one page event; fills `out` when it becomes an input event.
  bool Translate(const struct PageEvent& page, InputEvent* out);
  InputEvent At(InputEvent::Type type, WebWindow* target, int mods) const;
  void MovePointerTo(int x, int y);
  // Asks for the lock exactly while the grab and the hidden cursor are on
  // the same window.
  void UpdateLock();
  void LockLost();
  // Draws the visible windows onto the canvas when something was presented.
  void Compose();
  void YieldToBrowser(int ms);

  int screenWidth_ = 1024, screenHeight_ = 768;  // until the main window exists
  std::vector<std::unique_ptr<WebWindow>> windows_;  // creation order
  std::vector<uint32_t> canvas_;  // RGBA, screen-sized
  bool dirty_ = false;
  double lastYieldMs_ = 0;
  int pointerX_ = 0, pointerY_ = 0;
  unsigned buttonsHeld_ = 0;
  WebWindow* pressedIn_ = nullptr;  // the implicit grab of a held button
  WebWindow* grab_ = nullptr;
  WebWindow* hiddenOver_ = nullptr;
  uint64_t raiseCounter_ = 0;
  bool lockWanted_ = false;  // we asked for the lock and did not give it up
  bool locked_ = false;      // the page reported the lock taken
};

// Opens the web backend (one per program).
Backend* OpenBackend();

}  // namespace web
}  // namespace kv
