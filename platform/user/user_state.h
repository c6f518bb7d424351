// State shared by the windowing layer's own files: the live windows, the
// classes, the message queues, capture, focus and the cursor count. One
// thread uses it; nothing here is locked.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "platform/backend.h"
#include "platform/user/window.h"

namespace kv {
namespace user {

struct WindowClass {
  std::wstring name;
  ATOM atom = 0;
  WNDCLASSW wc{};  // lpszClassName and lpszMenuName are not kept
};

struct UserState {
  std::vector<HWND__*> windows;  // live windows, in creation order
  std::vector<HWND__*> retired;  // destroyed records, kept a while so that a
                                 // stale handle does not name a new window
  HWND__* lastHit = nullptr;     // LiveWindow's cache: frames look up one window
  std::vector<WindowClass> classes;
  ATOM nextAtom = 0xC000;

  std::deque<MSG> posted;  // PostMessageW, TranslateMessage
  std::deque<MSG> input;   // translated backend input, not yet taken
  bool quitPending = false;
  int quitCode = 0;

  HWND capture = nullptr;
  bool grabbed = false;        // the backend grab behind the capture is held
  HWND active = nullptr;       // top-level window that takes the keyboard
  HWND focus = nullptr;        // the window keys go to (active or its child)
  int cursorCount = 0;         // ShowCursor's display count
  NativeWindow* cursorHiddenOn = nullptr;
  // Another program holds the activation: our SetCursorPos leaves the real
  // pointer alone and moves a cursor of our own, kept as an offset from the
  // real one, so that GetCursorPos reads back what was set.
  bool inactive = false;
  int cursorOffsetX = 0, cursorOffsetY = 0;

  unsigned buttons = 0;        // MK_ flags of the buttons held now
  wchar_t keyChars[256] = {};  // character last typed by each virtual key

  // The program's end frees the records; kept ones were dead handles anyway.
  ~UserState() {
    for (HWND__* w : windows) delete w;
    for (HWND__* w : retired) delete w;
  }
};

UserState& State();

// ---- windows (window.cpp)
// The top-level window that holds `w` (itself when it is not a child).
HWND__* TopLevel(HWND__* w);
// True when `w` lies (at any depth) inside `ancestor`.
bool IsInside(HWND__* w, HWND__* ancestor);
// True when `w` and every window it lies inside are enabled.
bool AcceptsInput(HWND__* w);
// The live top-level window of a backend window, or null.
HWND__* WindowOfNative(NativeWindow* native);
// Screen position of the client area's top-left pixel.
void ClientOrigin(HWND__* w, int* x, int* y);

// ---- classes (window_class.cpp)
// The registered class named by `name` (a string or a MAKEINTRESOURCEW
// atom), or null.
const WindowClass* FindClass(LPCWSTR name);
// Forgets every registered class.
void ResetClasses();

// ---- the message queue (message_queue.cpp, input.cpp)
// A message stamped with the time and the pointer's position.
MSG MakeMessage(HWND w, UINT message, WPARAM wParam, LPARAM lParam);
// The same with a position already known, which spares asking the backend.
MSG MakeMessageAt(HWND w, UINT message, WPARAM wParam, LPARAM lParam, POINT pt);
// Drains the backend's pending events into the input queue.
void CollectInput(Backend* backend);
// Removes queued messages addressed to `w`.
void PurgeMessages(HWND w);
// Resets the message queue, capture, focus and cursor parts of the state.
void ResetQueueAndInput();
// Turns one backend event into queued messages (a modal loop hands back an
// event it does not consume).
void QueueInput(const InputEvent& event);
// The backend remade the surface of `native` at another size (a kResized
// event): the window takes it at once, wherever the event was taken, since
// the old pixels are gone (window_resize.cpp).
void TakeResizedSurface(NativeWindow* native);

// ---- capture, cursor and activation (cursor_capture.cpp, activation.cpp)
// Called while `w` is destroyed, before its record goes: capture, focus,
// activation and the hidden cursor let go of it.
void ForgetCapture(HWND__* w);
void ForgetActivation(HWND__* w);
void ForgetCursor(HWND__* w);
// Makes `w` (a top-level window) the active one and gives it the focus.
void Activate(HWND__* w);
// Picks a new active window after the old one was hidden or destroyed.
void ActivateSuccessor(HWND__* lost);

}  // namespace user
}  // namespace kv
