// The headless backend as a test sees it: install it, drive the mouse,
// keyboard and clock, and look at what the screen shows.
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

// The screen window that shows `window` (a child is shown by its top level).
ScreenWindow* ScreenOf(HWND window) {
  HWND__* w = user::LiveWindow(window);
  while (w && w->parent) w = w->parent;
  if (!w || !gCurrent) return nullptr;
  return gCurrent->Find(w->native);
}

unsigned ButtonBit(int button) { return button >= 1 && button <= 3 ? 1u << button : 0u; }

void TrackModifier(unsigned vk, bool down) {
  if (vk == VK_SHIFT) gCurrent->shiftHeld = down;
  if (vk == VK_CONTROL) gCurrent->ctrlHeld = down;
  if (vk == VK_MENU) gCurrent->altHeld = down;
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
  if (!gCurrent) return;
  gCurrent->screenWidth = std::max(1, width);
  gCurrent->screenHeight = std::max(1, height);
  gCurrent->ClampPointer();
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
  gCurrent->pointerX = screenX;
  gCurrent->pointerY = screenY;
  gCurrent->ClampPointer();
  gCurrent->QueuePointerEvent(InputEvent::kMouseMove, 0);
}

void MoveMouseBy(int dx, int dy) {
  if (!gCurrent) return;
  MoveMouse(gCurrent->pointerX + dx, gCurrent->pointerY + dy);
}

void PressButton(int button) {
  const unsigned bit = ButtonBit(button);
  if (!gCurrent || !bit) return;
  // A press starts an implicit grab, as on a real server: the release goes
  // where the press went.
  if (gCurrent->buttonsHeld == 0) gCurrent->pressedIn = gCurrent->PointerTarget();
  gCurrent->buttonsHeld |= bit;
  gCurrent->QueuePointerEvent(InputEvent::kButtonDown, button);
}

void ReleaseButton(int button) {
  const unsigned bit = ButtonBit(button);
  if (!gCurrent || !bit) return;
  gCurrent->QueuePointerEvent(InputEvent::kButtonUp, button);
  gCurrent->buttonsHeld &= ~bit;
  if (gCurrent->buttonsHeld == 0) gCurrent->pressedIn = nullptr;
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
  gCurrent->QueueKeyEvent(InputEvent::kKeyDown, vk, ch, alt || gCurrent->altHeld);
}

void ReleaseKey(unsigned vk, bool alt) {
  if (!gCurrent) return;
  // Alt's own release still carries Alt, as the platform reports it.
  gCurrent->QueueKeyEvent(InputEvent::kKeyUp, vk, 0, alt || gCurrent->altHeld);
  TrackModifier(vk, false);
}

void TypeKey(unsigned vk, wchar_t ch, bool alt) {
  PressKey(vk, ch, alt);
  ReleaseKey(vk, alt);
}

void RequestClose(HWND window) {
  if (gCurrent) gCurrent->QueueWindowEvent(InputEvent::kCloseRequest, ScreenOf(window));
}

void Expose(HWND window) {
  if (gCurrent) gCurrent->QueueWindowEvent(InputEvent::kExpose, ScreenOf(window));
}

void LoseWindow(HWND window) {
  if (gCurrent) gCurrent->QueueWindowEvent(InputEvent::kWindowGone, ScreenOf(window));
}

void ResizeWindow(HWND window, int width, int height) {
  if (gCurrent) gCurrent->QueueResize(ScreenOf(window), width, height);
}

void FailNextGrabs(int count) {
  if (gCurrent) gCurrent->grabFailures = std::max(0, count);
}

bool PointerHidden() { return gCurrent && gCurrent->hiddenOver != nullptr; }

bool PointerGrabbed() { return gCurrent && gCurrent->grab != nullptr; }

int PointerX() { return gCurrent ? gCurrent->pointerX : 0; }

int PointerY() { return gCurrent ? gCurrent->pointerY : 0; }

std::wstring Title(HWND window) {
  ScreenWindow* w = ScreenOf(window);
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
  ScreenWindow* w = ScreenOf(window);
  return w ? w->presents : 0;
}

RECT LastPresentRect(HWND window) {
  ScreenWindow* w = ScreenOf(window);
  return w ? w->lastPresent : RECT{};
}

int64_t PointerVisibilityCalls() { return gCurrent ? gCurrent->visibilityCalls : 0; }

int VisibleWindowCount() {
  if (!gCurrent) return 0;
  int n = 0;
  for (auto& w : gCurrent->windows) n += w->visible ? 1 : 0;
  return n;
}

void SetModalIdleHook(void (*hook)(void* context), void* context) {
  if (!gCurrent) return;
  gCurrent->idleHook = hook;
  gCurrent->idleContext = context;
}

}  // namespace headless
}  // namespace kv
