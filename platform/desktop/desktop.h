// A desktop held in memory: top-level windows with their pixels, their
// stacking, the pointer and where its input goes (the grab, the window a held
// button was pressed in, else the topmost window under it), the window the
// keyboard goes to, and what a person does turned into the backend's events.
// The headless backend, the browser's backend and the replay of a recording
// each keep one; how it is shown, and where the input comes from, is theirs.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "platform/backend.h"
#include "platform/surface.h"

namespace kv {
namespace desktop {

struct Window {
  int x = 0, y = 0;  // screen position of the top-left pixel
  int width = 0, height = 0;
  bool popup = false;  // a menu drop-down: never the keyboard's window
  bool visible = false;
  uint64_t raised = 0;  // larger is nearer the top
  std::wstring title;
  std::vector<uint32_t> pixels;  // what the screen shows of it
  int64_t presents = 0;
  int lastPresentX = 0, lastPresentY = 0, lastPresentWidth = 0, lastPresentHeight = 0;
};

inline NativeWindow* AsNative(Window* w) { return reinterpret_cast<NativeWindow*>(w); }
// No search: for the calls made every frame, where the caller's handle is
// known to be live.
inline Window* AsWindow(NativeWindow* w) { return reinterpret_cast<Window*>(w); }

inline PixelSurface SurfaceOf(Window* w) {
  if (!w) return PixelSurface{};
  return PixelSurface{w->pixels.data(), w->width, w->height, w->width};
}

// The modifiers held, as input events carry them.
struct Modifiers {
  bool alt = false, shift = false, ctrl = false;
};

class Desktop {
 public:
  Desktop(int screenWidth, int screenHeight) : screenWidth_(screenWidth), screenHeight_(screenHeight) {}

  int screenWidth() const { return screenWidth_; }
  int screenHeight() const { return screenHeight_; }
  // Each side at least 1; the pointer stays on the new screen.
  void SetScreenSize(int width, int height);

  // ---- windows
  // A hidden window with a black surface of the asked size; null when a side
  // is out of the surfaces' bounds or there is no memory for it.
  Window* Create(const NativeWindowParams& params);
  // The window and its pending events go; nothing holds it any more.
  void Destroy(Window* w);
  // The live window behind a handle, or null.
  Window* Find(NativeWindow* native) const;
  // A window that appears is raised to the top; one that hides loses the grab.
  void Show(Window* w, bool visible);
  // A surface of width x height (each side held to 1 and the surfaces'
  // limit), the old pixels at its top-left and black beyond. False when the
  // size is the same or there was no memory; the window keeps its surface.
  bool Resize(Window* w, int width, int height);
  // Notes what the screen was last asked to show of the window.
  static void Presented(Window* w, int x, int y, int width, int height);
  // The visible windows, bottom first.
  std::vector<Window*> Stacking() const;
  int VisibleCount() const;
  const std::vector<std::unique_ptr<Window>>& windows() const { return windows_; }

  // ---- the pointer, in screen pixels
  int pointerX() const { return pointerX_; }
  int pointerY() const { return pointerY_; }
  // Moves it, kept on the screen; no event.
  void MovePointer(int x, int y);
  // All pointer input goes to `w` until released; a hidden window cannot
  // take it (as a real server refuses a window that is not viewable).
  bool Grab(Window* w);
  void Ungrab() { grab_ = nullptr; }
  Window* grab() const { return grab_; }
  // Hides the pointer over `w`, or shows it again (over `w`, or over
  // whichever window it was hidden over when `w` is null).
  void SetPointerHidden(Window* w, bool hidden);
  Window* hiddenOver() const { return hiddenOver_; }
  // Where pointer input goes now: the grab, the window a held button was
  // pressed in (none when it was pressed over the bare desktop), or the
  // topmost visible window under the pointer.
  Window* PointerTarget() const;
  // The most recently raised visible window that is not a drop-down.
  Window* KeyboardTarget() const;

  // ---- what a person does, queued as the backend's events. Each goes to the
  // window a real display would give it to; nothing when there is none.
  Modifiers modifiers;  // held now: pointer events carry them
  // The pointer moved to where it is now.
  void QueuePointerMove();
  // A press starts the implicit grab of a held button, as on a real server:
  // the release goes where the press went. A release of a button that is not
  // held is no input at all.
  void QueueButton(bool down, int button);
  void QueueKey(bool down, unsigned key, wchar_t ch, bool alt);
  // Close box, expose, focus and the like: an event naming `w` alone.
  void QueueWindowEvent(InputEvent::Type type, Window* w);
  // A window manager gives the window another size: its surface is remade
  // now and the change queued.
  void QueueResize(Window* w, int width, int height);
  // Takes the oldest queued event; false when none.
  bool Poll(InputEvent* event);
  bool HasEvents() const { return !events_.empty(); }

 private:
  InputEvent EventAt(InputEvent::Type type, Window* target) const;

  int screenWidth_, screenHeight_;
  std::vector<std::unique_ptr<Window>> windows_;  // creation order
  std::deque<InputEvent> events_;
  int pointerX_ = 0, pointerY_ = 0;
  unsigned buttonsHeld_ = 0;
  // The implicit grab of a held button: the window it was pressed in, or
  // the bare desktop (then the pointer's input is no window's until release).
  Window* pressedIn_ = nullptr;
  bool pressedOnDesktop_ = false;
  Window* grab_ = nullptr;
  Window* hiddenOver_ = nullptr;
  uint64_t raiseCounter_ = 0;
};

}  // namespace desktop
}  // namespace kv
