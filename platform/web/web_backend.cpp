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

WebWindow* AsWeb(NativeWindow* w) { return reinterpret_cast<WebWindow*>(w); }
NativeWindow* AsNative(WebWindow* w) { return reinterpret_cast<NativeWindow*>(w); }

// 0x00RRGGBB to the canvas's R, G, B, A bytes (a little-endian word).
inline uint32_t ToRgba(uint32_t p) {
  return ((p >> 16) & 0xFFu) | (p & 0xFF00u) | ((p & 0xFFu) << 16) | 0xFF000000u;
}

}  // namespace

void WebBackend::ScreenSize(int* width, int* height) {
  if (width) *width = screenWidth_;
  if (height) *height = screenHeight_;
}

NativeWindow* WebBackend::CreateWindow(const NativeWindowParams& params) {
  if (params.width <= 0 || params.height <= 0 || params.width > kMaxSurfaceSide ||
      params.height > kMaxSurfaceSide) {
    return nullptr;
  }
  auto w = std::make_unique<WebWindow>();
  w->x = params.x;
  w->y = params.y;
  w->width = params.width;
  w->height = params.height;
  w->popup = params.popup;
  const bool isMain = !params.owner && !params.popup &&
                      std::none_of(windows_.begin(), windows_.end(),
                                   [](const std::unique_ptr<WebWindow>& p) { return p->main; });
  try {
    w->pixels.assign(static_cast<size_t>(params.width) * params.height, 0u);
    if (isMain) canvas_.assign(static_cast<size_t>(params.width) * params.height, 0xFF000000u);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
  WebWindow* owner = Find(params.owner);
  if (owner && !params.popup) {
    // No window manager places dialogs here: centre them on their owner.
    w->x = owner->x + (owner->width - w->width) / 2;
    w->y = owner->y + (owner->height - w->height) / 2;
  }
  if (isMain) {
    // The page is the main window's desktop: the canvas is exactly its surface.
    w->main = true;
    w->x = w->y = 0;
    screenWidth_ = params.width;
    screenHeight_ = params.height;
    SetScreenSize(screenWidth_, screenHeight_);
  }
  windows_.push_back(std::move(w));
  if (isMain) SetTitle(AsNative(windows_.back().get()), params.title);
  return AsNative(windows_.back().get());
}

WebWindow* WebBackend::Find(NativeWindow* window) {
  for (auto& w : windows_)
    if (AsNative(w.get()) == window) return w.get();
  return nullptr;
}

void WebBackend::DestroyWindow(NativeWindow* window) {
  WebWindow* w = Find(window);
  if (!w) return;
  if (pressedIn_ == w) pressedIn_ = nullptr;
  if (grab_ == w) grab_ = nullptr;
  if (hiddenOver_ == w) {
    hiddenOver_ = nullptr;
    web::SetCursorHidden(false);
  }
  if (w->visible) dirty_ = true;
  windows_.erase(std::remove_if(windows_.begin(), windows_.end(),
                                [w](const std::unique_ptr<WebWindow>& p) { return p.get() == w; }),
                 windows_.end());
  UpdateLock();
}

void WebBackend::ShowWindow(NativeWindow* window, bool visible) {
  WebWindow* w = Find(window);
  if (!w) return;
  if (visible && !w->visible) w->raised = ++raiseCounter_;
  if (visible != w->visible) dirty_ = true;
  w->visible = visible;
  if (!visible && grab_ == w) {
    grab_ = nullptr;
    UpdateLock();
  }
}

void WebBackend::SetTitle(NativeWindow* window, const wchar_t* title) {
  WebWindow* w = Find(window);
  if (!w || !w->main) return;  // the tab shows the main window's title
  web::SetTitle(rt::WideToUtf8(title ? title : L"").c_str());
}

PixelSurface WebBackend::Surface(NativeWindow* window) {
  PixelSurface s;
  WebWindow* w = Find(window);
  if (!w) return s;
  s.pixels = w->pixels.data();
  s.width = w->width;
  s.height = w->height;
  s.stride = w->width;
  return s;
}

void WebBackend::Present(NativeWindow* window, int, int, int, int) {
  // The canvas is drawn when the browser gets its turn, from the surfaces
  // as they are then: a frame presented is never half-drawn, since the
  // game draws only between two turns.
  if (WebWindow* w = AsWeb(window); w && w->visible) dirty_ = true;
}

void WebBackend::BeginSurfaceWrite(NativeWindow*) {
  // Nothing reads a surface while the game runs: one thread, and the
  // canvas is drawn only while the game waits for the browser.
}

void WebBackend::SurfaceOrigin(NativeWindow* window, int* x, int* y) {
  WebWindow* w = AsWeb(window);
  if (x) *x = w ? w->x : 0;
  if (y) *y = w ? w->y : 0;
}

void WebBackend::Compose() {
  if (!dirty_ || canvas_.empty()) return;
  dirty_ = false;
  std::fill(canvas_.begin(), canvas_.end(), 0xFF000000u);
  std::vector<WebWindow*> order;
  for (auto& p : windows_)
    if (p->visible) order.push_back(p.get());
  std::sort(order.begin(), order.end(),
            [](const WebWindow* a, const WebWindow* b) { return a->raised < b->raised; });
  for (const WebWindow* w : order) {
    const int x0 = std::max(w->x, 0), y0 = std::max(w->y, 0);
    const int x1 = std::min(w->x + w->width, screenWidth_);
    const int y1 = std::min(w->y + w->height, screenHeight_);
    for (int y = y0; y < y1; ++y) {
      const uint32_t* src = w->pixels.data() + static_cast<size_t>(y - w->y) * w->width - w->x;
      uint32_t* dst = canvas_.data() + static_cast<size_t>(y) * screenWidth_;
      for (int x = x0; x < x1; ++x) dst[x] = ToRgba(src[x]);
    }
  }
  Blit(reinterpret_cast<const uint8_t*>(canvas_.data()), screenWidth_, screenHeight_);
}

void WebBackend::YieldToBrowser(int ms) {
  Compose();
  Yield(ms);
  lastYieldMs_ = NowMs();
}

bool WebBackend::PollEvent(InputEvent* event) {
  if (NowMs() - lastYieldMs_ >= kYieldEveryMs) YieldToBrowser(0);
  PageEvent page;
  while (NextPageEvent(&page)) {
    InputEvent e;
    if (Translate(page, &e)) {
      if (event) *event = e;
      return true;
    }
  }
  return false;
}

void WebBackend::WaitEvent(std::chrono::microseconds timeout) {
  // The browser's timers count whole milliseconds: round up, never wake early.
  const int64_t ms = std::chrono::ceil<std::chrono::milliseconds>(timeout).count();
  YieldToBrowser(static_cast<int>(std::clamp<int64_t>(ms, 0, kLongestWaitMs)));
}

}  // namespace web
}  // namespace kv
