// The headless backend's operations: a screen in memory.
#include "platform/headless/headless_backend.h"

#include <algorithm>
#include <new>

namespace kv {
namespace headless {

void HeadlessBackend::ScreenSize(int* width, int* height) {
  if (width) *width = screenWidth;
  if (height) *height = screenHeight;
}

NativeWindow* HeadlessBackend::CreateWindow(const NativeWindowParams& params) {
  if (params.width <= 0 || params.height <= 0 || params.width > kMaxSurfaceSide ||
      params.height > kMaxSurfaceSide) {
    return nullptr;
  }
  auto w = std::make_unique<ScreenWindow>();
  w->x = params.x;
  w->y = params.y;
  w->width = params.width;
  w->height = params.height;
  w->popup = params.popup;
  w->title = params.title ? params.title : L"";
  try {
    w->pixels.assign(static_cast<size_t>(params.width) * params.height, 0u);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
  windows.push_back(std::move(w));
  return AsNative(windows.back().get());
}

bool HeadlessBackend::ResizeSurface(NativeWindow* window, int width, int height) {
  ScreenWindow* w = Find(window);
  if (!w) return false;
  width = std::clamp(width, 1, kMaxSurfaceSide);
  height = std::clamp(height, 1, kMaxSurfaceSide);
  if (width == w->width && height == w->height) return false;
  std::vector<uint32_t> pixels;
  try {
    pixels.assign(static_cast<size_t>(width) * height, 0u);
  } catch (const std::bad_alloc&) {
    return false;  // the window keeps the surface it has
  }
  CopyOverlap(Surface(window), PixelSurface{pixels.data(), width, height, width});
  w->pixels.swap(pixels);
  w->width = width;
  w->height = height;
  w->shown.clear();
  w->writeAnnounced = true;
  return true;
}

ScreenWindow* HeadlessBackend::Find(NativeWindow* window) {
  for (auto& w : windows) {
    if (AsNative(w.get()) == window) return w.get();
  }
  return nullptr;
}

void HeadlessBackend::DestroyWindow(NativeWindow* window) {
  ScreenWindow* w = Find(window);
  if (!w) return;
  events.erase(std::remove_if(events.begin(), events.end(),
                              [window](const InputEvent& e) { return e.window == window; }),
               events.end());
  if (grab == w) grab = nullptr;
  if (pressedIn == w) pressedIn = nullptr;
  if (hiddenOver == w) hiddenOver = nullptr;
  windows.erase(std::remove_if(windows.begin(), windows.end(),
                               [w](const std::unique_ptr<ScreenWindow>& p) { return p.get() == w; }),
                windows.end());
}

void HeadlessBackend::ShowWindow(NativeWindow* window, bool visible) {
  ScreenWindow* w = Find(window);
  if (!w) return;
  if (visible && !w->visible) w->raised = ++raiseCounter;
  w->visible = visible;
  if (!visible && grab == w) grab = nullptr;
}

void HeadlessBackend::SetTitle(NativeWindow* window, const wchar_t* title) {
  if (ScreenWindow* w = Find(window)) w->title = title ? title : L"";
}

PixelSurface HeadlessBackend::Surface(NativeWindow* window) {
  PixelSurface s;
  ScreenWindow* w = Find(window);
  if (!w) return s;
  s.pixels = w->pixels.data();
  s.width = w->width;
  s.height = w->height;
  s.stride = w->width;
  return s;
}

void HeadlessBackend::Present(NativeWindow* window, int x, int y, int width, int height) {
  // The game presents every frame: a pointer comparison, no search.
  ScreenWindow* w = AsScreen(window);
  if (!w) return;
  ++w->presents;
  w->lastPresent = RECT{x, y, x + width, y + height};
  if (checkWrites) {
    CheckWrites(w);
    w->shown = w->pixels;
    w->writeAnnounced = false;
  }
}

void HeadlessBackend::BeginSurfaceWrite(NativeWindow* window) {
  // Presenting copies nothing here, so there is never a read to wait for.
  if (!checkWrites) return;
  if (ScreenWindow* w = Find(window)) {
    CheckWrites(w);
    w->writeAnnounced = true;
  }
}

void HeadlessBackend::CheckWrites(ScreenWindow* w) {
  if (!w->writeAnnounced && w->shown != w->pixels) ++unannouncedWrites;
}

void HeadlessBackend::SurfaceOrigin(NativeWindow* window, int* x, int* y) {
  ScreenWindow* w = AsScreen(window);
  if (x) *x = w ? w->x : 0;
  if (y) *y = w ? w->y : 0;
}

bool HeadlessBackend::PollEvent(InputEvent* event) {
  if (events.empty()) return false;
  if (event) *event = events.front();
  events.pop_front();
  return true;
}

void HeadlessBackend::WaitEvent(std::chrono::microseconds timeout) {
  // Never sleeps: a modal loop's pass lets the test act instead, and the
  // time asked for passes at once unless the test queued input.
  if (idleHook) idleHook(idleContext);
  if (events.empty() && timeout.count() > 0) monotonicNs += timeout.count() * 1000;
}

void HeadlessBackend::PointerPosition(int* x, int* y) {
  if (x) *x = pointerX;
  if (y) *y = pointerY;
}

void HeadlessBackend::ClampPointer() {
  pointerX = std::clamp(pointerX, 0, std::max(0, screenWidth - 1));
  pointerY = std::clamp(pointerY, 0, std::max(0, screenHeight - 1));
}

void HeadlessBackend::WarpPointer(int x, int y) {
  pointerX = x;
  pointerY = y;
  ClampPointer();
}

bool HeadlessBackend::GrabPointer(NativeWindow* window) {
  ScreenWindow* w = Find(window);
  if (grabFailures > 0) {
    --grabFailures;
    return false;
  }
  if (!w || !w->visible) return false;  // as a real server: not viewable
  grab = w;
  return true;
}

void HeadlessBackend::UngrabPointer() { grab = nullptr; }

void HeadlessBackend::SetPointerHidden(NativeWindow* window, bool hidden) {
  ++visibilityCalls;
  ScreenWindow* w = Find(window);
  if (hidden) {
    if (w) hiddenOver = w;
  } else if (!w || hiddenOver == w) {
    hiddenOver = nullptr;
  }
}

ScreenWindow* HeadlessBackend::PointerTarget() {
  if (grab) return grab;
  if (pressedIn) return pressedIn;
  ScreenWindow* best = nullptr;
  for (auto& p : windows) {
    ScreenWindow* w = p.get();
    if (!w->visible) continue;
    if (pointerX < w->x || pointerY < w->y || pointerX >= w->x + w->width ||
        pointerY >= w->y + w->height) {
      continue;
    }
    if (!best || w->raised > best->raised) best = w;
  }
  return best;
}

ScreenWindow* HeadlessBackend::KeyboardTarget() {
  ScreenWindow* best = nullptr;
  for (auto& p : windows) {
    ScreenWindow* w = p.get();
    if (!w->visible || w->popup) continue;
    if (!best || w->raised > best->raised) best = w;
  }
  return best;
}

// An event for `target` with the pointer's place and the held modifiers.
InputEvent HeadlessBackend::EventAtPointer(InputEvent::Type type, ScreenWindow* target) const {
  InputEvent e;
  e.type = type;
  e.window = AsNative(target);
  e.x = pointerX - target->x;
  e.y = pointerY - target->y;
  e.screenX = pointerX;
  e.screenY = pointerY;
  e.alt = altHeld;
  e.shift = shiftHeld;
  e.ctrl = ctrlHeld;
  return e;
}

void HeadlessBackend::QueuePointerEvent(InputEvent::Type type, int button) {
  ScreenWindow* target = PointerTarget();
  if (!target) return;  // over the bare desktop
  InputEvent e = EventAtPointer(type, target);
  e.button = button;
  events.push_back(e);
}

void HeadlessBackend::QueueKeyEvent(InputEvent::Type type, unsigned vk, wchar_t ch, bool alt) {
  ScreenWindow* target = KeyboardTarget();
  if (!target) return;
  InputEvent e = EventAtPointer(type, target);
  e.key = vk;
  e.ch = ch;
  e.alt = alt;
  events.push_back(e);
}

void HeadlessBackend::QueueResize(ScreenWindow* window, int width, int height) {
  if (!window || !ResizeSurface(AsNative(window), width, height)) return;
  InputEvent e;
  e.type = InputEvent::kResized;
  e.window = AsNative(window);
  e.screenX = pointerX;
  e.screenY = pointerY;
  e.width = window->width;
  e.height = window->height;
  events.push_back(e);
}

void HeadlessBackend::QueueWindowEvent(InputEvent::Type type, ScreenWindow* window) {
  if (!window) return;
  InputEvent e;
  e.type = type;
  e.window = AsNative(window);
  e.screenX = pointerX;
  e.screenY = pointerY;
  events.push_back(e);
}

}  // namespace headless
}  // namespace kv
