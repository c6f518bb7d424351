// The pointer. Wayland lets no client move the real pointer or know where
// it is outside its own surfaces, so the pointer the program reads and
// moves is ours: it follows the compositor's reports while the pointer is
// free over our surfaces, and while the game holds the capture with the
// cursor hidden the real pointer is locked in place and ours moves by the
// relative motion the compositor reports, to the fraction of a pixel, so
// that slow motion is never lost. When the lock ends, the real pointer is
// asked to appear where ours is.
#include <linux/input-event-codes.h>
#include <wayland-cursor.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "platform/wayland/wayland_client.h"
#include "pointer-constraints-unstable-v1-client-protocol.h"
#include "relative-pointer-unstable-v1-client-protocol.h"

namespace kv {
namespace wayland {

namespace {

constexpr int kDefaultCursorSize = 24;

WaylandBackend* Of(void* data) { return static_cast<WaylandBackend*>(data); }

void Enter(void* data, wl_pointer*, uint32_t serial, wl_surface* surface, wl_fixed_t x,
           wl_fixed_t y) {
  Of(data)->PointerEntered(surface, serial, wl_fixed_to_double(x), wl_fixed_to_double(y));
}

void Leave(void* data, wl_pointer*, uint32_t, wl_surface* surface) { Of(data)->PointerLeft(surface); }

void Motion(void* data, wl_pointer*, uint32_t, wl_fixed_t x, wl_fixed_t y) {
  Of(data)->PointerMoved(wl_fixed_to_double(x), wl_fixed_to_double(y));
}

void Button(void* data, wl_pointer*, uint32_t, uint32_t, uint32_t button, uint32_t state) {
  Of(data)->PointerButton(button, state == WL_POINTER_BUTTON_STATE_PRESSED);
}

// Wheels and the grouping of reports: nothing the game uses.
void Axis(void*, wl_pointer*, uint32_t, uint32_t, wl_fixed_t) {}
void Frame(void*, wl_pointer*) {}
void AxisSource(void*, wl_pointer*, uint32_t) {}
void AxisStop(void*, wl_pointer*, uint32_t, uint32_t) {}
void AxisDiscrete(void*, wl_pointer*, uint32_t, int32_t) {}

const wl_pointer_listener kPointerListener = {&Enter,      &Leave,    &Motion,       &Button,
                                              &Axis,       &Frame,    &AxisSource,   &AxisStop,
                                              &AxisDiscrete, &AxisDiscrete};

void RelativeMotion(void* data, zwp_relative_pointer_v1*, uint32_t, uint32_t, wl_fixed_t dx,
                    wl_fixed_t dy, wl_fixed_t, wl_fixed_t) {
  // As the pointer would have moved (with the desktop's acceleration).
  Of(data)->PointerMovedBy(wl_fixed_to_double(dx), wl_fixed_to_double(dy));
}

const zwp_relative_pointer_v1_listener kRelativeListener = {&RelativeMotion};

void Locked(void* data, zwp_locked_pointer_v1*) { Of(data)->locked = true; }
void Unlocked(void* data, zwp_locked_pointer_v1*) { Of(data)->LockEnded(); }

const zwp_locked_pointer_v1_listener kLockListener = {&Locked, &Unlocked};

}  // namespace

void WaylandBackend::SeatCapabilities(uint32_t capabilities) {
  const bool hasPointer = (capabilities & WL_SEAT_CAPABILITY_POINTER) != 0;
  if (hasPointer && !pointer) {
    pointer = wl_seat_get_pointer(seat);
    wl_pointer_add_listener(pointer, &kPointerListener, this);
    relativePointer = zwp_relative_pointer_manager_v1_get_relative_pointer(relativeManager, pointer);
    zwp_relative_pointer_v1_add_listener(relativePointer, &kRelativeListener, this);
    UpdateLock();
  } else if (!hasPointer && pointer) {
    DropPointer();
  }
  const bool hasKeyboard = (capabilities & WL_SEAT_CAPABILITY_KEYBOARD) != 0;
  if (hasKeyboard && !keyboard) {
    AttachKeyboard();
  } else if (!hasKeyboard && keyboard) {
    DropKeyboard();
  }
}

void WaylandBackend::DropPointer() {
  if (lock) zwp_locked_pointer_v1_destroy(lock);
  lock = nullptr;
  lockWindow = nullptr;
  locked = false;
  if (relativePointer) zwp_relative_pointer_v1_destroy(relativePointer);
  relativePointer = nullptr;
  if (pointer) {
    if (wl_pointer_get_version(pointer) >= WL_POINTER_RELEASE_SINCE_VERSION)
      wl_pointer_release(pointer);
    else
      wl_pointer_destroy(pointer);
  }
  pointer = nullptr;
  pointerWindow = nullptr;
  buttonsHeld = 0;
}

void WaylandBackend::PointerEntered(wl_surface* surface, uint32_t serial, double sx, double sy) {
  enterSerial = serial;
  pointerWindow = FindSurface(surface);
  if (!pointerWindow) return;  // a frame libdecor draws: its own pointer serves it
  ShowCursorFor(pointerWindow);
  PointerMoved(sx, sy);
}

void WaylandBackend::PointerLeft(wl_surface* surface) {
  if (pointerWindow && pointerWindow->surface == surface) pointerWindow = nullptr;
}

void WaylandBackend::PointerMoved(double sx, double sy) {
  // Locked, the reports are relative (and a motion here was sent before
  // the lock took hold).
  if (!pointerWindow || locked) return;
  pointerX = pointerWindow->originX + sx / zoom;
  pointerY = pointerWindow->originY + sy / zoom;
  KeepPointerOnScreen();
  QueuePointerEvent(InputEvent::kMouseMove, 0);
}

void WaylandBackend::PointerMovedBy(double dx, double dy) {
  // Free, the pointer's place comes with its own report.
  if (!locked) return;
  pointerX += dx / zoom;
  pointerY += dy / zoom;
  KeepPointerOnScreen();
  QueuePointerEvent(InputEvent::kMouseMove, 0);
}

void WaylandBackend::KeepPointerOnScreen() {
  int width = 0, height = 0;
  ScreenSize(&width, &height);
  pointerX = std::clamp(pointerX, 0.0, std::nextafter(static_cast<double>(width), 0.0));
  pointerY = std::clamp(pointerY, 0.0, std::nextafter(static_cast<double>(height), 0.0));
}

void WaylandBackend::PointerButton(uint32_t code, bool pressed) {
  int button = 0;
  switch (code) {
    case BTN_LEFT: button = 1; break;
    case BTN_MIDDLE: button = 2; break;
    case BTN_RIGHT: button = 3; break;
    default: return;  // extra buttons, which the game has no use for
  }
  const unsigned flag = 1u << button;
  if (pressed) {
    buttonsHeld |= flag;
  } else {
    if (!(buttonsHeld & flag)) return;  // pressed before it came to us
    buttonsHeld &= ~flag;
  }
  QueuePointerEvent(pressed ? InputEvent::kButtonDown : InputEvent::kButtonUp, button);
}

void WaylandBackend::QueuePointerEvent(InputEvent::Type type, int button) {
  if (!pointerWindow) return;
  // Under the program's grab everything is the grab window's, in its own
  // coordinates, as on X11.
  WlWindow* target = grab ? grab : pointerWindow;
  InputEvent e;
  e.type = type;
  e.window = AsNative(target);
  e.screenX = static_cast<int>(std::floor(pointerX));
  e.screenY = static_cast<int>(std::floor(pointerY));
  e.x = e.screenX - target->originX;
  e.y = e.screenY - target->originY;
  e.button = button;
  SetModifierState(&e);
  Queue(e);
}

void WaylandBackend::PointerPosition(int* x, int* y) {
  if (x) *x = static_cast<int>(std::floor(pointerX));
  if (y) *y = static_cast<int>(std::floor(pointerY));
}

void WaylandBackend::WarpPointer(int x, int y) {
  int width = 0, height = 0;
  ScreenSize(&width, &height);
  x = std::clamp(x, 0, width - 1);
  y = std::clamp(y, 0, height - 1);
  // The game reads whole pixels and puts the pointer back on its player:
  // the fraction the person moved beyond the pixel it read stays, so that
  // the sum of slow motion reaches the player.
  pointerX = x + (pointerX - std::floor(pointerX));
  pointerY = y + (pointerY - std::floor(pointerY));
}

bool WaylandBackend::GrabPointer(NativeWindow* window) {
  WlWindow* w = Find(window);
  if (!w || !w->shown) return false;
  grab = w;
  UpdateLock();
  wl_display_flush(display);
  return true;
}

void WaylandBackend::UngrabPointer() {
  grab = nullptr;
  UpdateLock();
  wl_display_flush(display);
}

void WaylandBackend::SetPointerHidden(NativeWindow* window, bool hidden) {
  WlWindow* w = Find(window);
  if (!w || w->pointerHidden == hidden) return;
  w->pointerHidden = hidden;
  if (pointerWindow == w) ShowCursorFor(w);
  UpdateLock();
  wl_display_flush(display);
}

void WaylandBackend::UpdateLock() {
  WlWindow* want = grab && grab->pointerHidden && grab->shown && grab->configured && pointer &&
                           constraints
                       ? grab
                       : nullptr;
  if (lock && lockWindow != want) {
    if (locked && lockWindow) {
      // Where the program's pointer is, the real one appears (applied with
      // the surface's next commit, which ends the lock's last moment).
      zwp_locked_pointer_v1_set_cursor_position_hint(
          lock, wl_fixed_from_double((pointerX - lockWindow->originX) * zoom),
          wl_fixed_from_double((pointerY - lockWindow->originY) * zoom));
      wl_surface_commit(lockWindow->surface);
    }
    zwp_locked_pointer_v1_destroy(lock);
    lock = nullptr;
    lockWindow = nullptr;
    locked = false;
  }
  if (want && !lock) {
    // Once: when the compositor ends it (the focus went), it is gone, and
    // the program's capture with it, as on X11.
    lock = zwp_pointer_constraints_v1_lock_pointer(constraints, want->surface, pointer, nullptr,
                                                   ZWP_POINTER_CONSTRAINTS_V1_LIFETIME_ONESHOT);
    zwp_locked_pointer_v1_add_listener(lock, &kLockListener, this);
    lockWindow = want;
    locked = false;
  }
}

void WaylandBackend::LockEnded() {
  if (lock) zwp_locked_pointer_v1_destroy(lock);
  lock = nullptr;
  lockWindow = nullptr;
  locked = false;
  lockLost = true;
}

void WaylandBackend::ShowCursorFor(WlWindow* w) {
  if (!pointer || !w || pointerWindow != w) return;
  if (w->pointerHidden) {
    wl_pointer_set_cursor(pointer, enterSerial, nullptr, 0, 0);
    return;
  }
  // The theme's arrow, at the density of the densest output.
  const int scale = LargestScale();
  if (!cursorTheme || cursorScale != scale) {
    if (cursorTheme) wl_cursor_theme_destroy(cursorTheme);
    int size = kDefaultCursorSize;
    if (const char* text = std::getenv("XCURSOR_SIZE")) {
      const int asked = std::atoi(text);
      if (asked > 0 && asked <= 256) size = asked;
    }
    cursorTheme = wl_cursor_theme_load(std::getenv("XCURSOR_THEME"), size * scale, shm);
    cursorScale = scale;
    arrow = nullptr;
    if (cursorTheme) {
      arrow = wl_cursor_theme_get_cursor(cursorTheme, "left_ptr");
      if (!arrow) arrow = wl_cursor_theme_get_cursor(cursorTheme, "default");
    }
  }
  if (!arrow || arrow->image_count == 0) return;  // the compositor's own, then
  wl_cursor_image* image = arrow->images[0];
  wl_buffer* buffer = wl_cursor_image_get_buffer(image);
  if (!buffer) return;
  if (!cursorSurface) cursorSurface = wl_compositor_create_surface(compositor);
  wl_surface_attach(cursorSurface, buffer, 0, 0);
  wl_surface_set_buffer_scale(cursorSurface, scale);
  wl_surface_damage(cursorSurface, 0, 0, static_cast<int32_t>(image->width),
                    static_cast<int32_t>(image->height));
  wl_surface_commit(cursorSurface);
  wl_pointer_set_cursor(pointer, enterSerial, cursorSurface,
                        static_cast<int32_t>(image->hotspot_x) / scale,
                        static_cast<int32_t>(image->hotspot_y) / scale);
}

void WaylandBackend::WindowGoing(WlWindow* w) {
  if (pointerWindow == w) pointerWindow = nullptr;
  if (keyboardWindow == w) {
    keyboardWindow = nullptr;
    repeatCode = 0;
  }
  if (grab == w) grab = nullptr;
  if (lockWindow == w) {
    // The lock ends with its surface; no place to hint at.
    zwp_locked_pointer_v1_destroy(lock);
    lock = nullptr;
    lockWindow = nullptr;
    locked = false;
  }
  UpdateLock();
}

}  // namespace wayland
}  // namespace kv
