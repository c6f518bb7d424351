#include "platform/record/recording_backend.h"

#include <algorithm>

#include "platform/record/frame_hash.h"

namespace kv {
namespace record {

namespace {
Record Make(Kind kind, int64_t a = 0, int64_t b = 0) {
  Record r;
  r.kind = kind;
  r.a = a;
  r.b = b;
  return r;
}
}  // namespace

namespace {
// A wait is cut to this while recording, so that a stop signal is acted on
// soon (a wait may end early; the caller looks again).
constexpr auto kLongestWait = std::chrono::milliseconds(100);
}  // namespace

void RecordingBackend::ScreenSize(int* width, int* height) {
  Watch();
  int w = 0, h = 0;
  inner_->ScreenSize(&w, &h);
  // What the program is handed is what the file can hold.
  w = std::max(0, HeldToScreenScale(w));
  h = std::max(0, HeldToScreenScale(h));
  Add(Make(Kind::kScreen, w, h));
  if (width) *width = w;
  if (height) *height = h;
}

NativeWindow* RecordingBackend::CreateWindow(const NativeWindowParams& params) {
  Watch();
  NativeWindow* w = inner_->CreateWindow(params);
  Add(Make(Kind::kCreate, w ? 1 : 0));
  // Numbered in creation order, which the layer above repeats on replay.
  if (w) ids_[w] = ++nextId_;
  return w;
}

void RecordingBackend::DestroyWindow(NativeWindow* window) {
  if (window && window == lastPresented_) {
    lastHash_ = FrameHash(inner_->Surface(window));
    lastPresented_ = nullptr;
  }
  ids_.erase(window);
  inner_->DestroyWindow(window);
}

void RecordingBackend::Present(NativeWindow* window, int x, int y, int width, int height) {
  Watch();
  inner_->Present(window, x, y, width, height);
  Add(Make(Kind::kPresent));
  ++frames_;
  lastPresented_ = window;
  if (tape_->BlockDue()) EndBlock();
}

void RecordingBackend::EndBlock() {
  // A block in which frames were shown ends on a check of the last one, so
  // a replay finds a difference within a second of where it began.
  if (frames_ != checkedFrames_) {
    Record check = Make(Kind::kCheckpoint, static_cast<int64_t>(frames_));
    check.hash = LastFrameHash();
    Add(check);
    checkedFrames_ = frames_;
  }
  tape_->EndBlock();
}

void RecordingBackend::SurfaceOrigin(NativeWindow* window, int* x, int* y) {
  Watch();
  int ox = 0, oy = 0;
  inner_->SurfaceOrigin(window, &ox, &oy);
  ox = HeldToScreenScale(ox);
  oy = HeldToScreenScale(oy);
  Add(Make(Kind::kOrigin, ox, oy));
  if (x) *x = ox;
  if (y) *y = oy;
}

bool RecordingBackend::PollEvent(InputEvent* event) {
  Watch();
  InputEvent e;
  if (!inner_->PollEvent(&e)) {
    Add(Make(Kind::kNoEvent));
    return false;
  }
  e.screenX = HeldToScreenScale(e.screenX);
  e.screenY = HeldToScreenScale(e.screenY);
  e.x = HeldToScreenScale(e.x);
  e.y = HeldToScreenScale(e.y);
  Record r = Make(Kind::kEvent);
  r.event = e;
  auto it = ids_.find(e.window);
  r.windowId = it == ids_.end() ? 0 : it->second;
  Add(r);
  if (event) *event = e;
  return true;
}

void RecordingBackend::WaitEvent(std::chrono::microseconds timeout) {
  // Blocks end by time where the program waits as well as at frames, so the
  // file grows at least once a second whatever the program does (a menu or
  // a dialog open, no frame shown). The program draws nothing between a wait
  // and its next reading, where a replay makes the check.
  if (tape_->BlockDue()) EndBlock();
  inner_->WaitEvent(std::min<std::chrono::microseconds>(timeout, kLongestWait));
}

void RecordingBackend::PointerPosition(int* x, int* y) {
  Watch();
  int px = 0, py = 0;
  inner_->PointerPosition(&px, &py);
  px = HeldToScreenScale(px);
  py = HeldToScreenScale(py);
  Add(Make(Kind::kPointer, px, py));
  if (x) *x = px;
  if (y) *y = py;
}

bool RecordingBackend::GrabPointer(NativeWindow* window) {
  Watch();
  const bool ok = inner_->GrabPointer(window);
  Add(Make(Kind::kGrab, ok ? 1 : 0));
  return ok;
}

uint64_t RecordingBackend::LastFrameHash() {
  if (lastPresented_) return FrameHash(inner_->Surface(lastPresented_));
  return lastHash_;
}

}  // namespace record
}  // namespace kv
