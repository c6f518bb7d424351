// A backend around the real one that writes down every answer the platform
// layer gets from it, in call order: events or their absence, pointer
// readings, grab results, screen size, window places, whether a window could
// be made; and marks each present as a frame. The layer above is
// deterministic given these answers (and the clock readings, which the
// session adds), so a replay of them reproduces every message and reading
// the game is handed.
#pragma once

#include <unordered_map>

#include "platform/backend.h"
#include "platform/record/tape_writer.h"

namespace kv {
namespace record {

class RecordingBackend final : public Backend {
 public:
  RecordingBackend(Backend* inner, TapeWriter* tape) : inner_(inner), tape_(tape) {}

  const char* Name() const override { return inner_->Name(); }
  void ScreenSize(int* width, int* height) override;
  NativeWindow* CreateWindow(const NativeWindowParams& params) override;
  void DestroyWindow(NativeWindow* window) override;
  void ShowWindow(NativeWindow* window, bool visible) override { inner_->ShowWindow(window, visible); }
  void SetTitle(NativeWindow* window, const wchar_t* title) override { inner_->SetTitle(window, title); }
  PixelSurface Surface(NativeWindow* window) override { return inner_->Surface(window); }
  void Present(NativeWindow* window, int x, int y, int width, int height) override;
  void BeginSurfaceWrite(NativeWindow* window) override { inner_->BeginSurfaceWrite(window); }
  void SurfaceOrigin(NativeWindow* window, int* x, int* y) override;
  bool PollEvent(InputEvent* event) override;
  void WaitEvent(std::chrono::microseconds timeout) override;
  void PointerPosition(int* x, int* y) override;
  void WarpPointer(int x, int y) override { inner_->WarpPointer(x, y); }
  bool GrabPointer(NativeWindow* window) override;
  void UngrabPointer() override { inner_->UngrabPointer(); }
  void SetPointerHidden(NativeWindow* window, bool hidden) override {
    inner_->SetPointerHidden(window, hidden);
  }

  // Called at the start of every call that adds to the recording, where the
  // session may end the recording (a stop signal) with the program in the
  // state a replay reaches at the same call.
  void SetWatch(void (*watch)()) { watch_ = watch; }
  uint64_t frames() const { return frames_; }
  // The hash of the last presented window's pixels (taken when it went, or now).
  uint64_t LastFrameHash();

 private:
  void Add(const Record& r) { tape_->Add(r); }
  // Ends the block, with a check of the last frame shown if any was since
  // the last check.
  void EndBlock();
  void Watch() {
    if (watch_) watch_();
  }

  Backend* inner_;
  TapeWriter* tape_;
  std::unordered_map<NativeWindow*, uint32_t> ids_;
  uint32_t nextId_ = 0;
  uint64_t frames_ = 0;
  NativeWindow* lastPresented_ = nullptr;
  uint64_t lastHash_ = 0;
  uint64_t checkedFrames_ = 0;  // frames_ at the last frame check
  void (*watch_)() = nullptr;
};

}  // namespace record
}  // namespace kv
