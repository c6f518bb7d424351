// The Wayland backend's state, shared by its files: the connection and its
// globals (wayland_backend.cpp), windows and their roles (wayland_windows.cpp,
// wayland_toplevel.cpp), pixels (wayland_present.cpp), outputs and scale
// (wayland_outputs.cpp), the pointer (wayland_pointer.cpp) and the keyboard
// (wayland_keyboard.cpp).
//
// Wayland tells a client nothing of where its windows are. The program's
// screen is one of our own making: each window keeps the place the program
// gave it, a drop-down is a subsurface at its place relative to its owner,
// and the pointer the program reads is ours, moved by the compositor's
// reports over our surfaces (absolute while free, relative while locked).
#pragma once

#include <wayland-client.h>
#include <xkbcommon/xkbcommon.h>

#include <chrono>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "platform/backend.h"
#include "platform/wayland/wayland_rect.h"

struct libdecor;
struct libdecor_frame;
struct xdg_wm_base;
struct xdg_surface;
struct xdg_toplevel;
struct zxdg_decoration_manager_v1;
struct zxdg_toplevel_decoration_v1;
struct zwp_relative_pointer_manager_v1;
struct zwp_relative_pointer_v1;
struct zwp_pointer_constraints_v1;
struct zwp_locked_pointer_v1;
struct wl_cursor_theme;
struct wl_cursor;

namespace kv {
namespace wayland {

class WaylandBackend;
struct WlWindow;

enum class WindowKind { kMain, kDialog, kPopup };

// One shared-memory buffer of a window, in buffer pixels.
struct ShmBuffer {
  WlWindow* window = nullptr;
  wl_buffer* buffer = nullptr;
  uint32_t* pixels = nullptr;
  size_t bytes = 0;
  int width = 0, height = 0;
  // Attached and committed, and not yet released: the compositor may read
  // it, so it is never written.
  bool busy = false;
  // Given up (the window changed size or scale) while busy: destroyed on
  // its release.
  bool retired = false;
  // Program pixels that changed since it was last written.
  Rect stale;
};

struct Output {
  wl_output* output = nullptr;
  uint32_t name = 0;  // the registry's
  int scale = 1;
  int width = 0, height = 0;  // the current mode, in output pixels
};

struct WlWindow {
  WaylandBackend* backend = nullptr;
  WindowKind kind = WindowKind::kMain;
  WlWindow* owner = nullptr;
  wl_surface* surface = nullptr;
  // While shown: a toplevel's role, either through xdg-shell (with
  // server-side decorations where offered) or through libdecor; a
  // drop-down's subsurface.
  xdg_surface* xdgSurface = nullptr;
  xdg_toplevel* toplevel = nullptr;
  zxdg_toplevel_decoration_v1* decoration = nullptr;
  libdecor_frame* frame = nullptr;
  wl_subsurface* subsurface = nullptr;
  bool shown = false;
  // The compositor's first configure of the role is acknowledged: until
  // then no buffer may be attached.
  bool configured = false;
  // The size the toplevel's pending configure asks for (logical, 0 for
  // "yours") and whether it is active, taken when the configure ends.
  int askedWidth = 0, askedHeight = 0;
  bool askedActive = false;
  bool active = false;

  int originX = 0, originY = 0;  // on the program's screen
  int width = 0, height = 0;     // in the program's pixels
  std::vector<uint32_t> pixels;  // what the program draws
  std::string title;             // UTF-8

  int scale = 1;                       // the buffer scale in use
  std::vector<wl_output*> outputs;     // those the surface is on
  std::vector<std::unique_ptr<ShmBuffer>> buffers;
  Rect damage;                 // presented since the last commit
  bool presentWanted = false;  // a present waits for the compositor's frame
  wl_callback* frameCallback = nullptr;
  bool pointerHidden = false;
};

inline NativeWindow* AsNative(WlWindow* w) { return reinterpret_cast<NativeWindow*>(w); }

class WaylandBackend final : public Backend {
 public:
  WaylandBackend(wl_display* display, int zoom, bool zoomGiven);
  ~WaylandBackend() override;

