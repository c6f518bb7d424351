// The web backend's windows, canvas and pointer.
#include "platform/web/web_backend.h"

#include <algorithm>
#include <new>

#include "platform/rt/utf8.h"
#include "platform/web/web_page.h"
#include "platform/win32.h"

namespace kv {
namespace web {

namespace {

// The game's pump never waits; the browser gets a turn this often, so the
// page shows about 60 pictures a second and input keeps flowing. A turn
// every 16 ms drifts against the display's 16.7 ms and misses about every
// third picture (measured: 42 a second against 59 at 8 ms); a turn costs
// far less than the frames in between.
constexpr double kYieldEveryMs = 8;
// A modal loop's wait is cut short by input; this bounds an idle sleep.
constexpr int kLongestWaitMs = 100;
// A picture drawn while the browser has not yet painted the one before is
// held back (drawing it costs a frame's time and nobody would see it); a
// wait then ends this soon, to show it at the browser's next picture.
constexpr int kHeldPictureWaitMs = 4;

// 0x00RRGGBB to the canvas's R, G, B, A bytes (a little-endian word).
inline uint32_t ToRgba(uint32_t p) {
  return ((p >> 16) & 0xFFu) | (p & 0xFF00u) | ((p & 0xFFu) << 16) | 0xFF000000u;
}

}  // namespace

using desktop::AsNative;
using desktop::AsWindow;

void WebBackend::ScreenSize(int* width, int* height) {
  if (width) *width = screen_.screenWidth();
  if (height) *height = screen_.screenHeight();
}

NativeWindow* WebBackend::CreateWindow(const NativeWindowParams& params) {
  desktop::Window* w = screen_.Create(params);
  if (!w) return nullptr;
  const bool isMain = !params.owner && !params.popup && !main_;
  if (isMain) {
    // The page is the main window's desktop: the canvas is exactly its surface.
    try {
      canvas_.assign(static_cast<size_t>(params.width) * params.height, 0xFF000000u);
    } catch (const std::bad_alloc&) {
      screen_.Destroy(w);
      return nullptr;
    }
  }
  if (isMain) {
    main_ = w;
    w->x = w->y = 0;
    screen_.SetScreenSize(params.width, params.height);
    SetScreenSize(params.width, params.height);
  } else if (Framed(w)) {
    // No window manager places dialogs here: the frame is centred on the
    // owner (or the canvas).
    desktop::Window* owner = screen_.Find(params.owner);
    const int areaX = owner ? owner->x : 0, areaY = owner ? owner->y : 0;
    const int areaWidth = owner ? owner->width : screen_.screenWidth();
    const int areaHeight = owner ? owner->height : screen_.screenHeight();
    const int outerWidth = w->width + kFrameLeft + kFrameRight;
    const int outerHeight = w->height + kFrameTop + kFrameBottom;
    PlaceFramed(w, areaX + (areaWidth - outerWidth) / 2 + kFrameLeft,
                areaY + (areaHeight - outerHeight) / 2 + kFrameTop);
  }
  SetTitle(AsNative(w), params.title);
  return AsNative(w);
}

void WebBackend::DestroyWindow(NativeWindow* window) {
  desktop::Window* w = screen_.Find(window);
  if (!w) return;
  if (screen_.hiddenOver() == w) web::SetCursorHidden(false);
  if (w->visible) dirty_ = true;
  if (main_ == w) main_ = nullptr;
  if (moving_ == w) moving_ = nullptr;
  if (closeHeld_ == w) closeHeld_ = nullptr;
  frames_.erase(w);
  screen_.Destroy(w);
  UpdateLock();
}

void WebBackend::ShowWindow(NativeWindow* window, bool visible) {
  desktop::Window* w = screen_.Find(window);
  if (!w) return;
  if (visible != w->visible) dirty_ = true;
  const bool grabbed = screen_.grab() != nullptr;
  screen_.Show(w, visible);
  if (grabbed && !screen_.grab()) UpdateLock();
}

void WebBackend::SetTitle(NativeWindow* window, const wchar_t* title) {
  desktop::Window* w = screen_.Find(window);
  if (!w) return;
  w->title = title ? title : L"";
  // The tab shows the main window's title, a dialog's caption its own.
  if (w == main_)
    web::SetTitle(rt::WideToUtf8(w->title.c_str()).c_str());
  else if (w->visible && Framed(w))
    dirty_ = true;
}

void WebBackend::PlaceFramed(desktop::Window* w, int x, int y) {
  // The whole frame on the canvas where it fits; the caption's left end
  // at least where it does not.
  const int right = screen_.screenWidth() - w->width - kFrameRight;
  const int bottom = screen_.screenHeight() - w->height - kFrameBottom;
  w->x = std::max(std::min(x, right), kFrameLeft);
  w->y = std::max(std::min(y, bottom), kFrameTop);
}

PixelSurface WebBackend::Surface(NativeWindow* window) {
  return desktop::SurfaceOf(screen_.Find(window));
}

void WebBackend::Present(NativeWindow* window, int, int, int, int) {
  // The canvas is drawn when the browser gets its turn, from the surfaces
  // as they are then: a frame presented is never half-drawn, since the
  // game draws only between two turns.
  if (desktop::Window* w = AsWindow(window); w && w->visible) dirty_ = true;
}

void WebBackend::BeginSurfaceWrite(NativeWindow*) {
  // Nothing reads a surface while the game runs: one thread, and the
  // canvas is drawn only while the game waits for the browser.
}

void WebBackend::SurfaceOrigin(NativeWindow* window, int* x, int* y) {
  desktop::Window* w = AsWindow(window);
  if (x) *x = w ? w->x : 0;
  if (y) *y = w ? w->y : 0;
}

void WebBackend::Compose() {
  if (!dirty_ || canvas_.empty()) return;
  dirty_ = false;
  std::fill(canvas_.begin(), canvas_.end(), 0xFF000000u);
  const int screenWidth = screen_.screenWidth(), screenHeight = screen_.screenHeight();
  // Copies a block of 0x00RRGGBB pixels at (left, top) of the screen onto
  // the canvas, clipped to it.
  auto put = [&](const uint32_t* pixels, int left, int top, int width, int height) {
    const int x0 = std::max(left, 0), y0 = std::max(top, 0);
    const int x1 = std::min(left + width, screenWidth), y1 = std::min(top + height, screenHeight);
    for (int y = y0; y < y1; ++y) {
      const uint32_t* src = pixels + static_cast<size_t>(y - top) * width - left;
      uint32_t* dst = canvas_.data() + static_cast<size_t>(y) * screenWidth;
      for (int x = x0; x < x1; ++x) dst[x] = ToRgba(src[x]);
    }
  };
  const desktop::Window* active = screen_.KeyboardTarget();
  for (const desktop::Window* w : screen_.Stacking()) {
    if (Framed(w)) {
      Frame& frame = frames_[w];
      if (UpdateFrame(&frame, *w, w == active, w == closeHeld_ && closeInside_))
        put(frame.pixels.data(), w->x - kFrameLeft, w->y - kFrameTop, frame.width, frame.height);
    }
    put(w->pixels.data(), w->x, w->y, w->width, w->height);
  }
  Blit(reinterpret_cast<const uint8_t*>(canvas_.data()), screenWidth, screenHeight);
}

void WebBackend::YieldToBrowser(int ms) {
  if (dirty_) {
    if (PaintedSinceBlit())
      Compose();
    else
      ms = std::min(ms, kHeldPictureWaitMs);
  }
  Yield(ms);
  lastYieldMs_ = NowMs();
}

bool WebBackend::PollEvent(InputEvent* event) {
  if (NowMs() - lastYieldMs_ >= kYieldEveryMs) YieldToBrowser(0);
  PageEvent page;
  while (!screen_.HasEvents() && NextPageEvent(&page)) Translate(page);
  return screen_.Poll(event);
}

void WebBackend::WaitEvent(std::chrono::microseconds timeout) {
  // The browser's timers count whole milliseconds: round up, never wake early.
  const int64_t ms = std::chrono::ceil<std::chrono::milliseconds>(timeout).count();
  YieldToBrowser(static_cast<int>(std::clamp<int64_t>(ms, 0, kLongestWaitMs)));
}

}  // namespace web
}  // namespace kv
