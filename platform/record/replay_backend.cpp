#include "platform/record/replay_backend.h"

#include <algorithm>
#include <chrono>
#include <cstdio>

#include "platform/record/frame_hash.h"
#include "platform/rt/monotonic_clock.h"

namespace kv {
namespace record {

namespace {

int64_t SteadyMs() { return rt::SystemMonotonicNs() / 1000000; }

// A playback in the window waits in slices this long at most, answering the
// live windows (exposure, the close box) between them.
constexpr int64_t kPaceSliceMs = 50;
// The longest real wait for one step of the recorded clock. A longer step is
// the clock being set (an NTP correction, by hand), not time the person
// spent: the program reads the clock's value, not the wait, so the wait is
// cut to this, and a step back is not waited out either.
constexpr int64_t kLongestPaceGapMs = 3000;

// b - a, held to the int64 range (readings from a file can be anything).
int64_t Distance(int64_t a, int64_t b) {
  int64_t d;
  if (__builtin_sub_overflow(b, a, &d)) return b > a ? INT64_MAX : INT64_MIN;
  return d;
}

int64_t SaturatedSum(int64_t a, int64_t b) {
  int64_t sum;
  if (__builtin_add_overflow(a, b, &sum)) return b > 0 ? INT64_MAX : INT64_MIN;
  return sum;
}

}  // namespace

void ReplayBackend::StopPlaying(State state) {
  if (state_ != State::kPlaying) return;
  state_ = state;
  hasPending_ = false;
  if (onStop_) onStop_(onStopContext_);
}

void ReplayBackend::Differ(const std::string& what) {
  if (state_ != State::kPlaying) return;
  difference_ = "differs at frame " + std::to_string(frames_) + ": " + what;
  StopPlaying(State::kDiffers);
}

bool ReplayBackend::Take(Kind kind, Record* r) { return TakeEither(kind, kind, r); }

bool ReplayBackend::TakeInput(Record* r) { return TakeEither(Kind::kEvent, Kind::kNoEvent, r); }

bool ReplayBackend::NextRecord(Record* r) {
  for (;;) {
    if (hasPending_) {
      *r = pending_;
      hasPending_ = false;
    } else if (!tape_->Next(r)) {
      return false;
    }
    // A block that ended while the program waited ends with a check of the
    // frame shown last, as it is then: the program has drawn nothing since.
    if (r->kind != Kind::kCheckpoint) return true;
    CheckFrame(*r);
    if (state_ != State::kPlaying) return false;
  }
}

void ReplayBackend::CheckFrame(const Record& check) {
  const uint64_t hash = LastFrameHash();
  if (static_cast<uint64_t>(check.a) != frames_) {
    Differ("the recording checks frame " + std::to_string(check.a) + " here");
  } else if (pixelChecks_ && hash != check.hash) {
    char text[96];
    std::snprintf(text, sizeof text, "frame hash %016llx, recorded %016llx",
                  static_cast<unsigned long long>(hash),
                  static_cast<unsigned long long>(check.hash));
    Differ(text);
  }
}

bool ReplayBackend::TakeEither(Kind kind, Kind alternative, Record* r) {
  if (state_ != State::kPlaying) return false;
  if (!NextRecord(r)) {
    if (state_ != State::kPlaying) return false;
    if (tape_->end() == TapeReader::End::kComplete &&
        tape_->trailer().ending == Ending::kProgramEnded) {
      Differ(std::string("the program asked for ") + KindName(kind) +
             " after the recording's end");
    } else {
      StopPlaying(State::kEnded);
    }
    return false;
  }
  if (r->kind != kind && r->kind != alternative) {
    Differ(std::string("the program asked for ") + KindName(kind) + " where the recording has " +
           KindName(r->kind));
    return false;
  }
  return true;
}

void ReplayBackend::PaceTo(int64_t tapeMs) {
  int64_t now = SteadyMs();
  if (!paced_) {
    paced_ = true;
    tapeStart_ = tapeMs;
    realStart_ = now;
  }
  // Shown at the recorded pace: as much real time since the first reading
  // as the recording says between them.
  int64_t ahead = SaturatedSum(Distance(now, realStart_), Distance(tapeStart_, tapeMs));
  if (ahead > kLongestPaceGapMs || ahead < -kLongestPaceGapMs) {
    // The clock was set: pace afresh from this reading, the wait cut to the
    // longest (a step back is not waited out at all).
    ahead = ahead > 0 ? kLongestPaceGapMs : 0;
    tapeStart_ = tapeMs;
    realStart_ = now + ahead;
  }
  const int64_t due = now + ahead;
  while (due > now && state_ == State::kPlaying) {
    DrainLive();
    if (state_ != State::kPlaying) break;
    live_->WaitEvent(std::chrono::milliseconds(std::min(due - now, kPaceSliceMs)));
    now = SteadyMs();
  }
}

int64_t ReplayBackend::ClockRead() {
  Record r;
  if (Take(Kind::kClock, &r)) {
    lastClock_ = r.a;
    if (live_) PaceTo(r.a);
    return r.a;
  }
  if (Live()) {
    // After playback the program runs on the real clock, from where it was.
    if (!paced_) realStart_ = SteadyMs(), tapeStart_ = lastClock_, paced_ = true;
    return tapeStart_ + (SteadyMs() - realStart_);
  }
  return lastClock_;  // frozen: the program is about to be stopped
}

int64_t ReplayBackend::CounterRead() {
  Record r;
  if (Take(Kind::kCounter, &r)) {
    lastCounterNs_ = r.a * kCounterUnitNs;
    return lastCounterNs_;
  }
  if (Live()) {
    // After playback the program runs on the real counter, from where it was.
    if (!counterLive_) {
      counterLive_ = true;
      liveCounterStart_ = rt::SystemMonotonicNs();
    }
    return lastCounterNs_ + (rt::SystemMonotonicNs() - liveCounterStart_);
  }
  // Stopped without a display: the program is about to be stopped, but a
  // wait it is in must still come to an end.
  lastCounterNs_ += 1000000;
  return lastCounterNs_;
}

void ReplayBackend::ScreenSize(int* width, int* height) {
  Record r;
  if (Take(Kind::kScreen, &r)) {
    if (width) *width = static_cast<int>(r.a);
    if (height) *height = static_cast<int>(r.b);
  } else if (Live()) {
    live_->ScreenSize(width, height);
  } else {
    if (width) *width = screen_.screenWidth();
    if (height) *height = screen_.screenHeight();
  }
}

NativeWindow* ReplayBackend::CreateWindow(const NativeWindowParams& params) {
  Record r;
  if (Take(Kind::kCreate, &r) && r.a == 0) return nullptr;
  NativeWindow* w = desktop::AsNative(screen_.Create(params));
  if (!w) {
    Differ("a window the recording has could not be made");
    return nullptr;
  }
  byId_.push_back(w);
  if (live_) {
    NativeWindowParams shown = params;
    if (params.owner) shown.owner = LiveOf(params.owner);
    if (NativeWindow* l = live_->CreateWindow(shown)) liveOf_[w] = l;
  }
  return w;
}

void ReplayBackend::DestroyWindow(NativeWindow* window) {
  if (window && window == lastPresented_) {
    lastHash_ = FrameHash(Surface(window));
    lastPresented_ = nullptr;
  }
  for (auto& w : byId_) {
    if (w == window) w = nullptr;
  }
  if (NativeWindow* l = LiveOf(window)) {
    live_->DestroyWindow(l);
    liveOf_.erase(window);
  }
  screen_.Destroy(screen_.Find(window));
}

void ReplayBackend::ShowWindow(NativeWindow* window, bool visible) {
  screen_.Show(screen_.Find(window), visible);
  if (NativeWindow* l = LiveOf(window)) live_->ShowWindow(l, visible);
}

void ReplayBackend::SetTitle(NativeWindow* window, const wchar_t* title) {
  if (desktop::Window* w = screen_.Find(window)) w->title = title ? title : L"";
  if (NativeWindow* l = LiveOf(window)) live_->SetTitle(l, title);
}

void ReplayBackend::Present(NativeWindow* window, int x, int y, int width, int height) {
  if (desktop::Window* w = screen_.Find(window)) desktop::Desktop::Presented(w, x, y, width, height);
  if (live_) Mirror(window);
  Record r;
  // Counted once taken: where the recording ends here, the outcome is said
  // (inside Take) with the frames and the window the recording had.
  if (!Take(Kind::kPresent, &r)) {
    if (Live()) {
      lastPresented_ = window;
      ++frames_;  // counted on the live display
    }
    return;
  }
  lastPresented_ = window;
  ++frames_;
  // A block that ends at this frame ends with its check: made now, before
  // the program draws anything more.
  if (!tape_->Next(&pending_)) return;  // the end shows at the next read
  if (pending_.kind != Kind::kCheckpoint) {
    hasPending_ = true;
    return;
  }
  CheckFrame(pending_);
}

void ReplayBackend::SurfaceOrigin(NativeWindow* window, int* x, int* y) {
  Record r;
  if (Take(Kind::kOrigin, &r)) {
    if (x) *x = static_cast<int>(r.a);
    if (y) *y = static_cast<int>(r.b);
  } else if (NativeWindow* l = Live() ? LiveOf(window) : nullptr) {
    live_->SurfaceOrigin(l, x, y);
  } else {
    desktop::Window* w = screen_.Find(window);
    if (x) *x = w ? w->x : 0;
    if (y) *y = w ? w->y : 0;
  }
}

bool ReplayBackend::PollEvent(InputEvent* event) {
  if (live_ && state_ == State::kPlaying) DrainLive();
  if (injectClose_) {
    // The close box the person used, for the window it belongs to (a
    // dialog's closes the dialog only), if that window is still there.
    injectClose_ = false;
    if (std::find(byId_.begin(), byId_.end(), closeFor_) != byId_.end()) {
      InputEvent e;
      e.type = InputEvent::kCloseRequest;
      e.window = closeFor_;
      if (event) *event = e;
      return true;
    }
  }
  Record r;
  if (TakeInput(&r)) {
    if (r.kind == Kind::kNoEvent) return false;
    InputEvent e = r.event;
    e.window = r.windowId >= 1 && r.windowId <= byId_.size() ? byId_[r.windowId - 1] : nullptr;
    if (e.type == InputEvent::kResized) FollowResize(e);
    if (event) *event = e;
    return true;
  }
  if (!Live()) return false;
  InputEvent e;
  while (live_->PollEvent(&e)) {
    e.window = ReplayOf(e.window);
    if (!e.window) continue;
    if (e.type == InputEvent::kResized) FollowResize(e);
    if (event) *event = e;
    return true;
  }
  return false;
}

void ReplayBackend::FollowResize(const InputEvent& e) {
  // The program takes the new surface from us once it sees the event: the
  // window here gets the size the recorded one got.
  if (e.window) screen_.Resize(screen_.Find(e.window), e.width, e.height);
}

void ReplayBackend::DrainLive() {
  // Live input is not the recording's: only the close box and exposure count.
  InputEvent e;
  while (live_->PollEvent(&e)) {
    NativeWindow* ours = ReplayOf(e.window);
    if (e.type == InputEvent::kCloseRequest && ours) {
      closeFor_ = ours;
      StopPlaying(State::kStopped);
      injectClose_ = true;
      return;
    }
    if (e.type == InputEvent::kExpose) {
      if (NativeWindow* w = ReplayOf(e.window)) Mirror(w);
    }
  }
}

void ReplayBackend::WaitEvent(std::chrono::microseconds timeout) {
  if (Live()) live_->WaitEvent(timeout);
}

void ReplayBackend::PointerPosition(int* x, int* y) {
  Record r;
  if (Take(Kind::kPointer, &r)) {
    if (x) *x = static_cast<int>(r.a);
    if (y) *y = static_cast<int>(r.b);
  } else if (Live()) {
    live_->PointerPosition(x, y);
  } else {
    if (x) *x = screen_.pointerX();
    if (y) *y = screen_.pointerY();
  }
}

void ReplayBackend::WarpPointer(int x, int y) {
  // During playback the person's pointer is left alone.
  if (Live()) live_->WarpPointer(x, y);
}

bool ReplayBackend::GrabPointer(NativeWindow* window) {
  Record r;
  if (Take(Kind::kGrab, &r)) return r.a != 0;
  if (Live()) {
    NativeWindow* l = LiveOf(window);
    return l && live_->GrabPointer(l);
  }
  return false;
}

void ReplayBackend::UngrabPointer() {
  if (live_) live_->UngrabPointer();
}

void ReplayBackend::SetPointerHidden(NativeWindow* window, bool hidden) {
  if (!Live()) return;
  if (NativeWindow* l = LiveOf(window)) live_->SetPointerHidden(l, hidden);
}

void ReplayBackend::Mirror(NativeWindow* window) {
  NativeWindow* l = LiveOf(window);
  if (!l) return;
  const PixelSurface from = Surface(window);
  live_->BeginSurfaceWrite(l);
  const PixelSurface to = live_->Surface(l);
  CopyOverlap(from, to);
  live_->Present(l, 0, 0, std::min(from.width, to.width), std::min(from.height, to.height));
}

NativeWindow* ReplayBackend::LiveOf(NativeWindow* window) {
  auto it = liveOf_.find(window);
  return it == liveOf_.end() ? nullptr : it->second;
}

NativeWindow* ReplayBackend::ReplayOf(NativeWindow* live) {
  for (auto& [replay, l] : liveOf_) {
    if (l == live) return replay;
  }
  return nullptr;
}

bool ReplayBackend::TapeDrained() {
  if (hasPending_) return false;
  if (NextRecord(&pending_)) {
    hasPending_ = true;
    return false;
  }
  return state_ == State::kPlaying;
}

void ReplayBackend::ProgramEnded() {
  Differ(std::string("the program ended where the recording has ") + KindName(pending_.kind));
}

uint64_t ReplayBackend::LastFrameHash() {
  if (lastPresented_) return FrameHash(Surface(lastPresented_));
  return lastHash_;
}

}  // namespace record
}  // namespace kv
