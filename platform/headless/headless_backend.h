// The headless backend: a desktop in memory (platform/desktop/) as the
// windowing layer's display, a wall clock that stands still until a test
// moves it, and a modal loop's wait handed to the test instead of slept.
// The controls a test drives it with are in headless_control.cpp.
#pragma once

#include <cstdint>
#include <unordered_map>
#include <vector>

#include "platform/backend.h"
#include "platform/desktop/desktop.h"

namespace kv {
namespace headless {

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

  desktop::Desktop screen{1920, 1080};
  int64_t clockMs;
  int64_t monotonicNs = 1000000000000;  // an arbitrary start, far from 0
  void (*idleHook)(void*) = nullptr;
  void* idleContext = nullptr;
  int grabFailures = 0;  // the next grabs that fail, as a real server's may
  int64_t visibilityCalls = 0;

  // Off unless a test turns it on: it copies every presented surface, and
  // counts a change to a window's pixels after its present that no
  // BeginSurfaceWrite announced (a real display could have shown it torn).
  bool checkWrites = false;
  int64_t unannouncedWrites = 0;

 private:
  struct Shown {
    std::vector<uint32_t> pixels;  // as last presented
    int width = 0, height = 0;
    bool writeAnnounced = true;
  };
  void CheckWrites(desktop::Window* w, Shown& shown);
  std::unordered_map<desktop::Window*, Shown> shown_;
};

// The installed headless backend, or null.
HeadlessBackend* Current();

}  // namespace headless
}  // namespace kv