  const char* Name() const override { return "wayland"; }
  void ScreenSize(int* width, int* height) override;
  NativeWindow* CreateWindow(const NativeWindowParams& params) override;
  void DestroyWindow(NativeWindow* window) override;
  void ShowWindow(NativeWindow* window, bool visible) override;
  void SetTitle(NativeWindow* window, const wchar_t* title) override;
  PixelSurface Surface(NativeWindow* window) override;
  void Present(NativeWindow* window, int x, int y, int width, int height) override;
  void BeginSurfaceWrite(NativeWindow* window) override;
  void SurfaceOrigin(NativeWindow* window, int* x, int* y) override;
  bool PollEvent(InputEvent* event) override;
  void WaitEvent(std::chrono::microseconds timeout) override;
  void PointerPosition(int* x, int* y) override;
  void WarpPointer(int x, int y) override;
  bool GrabPointer(NativeWindow* window) override;
  void UngrabPointer() override;
  void SetPointerHidden(NativeWindow* window, bool hidden) override;

  // ---- the connection (wayland_backend.cpp)
  // The first global the backend cannot do without that the compositor
  // lacks ("" when it has them all), after the registry's first round.
  std::string Missing() const;
  // Reads and dispatches what the compositor sent, waiting up to `timeout`
  // for something to come; a lost connection or a protocol error ends the
  // program (exit 1) with a line saying which.
  void Pump(std::chrono::microseconds timeout);
  void Roundtrip();
  void CheckConnection();
  [[noreturn]] void ConnectionLost();
  WlWindow* Find(NativeWindow* window) const;
  WlWindow* FindSurface(wl_surface* surface) const;
  void Queue(const InputEvent& event);
  // Queues an event naming `w` alone (close box, focus).
  void QueueWindowEvent(InputEvent::Type type, WlWindow* w);

  // ---- toplevel roles (wayland_toplevel.cpp)
  void CreateRole(WlWindow* w);
  void DestroyRole(WlWindow* w);
  void SetRoleTitle(WlWindow* w);
  // A configure came: the window takes the size (logical pixels; 0 leaves
  // it to us) and the activation it asks for. True when the size changed.
  bool TakeConfigure(WlWindow* w, int logicalWidth, int logicalHeight, bool active);
  // After the configure is acknowledged: the window is drawn if it never
  // was, or at its new size.
  void ConfigureDone(WlWindow* w, bool resized);

  // ---- pixels (wayland_present.cpp)
  // Copies what changed into a buffer the compositor does not hold and
  // commits it; the next waits for the compositor's frame.
  void Commit(WlWindow* w);
  void FrameDone(WlWindow* w);
  void ReleaseBuffers(WlWindow* w);
  ShmBuffer* FreeBuffer(WlWindow* w);
  bool AllocateBuffer(WlWindow* w, ShmBuffer* buffer);
  // Everything of the window is to be shown again (a new scale, a new
  // size, a role made again).
  void Invalidate(WlWindow* w);
  // A new surface of width x height program pixels, old pixels kept at the
  // top-left. False when the size is the same or there is no memory.
  bool ResizeSurface(WlWindow* w, int width, int height);

  // ---- outputs and scale (wayland_outputs.cpp)
  void AddOutput(uint32_t name, unsigned version);
  void RemoveOutput(uint32_t name);
  Output* FindOutput(wl_output* output);
  void OutputChanged();
  // The largest scale among the outputs the window is on (among all of
  // them before it is on any), held to what keeps its buffers within the
  // surfaces' limit; the window takes it, and it is all to be drawn again
  // when that changed (true).
  bool UpdateScale(WlWindow* w);
  // Shows the window's pixels again with its next frame.
  void Refresh(WlWindow* w);
  int LargestScale() const;
  // The largest output's size in logical pixels (0 x 0 when none is known).
  void LogicalScreen(int* width, int* height) const;
  void FitZoom(int width, int height);

