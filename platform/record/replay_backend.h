// A backend that answers from a recording. Windows are surfaces on a desktop
// in memory (platform/desktop/), as the headless backend has them; events, pointer readings, grab results,
// the screen and window places come from the tape, each checked against the
// kind of call the recording has next. With a live backend the windows are
// also shown on the real display, at the recorded pace.
#pragma once

#include <string>
#include <unordered_map>
#include <vector>

#include "platform/backend.h"
#include "platform/desktop/desktop.h"
#include "platform/record/tape_reader.h"

namespace kv {
namespace record {

class ReplayBackend final : public Backend {
 public:
  // `live`, when given, shows the windows; null plays without a display.
  ReplayBackend(TapeReader* tape, Backend* live) : tape_(tape), live_(live) {}

  const char* Name() const override { return "replay"; }
  void ScreenSize(int* width, int* height) override;
  NativeWindow* CreateWindow(const NativeWindowParams& params) override;
  void DestroyWindow(NativeWindow* window) override;
  void ShowWindow(NativeWindow* window, bool visible) override;
  void SetTitle(NativeWindow* window, const wchar_t* title) override;
  PixelSurface Surface(NativeWindow* window) override {
    return desktop::SurfaceOf(screen_.Find(window));
  }
  void Present(NativeWindow* window, int x, int y, int width, int height) override;
  void BeginSurfaceWrite(NativeWindow*) override {}
  void SurfaceOrigin(NativeWindow* window, int* x, int* y) override;
  bool PollEvent(InputEvent* event) override;
  void WaitEvent(std::chrono::microseconds timeout) override;
  void PointerPosition(int* x, int* y) override;
  void WarpPointer(int x, int y) override;
  bool GrabPointer(NativeWindow* window) override;
  void UngrabPointer() override;
  void SetPointerHidden(NativeWindow* window, bool hidden) override;

  // The clock reading the recording has next (ms), and the performance
  // counter's (ns).
  int64_t ClockRead();
  int64_t CounterRead();

  enum class State {
    kPlaying,
    kDiffers,   // the program asked for something else than the recording has
    kEnded,     // the recording ran out (truncated or damaged, or the recorded
                // program was cut short there: see the trailer's ending)
    kStopped,   // the person closed a window during playback
  };
  State state() const { return state_; }
  const std::string& difference() const { return difference_; }
  uint64_t frames() const { return frames_; }
  uint64_t LastFrameHash();
  // Whether checked frames must have the recording's pixels (the default);
  // their number is checked either way.
  void SetPixelChecks(bool on) { pixelChecks_ = on; }
  bool pixelChecks() const { return pixelChecks_; }
  // Called once when playback leaves kPlaying (the program may end there).
  void SetOnStop(void (*onStop)(void*), void* context) {
    onStop_ = onStop;
    onStopContext_ = context;
  }
  // At the program's end: true when the recording has no records left;
  // otherwise ProgramEnded() marks the difference.
  bool TapeDrained();
  void ProgramEnded();
  // True once nothing more is read from the tape and the live display answers.
  bool Live() const { return state_ != State::kPlaying && live_ != nullptr; }
  // kStopped: whether the window closed was the first the program made (its
  // main window, which ends it) rather than another (a dialog).
  bool ClosedFirstWindow() const { return closeFor_ && !byId_.empty() && closeFor_ == byId_.front(); }

 private:
  // Takes the next record, which must be of `kind`; PollEvent alone also
  // takes "no input" (TakeInput).
  bool Take(Kind kind, Record* r);
  bool TakeInput(Record* r);
  bool TakeEither(Kind kind, Kind alternative, Record* r);
  // The next record the program's calls take, frame checks on the way done.
  bool NextRecord(Record* r);
  void CheckFrame(const Record& check);
  void Differ(const std::string& what);
  void StopPlaying(State state);
  void DrainLive();
  // Waits, keeping the live windows answered, until the real time that
  // matches the recorded reading `tapeMs`.
  void PaceTo(int64_t tapeMs);
  void Mirror(NativeWindow* window);
  // Resizes our copy of a window as a resize event handed out says.
  void FollowResize(const InputEvent& e);
  NativeWindow* LiveOf(NativeWindow* window);
  NativeWindow* ReplayOf(NativeWindow* live);

  TapeReader* tape_;
  Backend* live_;
  // The screen the program draws on; its size and pointer answer only once
  // the recording has nothing more to say and no live display does.
  desktop::Desktop screen_{1920, 1080};
  std::vector<NativeWindow*> byId_;  // creation number - 1
  std::unordered_map<NativeWindow*, NativeWindow*> liveOf_;
  Record pending_;
  bool hasPending_ = false;
  State state_ = State::kPlaying;
  std::string difference_;
  uint64_t frames_ = 0;
  NativeWindow* lastPresented_ = nullptr;
  uint64_t lastHash_ = 0;
  bool injectClose_ = false;
  bool pixelChecks_ = true;
  NativeWindow* closeFor_ = nullptr;  // the window the person closed
  int64_t lastClock_ = 0;
  int64_t lastCounterNs_ = 0;
  int64_t liveCounterStart_ = 0;  // the real counter when playback stopped, or -1
  bool counterLive_ = false;
  void (*onStop_)(void*) = nullptr;
  void* onStopContext_ = nullptr;
  // Pace: the recorded clock against the real one, from the first reading.
  bool paced_ = false;
  int64_t tapeStart_ = 0, realStart_ = 0;
};

}  // namespace record
}  // namespace kv
