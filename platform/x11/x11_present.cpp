// Showing a window's pixels without waiting for the server: a shared-memory
// put is sent and flushed, and the program draws its next frame meanwhile.
// Only the next write to the same surface waits for the server to have read
// it, which the completion event of the put tells.
#include <poll.h>

#include <algorithm>
#include <cerrno>
#include <chrono>

#include "platform/x11/x11_display.h"
#include "platform/x11/x11_errors.h"
#include "platform/x11/x11_image.h"
#include "platform/x11/x11_scale.h"

namespace kv {
namespace x11 {

namespace {

// The longest a write waits for a completion before asking the server
// outright (XSync). Only a lost event or a wedged server gets near it.
constexpr std::chrono::milliseconds kPutWaitLimit{50};

struct CompletionMatch {
  int type;
};

Bool IsCompletion(Display*, XEvent* event, XPointer arg) {
  return event->type == reinterpret_cast<CompletionMatch*>(arg)->type ? True : False;
}

}  // namespace

void X11Backend::Present(NativeWindow* window, int x, int y, int width, int height) {
  XWindowRecord* record = Find(window);
  if (!record || record->gone) return;
  if (!record->logical.empty()) {
    // The one copy of the frame: scaled up into the screen image, which the
    // server may still be reading from the last present.
    const long long left = std::max(x, 0), top = std::max(y, 0);
    const long long right = std::min<long long>(1LL * x + std::max(width, 0), record->logicalWidth);
    const long long bottom = std::min<long long>(1LL * y + std::max(height, 0), record->logicalHeight);
    if (right <= left || bottom <= top) return;
    if (record->putPending) WaitForPut(record);
    ScaleRect(record->logical.data(), record->logicalWidth, record->frame.pixels,
              record->frame.stride, static_cast<int>(left), static_cast<int>(top),
              static_cast<int>(right - left), static_cast<int>(bottom - top), scale_);
    x = static_cast<int>(left) * scale_;
    y = static_cast<int>(top) * scale_;
    width = static_cast<int>(right - left) * scale_;
    height = static_cast<int>(bottom - top) * scale_;
  }
  if (PutFrameImage(display_, record->window, record->gc, &record->frame, x, y, width, height)) {
    record->putPending = true;
    record->putSerial = NextRequest(display_) - 1;
  }
  XFlush(display_);
}

void X11Backend::NoteCompletion(const XEvent& event) {
  // Only the server knows when it has read the image.
  if (event.xany.send_event) return;
  const auto& done = reinterpret_cast<const XShmCompletionEvent&>(event);
  XWindowRecord* record = FindByX(done.drawable);
  // An earlier put of the same window finishing says nothing about the last.
  if (record && record->putPending && done.serial >= record->putSerial)
    record->putPending = false;
}

void X11Backend::BeginSurfaceWrite(NativeWindow* window) {
  XWindowRecord* record = Find(window);
  // Scaled up, the server reads only the screen image, which the present
  // itself waits for.
  if (record && record->putPending && record->logical.empty()) WaitForPut(record);
}

void X11Backend::WaitForPut(XWindowRecord* record) {
  using Clock = std::chrono::steady_clock;
  const Clock::time_point deadline = Clock::now() + kPutWaitLimit;
  CompletionMatch match{shmCompletionType_};
  while (record->putPending) {
    // Completions are taken out of the queue wherever they stand; every other
    // event stays there, in order, for PollEvent.
    XEvent event;
    if (XCheckIfEvent(display_, &event, IsCompletion, reinterpret_cast<XPointer>(&match))) {
      NoteCompletion(event);
      continue;
    }
    // A put the server refused (the window destroyed under us) never
    // completes; its error carries the put's sequence number.
    if (LastErrorSerial(display_) == record->putSerial) break;
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    if (left.count() <= 0) {
      // A lost server ends the program inside this call instead.
      XSync(display_, False);
      break;
    }
    pollfd fd{};
    fd.fd = ConnectionNumber(display_);
    fd.events = POLLIN;
    int ready = poll(&fd, 1, static_cast<int>(left.count()) + 1);
    if (ready < 0 && errno != EINTR) {
      XSync(display_, False);
      break;
    }
  }
  record->putPending = false;
}

}  // namespace x11
}  // namespace kv
