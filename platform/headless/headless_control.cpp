// The headless backend as a test sees it: install it, drive the mouse,
// keyboard and clock, and look at what the screen shows. A person's input
// goes through the desktop model, as it would on any display; what is shown
// is read from there too.
#include <algorithm>

#include "platform/headless/headless.h"
#include "platform/headless/headless_backend.h"
#include "platform/rt/monotonic_clock.h"
#include "platform/rt/wall_clock.h"
#include "platform/user/window.h"

namespace kv {
namespace headless {

namespace {

HeadlessBackend* gCurrent = nullptr;

int64_t ClockSource() { return gCurrent ? gCurrent->clockMs : 0; }
int64_t MonotonicSource() { return gCurrent ? gCurrent->monotonicNs : 0; }

// The desktop window that shows `window` (a child is shown by its top level).
desktop::Window* ScreenOf(HWND window) {
  HWND__* w = user::LiveWindow(window);
  while (w && w->parent) w = w->parent;
  if (!w || !gCurrent) return nullptr;
  return gCurrent->screen.Find(w->native);
}

void TrackModifier(unsigned vk, bool down) {
  desktop::Modifiers& held = gCurrent->screen.modifiers;
  if (vk == VK_SHIFT) held.shift = down;
  if (vk == VK_CONTROL) held.ctrl = down;
  if (vk == VK_MENU) held.alt = down;
}

}  // namespace

HeadlessBackend* Current() { return gCurrent; }

void Install(int64_t startMs) {
  // Windows of an earlier test belong to the backend being dropped.
  user::ResetWindowing();
  HeadlessBackend* old = gCurrent;
  gCurrent = new HeadlessBackend(startMs);
  InstallBackend(gCurrent);
  rt::SetWallClockSource(&ClockSource);
  rt::SetMonotonicSource(&MonotonicSource);
  delete old;
}

void Uninstall() {
  if (!gCurrent) return;
  user::ResetWindowing();
  InstallBackend(nullptr);
  rt::SetWallClockSource(nullptr);
  rt::SetMonotonicSource(nullptr);
  delete gCurrent;
  gCurrent = nullptr;
}

void SetScreenSize(int width, int height) {
  if (gCurrent) gCurrent->screen.SetScreenSize(width, height);
}

void SetClockMs(int64_t ms) {
  if (gCurrent) gCurrent->clockMs = ms;
}

void AdvanceClockMs(int64_t ms) {
  if (gCurrent) gCurrent->clockMs += ms;
}

int64_t ClockMs() { return ClockSource(); }

void AdvanceMonotonicNs(int64_t ns) {
  if (gCurrent && ns > 0) gCurrent->monotonicNs += ns;
}

int64_t MonotonicNs() { return MonotonicSource(); }

void MoveMouse(int screenX, int screenY) {
  if (!gCurrent) return;
  gCurrent->screen.MovePointer(screenX, screenY);
  gCurrent->screen.QueuePointerMove();
}

void MoveMouseBy(int dx, int dy) {
  if (!gCurrent) return;
  // In 64 bits: a step off any edge stops there.
  const int64_t x = int64_t{gCurrent->screen.pointerX()} + dx;
  const int64_t y = int64_t{gCurrent->screen.pointerY()} + dy;
  MoveMouse(static_cast<int>(std::clamp<int64_t>(x, INT32_MIN, INT32_MAX)),
            static_cast<int>(std::clamp<int64_t>(y, INT32_MIN, INT32_MAX)));
}

void PressButton(int button) {
  if (gCurrent) gCurrent->screen.QueueButton(true, button);
}

void ReleaseButton(int button) {
  if (gCurrent) gCurrent->screen.QueueButton(false, button);
}

void Click(int button) {
  PressButton(button);
  ReleaseButton(button);
}

void ClickAt(int screenX, int screenY, int button) {
  MoveMouse(screenX, screenY);
  Click(button);
}

void ClickClient(HWND window, int clientX, int clientY, int button) {
  POINT p{clientX, clientY};
  if (!ClientToScreen(window, &p)) return;
  ClickAt(p.x, p.y, button);
}

void MoveMouseClient(HWND window, int clientX, int clientY) {
  POINT p{clientX, clientY};
  if (!ClientToScreen(window, &p)) return;
  MoveMouse(p.x, p.y);
}

void PressKey(unsigned vk, wchar_t ch, bool alt) {
  if (!gCurrent) return;
  TrackModifier(vk, true);
  gCurrent->screen.QueueKey(true, vk, ch, alt || gCurrent->screen.modifiers.alt);
}

void ReleaseKey(unsigned vk, bool alt) {
  if (!gCurrent) return;
  // Alt's own release still carries Alt, as the platform reports it.
  gCurrent->screen.QueueKey(false, vk, 0, alt || gCurrent->screen.modifiers.alt);
  TrackModifier(vk, false);
}

void TypeKey(unsigned vk, wchar_t ch, bool alt) {
  PressKey(vk, ch, alt);
  ReleaseKey(vk, alt);
}

void RequestClose(HWND window) {
  if (gCurrent) gCurrent->screen.QueueWindowEvent(InputEvent::kCloseRequest, ScreenOf(window));
}

void Expose(HWND window) {
  if (gCurrent) gCurrent->screen.QueueWindowEvent(InputEvent::kExpose, ScreenOf(window));
}

void LoseWindow(HWND window) {
  if (gCurrent) gCurrent->screen.QueueWindowEvent(InputEvent::kWindowGone, ScreenOf(window));
}

void ResizeWindow(HWND window, int width, int height) {
  if (gCurrent) gCurrent->screen.QueueResize(ScreenOf(window), width, height);
}

void FailNextGrabs(int count) {
  if (gCurrent) gCurrent->grabFailures = std::max(0, count);
}

bool PointerHidden() { return gCurrent && gCurrent->screen.hiddenOver() != nullptr; }

bool PointerGrabbed() { return gCurrent && gCurrent->screen.grab() != nullptr; }

int PointerX() { return gCurrent ? gCurrent->screen.pointerX() : 0; }

int PointerY() { return gCurrent ? gCurrent->screen.pointerY() : 0; }

std::wstring Title(HWND window) {
  desktop::Window* w = ScreenOf(window);
  return w ? w->title : std::wstring();
}

PixelSurface PresentedClient(HWND window) {
  // The surface is the screen: what was drawn and presented is there.
  return user::ClientView(user::LiveWindow(window));
}

PixelSurface PresentedSurface(HWND window) {
  HWND__* w = user::LiveWindow(window);
  while (w && w->parent) w = w->parent;
  return w ? w->surface : PixelSurface{};
}

int64_t PresentCount(HWND window) {
  desktop::Window* w = ScreenOf(window);
  return w ? w->presents : 0;
}

RECT LastPresentRect(HWND window) {
  desktop::Window* w = ScreenOf(window);
  if (!w) return RECT{};
  return RECT{w->lastPresentX, w->lastPresentY, w->lastPresentX + w->lastPresentWidth,
              w->lastPresentY + w->lastPresentHeight};
}

int64_t PointerVisibilityCalls() { return gCurrent ? gCurrent->visibilityCalls : 0; }

int VisibleWindowCount() { return gCurrent ? gCurrent->screen.VisibleCount() : 0; }

void SetModalIdleHook(void (*hook)(void* context), void* context) {
  if (!gCurrent) return;
  gCurrent->idleHook = hook;
  gCurrent->idleContext = context;
}

}  // namespace headless
}  // namespace kv
