// What a display backend provides to the windowing layer (platform/user).
//
// The windowing layer keeps every window's pixels itself: each native window
// is a plain 32-bit surface that the layer draws into (client area, menu bar,
// dialog controls) and then asks the backend to show. A backend therefore
// only needs top-level surfaces on a screen, input, and the pointer.
//
// Backends stand side by side: x11/ for a real desktop, headless/ for tests
// and the benchmark, web/ in the browser build; headless/ and web/ keep their
// windows on the desktop in memory of platform/desktop/, as the replay of a
// recording does. The tests choose headless in code; the program picks from
// an ordered table (platform/entry/backends.h).
#pragma once

#include <chrono>
#include <cstdint>

#include "platform/surface.h"

namespace kv {

// A top-level window of the backend; what it is depends on the backend.
struct NativeWindow;

// No backend makes a surface side longer than this: a huge request, or a
// window stretched by another client, fails cleanly or stops there rather
// than exhausting memory.
constexpr int kMaxSurfaceSide = 8192;

// No backend reports a screen coordinate (a pointer's or a window's place,
// on the screen or in a surface) or a screen side beyond this in size: X11
// carries 16-bit coordinates, and no display comes near a million pixels
// across. What reads such numbers from elsewhere (a recording) holds them to
// it, and sums of a few of them stay far inside an int.
constexpr int kMaxScreenCoordinate = 1 << 20;

struct NativeWindowParams {
  int x = 0, y = 0;              // screen position of the surface's top-left pixel
  int width = 0, height = 0;     // surface size in pixels, as asked
  NativeWindow* owner = nullptr; // a dialog or message box is owned by the main window
  bool popup = false;            // a menu drop-down: no decorations, not managed
  const wchar_t* title = L"";
};

// A display that shows the program at an integer scale takes the factor from
// the program's first window: its main window, or a message box saying why
// there is none (neither owned nor a drop-down).
inline bool SettlesTheScale(const NativeWindowParams& params) {
  return !params.popup && !params.owner && params.width > 0 && params.height > 0;
}

// Whether a window of the asked size can be shown at `scale` with no
// surface side over kMaxSurfaceSide.
inline bool FitsAtScale(const NativeWindowParams& params, int scale) {
  return params.width > 0 && params.height > 0 && params.width <= kMaxSurfaceSide / scale &&
         params.height <= kMaxSurfaceSide / scale;
}

// Virtual-key codes are those of the interface (VK_RETURN, 'A', ...).
struct InputEvent {
  // Recordings store the type by number: add new types at the end, and make
  // kLastType the new one (the recording's codec reads it).
  enum Type {
    kNone,
    kMouseMove,
    kButtonDown,
    kButtonUp,
    kKeyDown,
    kKeyUp,
    kCloseRequest,  // the window manager's close box
    kExpose,        // the surface must be shown again
    kFocusLost,
    kWindowGone,    // someone else destroyed the native window
    kFocusGained,   // the window took the keyboard focus (it is active)
    kResized,       // the window was given another size: its surface now has
                    // `width` x `height` pixels at a new address
    kLastType = kResized,
  };
  Type type = kNone;
  NativeWindow* window = nullptr;
  int x = 0, y = 0;            // pointer, in the window's surface pixels
  int screenX = 0, screenY = 0;  // pointer, in screen pixels
  int button = 0;              // 1 left, 2 middle, 3 right
  unsigned key = 0;            // virtual-key code
  wchar_t ch = 0;              // character produced by a key, or 0
  bool alt = false, shift = false, ctrl = false;
  int width = 0, height = 0;   // kResized: the surface's new size
};

class Backend {
 public:
  virtual ~Backend() = default;

  // A short name for messages ("x11", "headless").
  virtual const char* Name() const = 0;

  // Screen size in pixels.
  virtual void ScreenSize(int* width, int* height) = 0;

  // Creates a hidden window with a surface of params.width x params.height,
  // black. Null when the backend cannot make one.
  virtual NativeWindow* CreateWindow(const NativeWindowParams& params) = 0;
  // Destroys the window and its surface; pending events for it are dropped.
  virtual void DestroyWindow(NativeWindow* window) = 0;
  virtual void ShowWindow(NativeWindow* window, bool visible) = 0;
  virtual void SetTitle(NativeWindow* window, const wchar_t* title) = 0;

  // The window's pixels. A window manager, or another client, may give the
  // window another size; the backend then makes a new surface of that size
  // (the old pixels at its top-left, black beyond) and reports kResized.
  // So the address stays valid until the window is destroyed or a
  // kResized event for it is taken, and whoever keeps it takes the new one
  // then.
  virtual PixelSurface Surface(NativeWindow* window) = 0;
  // Shows the given rectangle of the surface on the screen. The display may
  // still be reading the surface when this returns.
  virtual void Present(NativeWindow* window, int x, int y, int width, int height) = 0;
  // Call before writing the window's surface; returns when the display no
  // longer reads it, so a frame is never shown half-drawn. Cheap when no
  // present is outstanding.
  virtual void BeginSurfaceWrite(NativeWindow* window) = 0;

  // Screen position of the surface's top-left pixel.
  virtual void SurfaceOrigin(NativeWindow* window, int* x, int* y) = 0;

  // Takes the next pending input event without waiting; false if none.
  virtual bool PollEvent(InputEvent* event) = 0;
  // Waits until an event is pending or the time has passed (none when the
  // time is not positive); it may end early but never sleeps past it by more
  // than the system's timer does. Modal loops and MsgWaitForMultipleObjects
  // use it. A backend that can wait only whole milliseconds rounds up.
  virtual void WaitEvent(std::chrono::microseconds timeout) = 0;

  // The pointer, in screen pixels.
  virtual void PointerPosition(int* x, int* y) = 0;
  // Moves the pointer; it is kept on the screen.
  virtual void WarpPointer(int x, int y) = 0;
  // All pointer input goes to this window until released. May fail briefly
  // right after a window appears; the caller may try again.
  virtual bool GrabPointer(NativeWindow* window) = 0;
  virtual void UngrabPointer() = 0;
  // Hides or shows the pointer over the window (and while grabbed).
  virtual void SetPointerHidden(NativeWindow* window, bool hidden) = 0;
};

// The backend in use: the one installed, or else the one the opener gives on
// the first call (tried once); null when there is neither, or no display can
// be opened. The windowing layer keeps this choice; which backends exist is
// decided above it (platform/entry/backends.h), so it names none of them.
Backend* ActiveBackend();

// Makes `backend` the one in use (tests and the benchmark install headless).
// Passing null returns to the opener's choice on the next ActiveBackend().
void InstallBackend(Backend* backend);

// What opens the backend of a normal run; the program sets it before it
// starts. Without one, nothing is opened.
using BackendOpener = Backend* (*)();
void SetBackendOpener(BackendOpener opener);

}  // namespace kv