  // ---- the pointer (wayland_pointer.cpp)
  void SeatCapabilities(uint32_t capabilities);
  void DropPointer();
  void PointerEntered(wl_surface* surface, uint32_t serial, double sx, double sy);
  void PointerLeft(wl_surface* surface);
  void PointerMoved(double sx, double sy);
  void PointerMovedBy(double dx, double dy);
  void PointerButton(uint32_t button, bool pressed);
  void QueuePointerEvent(InputEvent::Type type, int button);
  // Asks for the lock exactly while the grab and the hidden cursor are on
  // one shown window; ends it, with the place the program's pointer is at
  // as the real pointer's, otherwise.
  void UpdateLock();
  void LockEnded();
  void ShowCursorFor(WlWindow* w);
  void KeepPointerOnScreen();
  void WindowGoing(WlWindow* w);

  // ---- the keyboard (wayland_keyboard.cpp)
  void AttachKeyboard();
  void DropKeyboard();
  void Keymap(uint32_t format, int fd, uint32_t size);
  void Key(uint32_t key, bool pressed);
  void Modifiers(uint32_t depressed, uint32_t latched, uint32_t locked, uint32_t group);
  void QueueKey(uint32_t code, bool pressed);
  void RepeatKeys();
  // Until the next key repeat is due (a long time when none is).
  std::chrono::microseconds UntilRepeat() const;
  void SetModifierState(InputEvent* event) const;

  // ---- what the backend holds
  wl_display* display = nullptr;
  wl_registry* registry = nullptr;
  wl_compositor* compositor = nullptr;
  wl_subcompositor* subcompositor = nullptr;
  wl_shm* shm = nullptr;
  xdg_wm_base* wmBase = nullptr;
  zxdg_decoration_manager_v1* decorationManager = nullptr;
  zwp_relative_pointer_manager_v1* relativeManager = nullptr;
  zwp_pointer_constraints_v1* constraints = nullptr;
  wl_seat* seat = nullptr;
  uint32_t seatName = 0;
  std::vector<Output> outputs;
  libdecor* decor = nullptr;  // made when the compositor draws no frames itself
  bool decorFailed = false;

  std::vector<WlWindow*> windows;
  std::deque<InputEvent> events;

  int zoom = 1;  // each program pixel is zoom x zoom logical pixels
  bool zoomGiven = false;
  bool zoomSettled = false;

  // The pointer.
  wl_pointer* pointer = nullptr;
  zwp_relative_pointer_v1* relativePointer = nullptr;
  zwp_locked_pointer_v1* lock = nullptr;
  WlWindow* lockWindow = nullptr;
  bool locked = false;    // the compositor says the lock holds
  bool lockLost = false;  // the compositor ended it: the capture goes too
  WlWindow* pointerWindow = nullptr;  // the surface under the pointer, if ours
  uint32_t enterSerial = 0;
  double pointerX = 0, pointerY = 0;  // on the program's screen, to the fraction
  WlWindow* grab = nullptr;
  unsigned buttonsHeld = 0;
  wl_cursor_theme* cursorTheme = nullptr;
  int cursorScale = 0;
  wl_cursor* arrow = nullptr;
  wl_surface* cursorSurface = nullptr;

  // The keyboard.
  wl_keyboard* keyboard = nullptr;
  xkb_context* xkb = nullptr;
  xkb_keymap* keymap = nullptr;
  xkb_state* keyState = nullptr;
  WlWindow* keyboardWindow = nullptr;
  int repeatRate = 25;    // keys a second; 0 repeats none
  int repeatDelayMs = 600;
  uint32_t repeatCode = 0;  // the held key that repeats (xkb code), or 0
  std::chrono::steady_clock::time_point repeatNext;
};

}  // namespace wayland
}  // namespace kv
