// The windowing layer's state, all of it, in one record: the live windows,
// the classes, the message queues, capture, focus and the cursor count, the
// window contexts, the menus and the running menu loop, what the dialogs
// learnt, and the backend in use. ResetWindowing clears it. One thread uses
// it; nothing here is locked.
#pragma once

#include <deque>
#include <map>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "platform/backend.h"
#include "platform/user/window.h"

struct HMENU__;

namespace kv {
namespace user {

struct WindowClass {
  std::wstring name;
  ATOM atom = 0;
  WNDCLASSW wc{};  // lpszClassName and lpszMenuName are not kept
};

// The record of a running menu loop (menu_track.cpp).
struct MenuTracker;

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

  // Window device contexts (window_dc.cpp): the one kept for each window.
  std::unordered_map<HWND, HDC> windowDCs;

  // Menus (menu*.cpp): every live menu record, so a stale or foreign handle
  // is refused without being read.
  std::unordered_set<HMENU__*> menus;
  // The running menu loop, if any. While it runs its window takes all
  // pointer and keyboard input: the translator hands every message it makes
  // to the loop (menuInput) instead of the queue.
  MenuTracker* menuTracker = nullptr;
  HWND menuWindow = nullptr;
  std::deque<MSG> menuInput;
  // Alt pressed in this window with nothing else since: its release
  // activates the menu bar.
  HWND altWindow = nullptr;
  bool altAlone = false;

  // The frame around a dialog's client area for each window style, learnt
  // from the dialogs made so far (dialog.cpp).
  std::map<DWORD, SIZE> dialogFrames;

  // The backend in use (active_backend.cpp): one installed in code (tests,
  // the benchmark), else what the program's opener gave on first use. A
  // reset forgets the installed one; the opened one is kept for the run.
  Backend* installedBackend = nullptr;
  BackendOpener backendOpener = nullptr;
  Backend* openedBackend = nullptr;
  bool backendOpenTried = false;

  // The program's end frees the records; kept ones were dead handles anyway.
  // (Drawing contexts are the drawing layer's, which may be gone by then.)
  ~UserState();
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

// ---- window device contexts (window_dc.cpp)
// Frees every context kept for a window.
void ForgetWindowDCs();

// ---- menus (menu.cpp)
// Frees every menu record.
void ForgetMenus();

// ---- classes (window_class.cpp)
// The registered class named by `name` (a string or a MAKEINTRESOURCEW
// atom), or null.
const WindowClass* FindClass(LPCWSTR name);
// Forgets every registered class.
void ResetClasses();

// ---- the message queue (message_queue.cpp)
// A message stamped with the time and the pointer's position.
MSG MakeMessage(HWND w, UINT message, WPARAM wParam, LPARAM lParam);
// The same with a position already known, which spares asking the backend.
MSG MakeMessageAt(HWND w, UINT message, WPARAM wParam, LPARAM lParam, POINT pt);
// Removes queued messages addressed to `w`.
void PurgeMessages(HWND w);
// Resets the message queue, capture, focus and cursor parts of the state.
void ResetQueueAndInput();

// ---- input (input.cpp): the one place backend events become messages
// Turns one backend event into messages for the queue (or for a running
// menu loop) and the state they change: the buttons held, the characters
// typed, activation, a window's new surface, a window shown again.
void TranslateEvent(const InputEvent& event);
// Takes one pending backend event and translates it; false when none was
// pending.
bool TranslateNextEvent(Backend* backend);
// Translates every pending backend event.
void CollectInput(Backend* backend);
// The backend remade the surface of `native` at another size (a kResized
// event): the window takes it at once, since the old pixels are gone
// (window_resize.cpp).
void TakeResizedSurface(NativeWindow* native);

// ---- menu tracking (menu_track.cpp)
// True for the open drop-down: the running menu's own window, none of the
// program's.
bool IsMenuWindow(NativeWindow* native);
// Draws the open drop-down again (its pixels were lost, or remade at
// another size).
void RedrawMenuWindow();

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
