// The headless backend's own records, shared by its two files: the backend
// operations (headless_backend.cpp) and the controls a test drives
// (headless_control.cpp).
#pragma once

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "platform/backend.h"
#include "platform/win32.h"

namespace kv {
namespace headless {

// A window on the virtual screen. Its pixels are what the screen shows:
// presenting records what was shown, it copies nothing.
struct ScreenWindow {
  int x = 0, y = 0;
  int width = 0, height = 0;
  bool popup = false;
  bool visible = false;
  uint64_t raised = 0;  // larger is nearer the top
  std::wstring title;
  std::vector<uint32_t> pixels;
  int64_t presents = 0;
  RECT lastPresent{};
  // With write checking on: the pixels of the last present, and whether the
  // windowing layer has announced a write since then.
  std::vector<uint32_t> shown;
  bool writeAnnounced = true;
};

class HeadlessBackend final : public Backend {
 public:
  explicit HeadlessBackend(int64_t startMs) : clockMs(startMs) {}

  const char* Name() const override { return "headless"; }
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

  // Gives the window a surface of width x height (each side held to 1 and
  // the surfaces' limit), the old pixels at its top-left and black beyond.
  // False when the size is the same or no memory could be had; the window
  // then keeps its surface. The replay of a recording uses it too.
  bool ResizeSurface(NativeWindow* window, int width, int height);

  // ---- what the controls use
  ScreenWindow* Find(NativeWindow* window);
  // Where pointer events go now: the grab, the window a held button was
  // pressed in, or the topmost visible window under the pointer.
  ScreenWindow* PointerTarget();
  // The window the keyboard goes to: the most recently raised visible
  // managed window.
  ScreenWindow* KeyboardTarget();
  void QueuePointerEvent(InputEvent::Type type, int button);
  InputEvent EventAtPointer(InputEvent::Type type, ScreenWindow* target) const;
  void QueueKeyEvent(InputEvent::Type type, unsigned vk, wchar_t ch, bool alt);
  void QueueWindowEvent(InputEvent::Type type, ScreenWindow* window);
  // A window manager giving the window another size: resized, then reported.
  void QueueResize(ScreenWindow* window, int width, int height);
  void ClampPointer();
  // Counts a change to the window's pixels since its last present that no
  // BeginSurfaceWrite announced (a real display could have shown it torn).
  void CheckWrites(ScreenWindow* window);

  int screenWidth = 1920, screenHeight = 1080;
  std::vector<std::unique_ptr<ScreenWindow>> windows;  // creation order
  std::deque<InputEvent> events;
  int pointerX = 0, pointerY = 0;
  unsigned buttonsHeld = 0;
  ScreenWindow* pressedIn = nullptr;  // the implicit grab of a held button
  ScreenWindow* grab = nullptr;
  bool shiftHeld = false, ctrlHeld = false, altHeld = false;
  ScreenWindow* hiddenOver = nullptr;
  int64_t visibilityCalls = 0;
  int grabFailures = 0;
  uint64_t raiseCounter = 0;
  int64_t clockMs;
  int64_t monotonicNs = 1000000000000;  // an arbitrary start, far from 0
  void (*idleHook)(void*) = nullptr;
  void* idleContext = nullptr;
  // Off unless a test turns it on: it copies every presented surface.
  bool checkWrites = false;
  int64_t unannouncedWrites = 0;
};

inline ScreenWindow* AsScreen(NativeWindow* w) { return reinterpret_cast<ScreenWindow*>(w); }
inline NativeWindow* AsNative(ScreenWindow* w) { return reinterpret_cast<NativeWindow*>(w); }

// The installed headless backend, or null.
HeadlessBackend* Current();

}  // namespace headless
}  // namespace kv
