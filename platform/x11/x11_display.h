// The X11 backend's state, shared by its files: windows (x11_backend.cpp),
// input events (x11_events.cpp) and the pointer (x11_pointer.cpp).
#pragma once

#include <X11/Xlib.h>

#include <utility>
#include <vector>

#include "platform/backend.h"
#include "platform/x11/x11_image.h"
#include "platform/x11/pointer_track.h"
#include "platform/x11/x11_window_props.h"

namespace kv {
namespace x11 {

// What stands behind a NativeWindow* of this backend.
struct XWindowRecord {
  Window window = None;
  GC gc = nullptr;
  FrameImage frame;
  // Scaled up, the program draws here at its own size and the present
  // copies into `frame`, scale times larger; unscaled, `frame` is drawn
  // directly and this stays empty.
  std::vector<uint32_t> logical;
  int logicalWidth = 0, logicalHeight = 0;
  WindowKind kind = WindowKind::kMain;
  XWindowRecord* owner = nullptr;
  bool mapped = false;
  bool pointerHidden = false;
  // Destroyed by someone else (a tool, a dying manager): X calls on it are
  // skipped from then on, and the windowing layer is asked to close it.
  bool gone = false;
  bool originKnown = false;
  int originX = 0, originY = 0;
  // A shared-memory put the server may still be reading the surface for,
  // and the sequence number of its request.
  bool putPending = false;
  unsigned long putSerial = 0;
};

class X11Backend final : public Backend {
 public:
  // `scale` is the factor asked for; `scaleGiven` when the command line
  // gave it (the desktop's is lowered without a word when the program's
  // first window would not fit the screen, a given one with a line on
  // standard error).
  X11Backend(Display* display, Visual* visual, Colormap colormap, int scale, bool scaleGiven);
  ~X11Backend() override;

  const char* Name() const override { return "x11"; }
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

  Display* display() const { return display_; }
  int scale() const { return scale_; }
  bool shmAllowed = true;
  // Windows made from now on report motion through XInput 2 when the
  // server has it (the tests turn it off to check the core path).
  bool xiAllowed = true;

  // The record of a live window of this backend, or null.
  XWindowRecord* Find(NativeWindow* window) const;
  XWindowRecord* FindByX(Window window) const;

 private:
  bool Translate(XEvent* event, InputEvent* out);
  // XInput 2, whose motion places the pointer to a fraction of a pixel
  // (x11_xinput.cpp).
  void OpenXInput();
  void SelectXInput(Window window);
  bool TranslateXInput(XEvent* event, InputEvent* out);
  bool MotionFollows();
  // Whether the device puts the pointer at places rather than moving it.
  bool AbsoluteDevice(int id);
  bool TranslateKey(XKeyEvent* key, XWindowRecord* record, InputEvent* out);
  void ReadModifierMap();
  void GiveFocusBackToOwner(XWindowRecord* record);
  // Makes the surface fit a window that is now windowWidth x windowHeight
  // screen pixels (x11_backend.cpp). True when it changed.
  bool ResizeSurface(XWindowRecord* record, int windowWidth, int windowHeight);
  // Settles the put a completion event reports.
  void NoteCompletion(const XEvent& event);
  void WaitForPut(XWindowRecord* record);
  // Keeps the pointer track up to date with what an event says (x11_pointer.cpp).
  void NotePointerEvent(const XEvent& event);
  void NotePointerPlace(unsigned long serial, bool sameScreen, double x, double y,
                        PointerReport kind);
  void PointerGrabEnded();
  // Lowers the factor, before the program's first window, to the largest at
  // which a window of width x height fits the screen.
  void FitScale(int width, int height);

  // The screen in its own pixels, not the program's.
  void RealScreenSize(int* width, int* height);

  Display* display_;
  int scale_ = 1;  // each pixel of the program's is scale_ x scale_ on the screen
  bool scaleGiven_ = false;
  bool scaleSettled_ = false;  // by the first window; it holds from then on
  int screen_;
  Window root_;
  Visual* visual_;
  Colormap colormap_;
  Atoms atoms_;
  bool shmUsable_ = false;
  int shmCompletionType_ = -1;  // the completion event's type; -1 without shared memory
  bool fixesUsable_ = false;
  bool xiUsable_ = false;  // XInput 2: motion reported to the fraction
  int xiOpcode_ = -1;
  std::vector<std::pair<int, bool>> absoluteDevices_;  // device id, absolute; as asked
  Cursor blankCursor_ = None;   // our windows' and our grab's cursor while hidden
  Cursor arrowCursor_ = None;   // the class cursor, the standard arrow
  // The display-level hide (XFixes) holds only while the pointer is inside
  // one of our windows whose cursor is hidden: XWayland emulates warps only
  // under it, and other programs must keep their cursor.
  XWindowRecord* pointerInside_ = nullptr;
  bool displayHidden_ = false;
  void UpdateDisplayHide();
  // Enter and leave reports of our windows (x11_pointer.cpp).
  void NoteCrossing(const XEvent& event);
  unsigned int altMask_ = Mod1Mask;
  std::vector<XWindowRecord*> windows_;
  // Where the pointer is. Without our grab, a reading is good until the next
  // warp, which then moves by the difference from it, so that movement the
  // server takes between the reading and the warp is kept rather than
  // overwritten. Under the grab the server reports every movement, and the
  // reports keep the track current: reading it costs no round trip.
  XWindowRecord* grabWindow_ = nullptr;
  PointerTrack pointerTrack_;
};

inline NativeWindow* AsNative(XWindowRecord* record) {
  return reinterpret_cast<NativeWindow*>(record);
}

// An event's pointer, in the program's pixels: the screen's divided by the
// scale (x11_events.cpp).
void SetPointer(InputEvent* out, int x, int y, int rootX, int rootY, int scale);
void SetModifiers(InputEvent* out, unsigned state, unsigned altMask);

}  // namespace x11
}  // namespace kv
