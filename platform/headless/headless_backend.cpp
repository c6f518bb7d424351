// The headless backend's operations: the desktop in memory answers them.
#include "platform/headless/headless_backend.h"

namespace kv {
namespace headless {

using desktop::AsNative;
using desktop::AsWindow;

void HeadlessBackend::ScreenSize(int* width, int* height) {
  if (width) *width = screen.screenWidth();
  if (height) *height = screen.screenHeight();
}

NativeWindow* HeadlessBackend::CreateWindow(const NativeWindowParams& params) {
  return AsNative(screen.Create(params));
}

void HeadlessBackend::DestroyWindow(NativeWindow* window) {
  desktop::Window* w = screen.Find(window);
  if (!w) return;
  shown_.erase(w);
  screen.Destroy(w);
}

void HeadlessBackend::ShowWindow(NativeWindow* window, bool visible) {
  screen.Show(screen.Find(window), visible);
}

void HeadlessBackend::SetTitle(NativeWindow* window, const wchar_t* title) {
  if (desktop::Window* w = screen.Find(window)) w->title = title ? title : L"";
}

PixelSurface HeadlessBackend::Surface(NativeWindow* window) {
  return desktop::SurfaceOf(screen.Find(window));
}

void HeadlessBackend::Present(NativeWindow* window, int x, int y, int width, int height) {
  // The game presents every frame: a pointer comparison, no search.
  desktop::Window* w = AsWindow(window);
  if (!w) return;
  desktop::Desktop::Presented(w, x, y, width, height);
  if (checkWrites) {
    Shown& shown = shown_[w];
    CheckWrites(w, shown);
    shown.pixels = w->pixels;
    shown.width = w->width;
    shown.height = w->height;
    shown.writeAnnounced = false;
  }
}

void HeadlessBackend::BeginSurfaceWrite(NativeWindow* window) {
  // Presenting copies nothing here, so there is never a read to wait for.
  if (!checkWrites) return;
  if (desktop::Window* w = screen.Find(window)) {
    Shown& shown = shown_[w];
    CheckWrites(w, shown);
    shown.writeAnnounced = true;
  }
}

void HeadlessBackend::CheckWrites(desktop::Window* w, Shown& shown) {
  // A surface remade at another size has shown nothing yet.
  if (shown.width != w->width || shown.height != w->height) return;
  if (!shown.writeAnnounced && shown.pixels != w->pixels) ++unannouncedWrites;
}

void HeadlessBackend::SurfaceOrigin(NativeWindow* window, int* x, int* y) {
  desktop::Window* w = AsWindow(window);
  if (x) *x = w ? w->x : 0;
  if (y) *y = w ? w->y : 0;
}

bool HeadlessBackend::PollEvent(InputEvent* event) { return screen.Poll(event); }

void HeadlessBackend::WaitEvent(std::chrono::microseconds timeout) {
  // Never sleeps: a modal loop's pass lets the test act instead, and the
  // time asked for passes at once unless the test queued input.
  if (idleHook) idleHook(idleContext);
  if (!screen.HasEvents() && timeout.count() > 0) monotonicNs += timeout.count() * 1000;
}

void HeadlessBackend::PointerPosition(int* x, int* y) {
  if (x) *x = screen.pointerX();
  if (y) *y = screen.pointerY();
}

void HeadlessBackend::WarpPointer(int x, int y) { screen.MovePointer(x, y); }

bool HeadlessBackend::GrabPointer(NativeWindow* window) {
  if (grabFailures > 0) {
    --grabFailures;
    return false;
  }
  return screen.Grab(screen.Find(window));
}

void HeadlessBackend::UngrabPointer() { screen.Ungrab(); }

void HeadlessBackend::SetPointerHidden(NativeWindow* window, bool hidden) {
  ++visibilityCalls;
  screen.SetPointerHidden(screen.Find(window), hidden);
}

}  // namespace headless
}  // namespace kv
