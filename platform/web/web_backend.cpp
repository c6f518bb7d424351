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
  desktop::Window* owner = screen_.Find(params.owner);
  if (owner && !params.popup) {
    // No window manager places dialogs here: centre them on their owner.
    w->x = owner->x + (owner->width - w->width) / 2;
    w->y = owner->y + (owner->height - w->height) / 2;
  }
  if (isMain) {
    main_ = w;
    w->x = w->y = 0;
    screen_.SetScreenSize(params.width, params.height);
    SetScreenSize(params.width, params.height);
    SetTitle(AsNative(w), params.title);
  }
  return AsNative(w);
}

void WebBackend::DestroyWindow(NativeWindow* window) {
  desktop::Window* w = screen_.Find(window);
  if (!w) return;
  if (screen_.hiddenOver() == w) web::SetCursorHidden(false);
  if (w->visible) dirty_ = true;
  if (main_ == w) main_ = nullptr;
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
  if (!w || w != main_) return;  // the tab shows the main window's title
  w->title = title ? title : L"";
  web::SetTitle(rt::WideToUtf8(w->title.c_str()).c_str());
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
  for (const desktop::Window* w : screen_.Stacking()) {
    const int x0 = std::max(w->x, 0), y0 = std::max(w->y, 0);
    const int x1 = std::min(w->x + w->width, screenWidth);
    const int y1 = std::min(w->y + w->height, screenHeight);
    for (int y = y0; y < y1; ++y) {
      const uint32_t* src = w->pixels.data() + static_cast<size_t>(y - w->y) * w->width - w->x;
      uint32_t* dst = canvas_.data() + static_cast<size_t>(y) * screenWidth;
      for (int x = x0; x < x1; ++x) dst[x] = ToRgba(src[x]);
    }
  }
  Blit(reinterpret_cast<const uint8_t*>(canvas_.data()), screenWidth, screenHeight);
}

void WebBackend::YieldToBrowser(int ms) {
  Compose();
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
