// The window record behind an HWND, shared by the parts of the windowing
// layer: windows and the message queue (window.cpp, queue.cpp, ...), the
// menu bar and menu tracking (menu*.cpp), dialogs and message boxes
// (dialog*.cpp, message_box.cpp).
#pragma once

#include <string>

#include "platform/backend.h"
#include "platform/surface.h"
#include "platform/win32.h"

struct HWND__ {
  uint32_t magic;             // tells a live window from anything else
  std::wstring className;
  std::wstring title;
  WNDPROC proc = nullptr;
  HINSTANCE instance = nullptr;
  DWORD style = 0;
  DWORD exStyle = 0;
  HWND owner = nullptr;       // a dialog or message box belongs to the main window
  HMENU menu = nullptr;       // the menu bar, if any
  bool visible = false;
  bool enabled = true;        // a disabled window takes no mouse or keyboard input
  bool destroying = false;

  // Screen rectangle of the whole window as the program sees it (frame,
  // caption and menu bar included), as given to CreateWindowExW.
  RECT windowRect{};

  // The native window holds the menu bar (if any) on top of the client area.
  kv::NativeWindow* native = nullptr;
  kv::PixelSurface surface;   // the whole native surface
  int menuBarHeight = 0;      // rows of the surface above the client area
  int clientWidth = 0;
  int clientHeight = 0;

  // Set by the dialog manager on a dialog window: its own state.
  void* dialog = nullptr;

  // A child window (WS_CHILD) lives in its parent's client area: it has no
  // native window of its own, windowRect is in the parent's client
  // coordinates, and its pixels are a part of the parent's surface.
  HWND parent = nullptr;
  int id = 0;                 // a child's identifier (the menu argument)
  bool needsPaint = false;    // shown since UpdateWindow last painted it
};

namespace kv {
namespace user {

constexpr uint32_t kWindowMagic = 0x574E4457;  // "WDNW"

// The record of a live window, or null for anything else.
HWND__* LiveWindow(HWND window);

// The client area of a window, as a view into its native surface.
PixelSurface ClientView(HWND__* window);

// Shows the whole native surface again (after the menu bar or a dialog
// control was drawn, or when the backend asks for an expose).
void PresentWhole(HWND__* window);

// Clears the windowing layer's state (user_state.h) without sending any
// message: every window, class, queued message, capture and cursor count,
// window context and menu, what the dialogs learnt, and the installed
// backend. A fresh start for a newly installed backend (the headless
// backend calls it, so tests stay independent).
void ResetWindowing();

// ---- provided by the menu part (menu*.cpp)
// Draws the menu bar of `window` into the top rows of its surface.
void DrawMenuBar(HWND__* window);
// Height of a menu bar in pixels.
int MenuBarHeight();
// The default handling of menu-related messages (clicks on the menu bar,
// Alt, F10, Alt with an access key): runs menu tracking, a modal loop, and
// posts WM_COMMAND for a chosen item. True when the message was handled.
bool DefMenuMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace user
}  // namespace kv
