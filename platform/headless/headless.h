// The headless backend: a virtual screen held in memory (the desktop model of
// platform/desktop/), a mouse and keyboard that a test drives, and a wall
// clock that a test sets. Tests and the benchmark install it in code; the
// game cannot tell it from a real display. The controls below act on the
// desktop model as a person would; the backend only answers the windowing
// layer from it (headless_backend.cpp).
#pragma once

#include <cstdint>
#include <string>

#include "platform/surface.h"
#include "platform/win32.h"

namespace kv {
namespace headless {

// Makes a fresh headless backend the active one: a 1920 x 1080 screen, the
// pointer at (0, 0), no windows, the clock frozen at `startMs`. Any earlier
// headless state is dropped.
void Install(int64_t startMs = 1700000000000LL);
// Removes it; the next ActiveBackend() chooses as in a normal run.
void Uninstall();

void SetScreenSize(int width, int height);

// ---- the wall clock that _ftime64_s reads while headless is installed
void SetClockMs(int64_t ms);
void AdvanceClockMs(int64_t ms);
int64_t ClockMs();

// ---- the monotonic clock that QueryPerformanceCounter and timed waits read
// while headless is installed. It moves only when a test advances it or the
// program waits: a wait passes exactly the time it asks for, unless input
// is queued by then (a modal idle hook may queue some), so a wait for the
// next frame ends exactly when the frame is due.
void AdvanceMonotonicNs(int64_t ns);
int64_t MonotonicNs();

// ---- the mouse, in screen pixels. Each call queues the events a real
// pointer would produce (motion, then the button), for the window under
// the pointer or the one that holds the grab.
void MoveMouse(int screenX, int screenY);
void MoveMouseBy(int dx, int dy);
void PressButton(int button);    // 1 left, 2 middle, 3 right
void ReleaseButton(int button);
void Click(int button);          // press and release at the current place
void ClickAt(int screenX, int screenY, int button);
// Same, in client pixels of `window`.
void ClickClient(HWND window, int clientX, int clientY, int button);
void MoveMouseClient(HWND window, int clientX, int clientY);

// ---- the keyboard: virtual-key codes; `ch` is the character the key types.
void PressKey(unsigned vk, wchar_t ch = 0, bool alt = false);
void ReleaseKey(unsigned vk, bool alt = false);
void TypeKey(unsigned vk, wchar_t ch = 0, bool alt = false);  // press and release

// ---- the window manager
void RequestClose(HWND window);  // the close box
void Expose(HWND window);        // the window must be shown again
void LoseWindow(HWND window);    // another client destroyed the native window
// The manager gives the native window another size, menu bar included (as
// one that ignores the fixed-size hints would): its surface is remade at
// once and the change is reported as input.
void ResizeWindow(HWND window, int width, int height);

// ---- the pointer grab: the next `count` grabs fail, as a real server's
// may right after a window appears.
void FailNextGrabs(int count);

// ---- what a person would see
bool PointerHidden();          // the pointer is hidden (over the grabbing window)
bool PointerGrabbed();
int PointerX();
int PointerY();
// The window's title as the window manager shows it.
std::wstring Title(HWND window);
// The client area's pixels as last presented (what is on the screen).
PixelSurface PresentedClient(HWND window);
// The whole native surface as last presented (menu bar and client area).
PixelSurface PresentedSurface(HWND window);
// Number of presents of this window so far.
int64_t PresentCount(HWND window);
// The rectangle of the last present, in native surface pixels (the menu bar
// included); empty before the first.
RECT LastPresentRect(HWND window);
// How often the pointer was hidden or shown over a window so far.
int64_t PointerVisibilityCalls();
// Visible top-level windows, most recently created first (dialogs, message
// boxes and menu drop-downs are top-level windows too).
int VisibleWindowCount();

// A modal loop (a menu, a dialog, a message box) calls this once per pass
// while it waits for input, so that a test can drive it from inside: the
// hook queues input or inspects the screen. Null removes it.
void SetModalIdleHook(void (*hook)(void* context), void* context);

}  // namespace headless
}  // namespace kv
