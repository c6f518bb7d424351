// What the X11 backend tells window managers and tools about a window:
// titles, fixed size and place, class, protocols, owner and kind.
#pragma once

#include <X11/Xlib.h>

namespace kv {
namespace x11 {

struct Atoms {
  Atom wmProtocols = None;
  Atom wmDeleteWindow = None;
  Atom netWmPing = None;
  Atom netWmName = None;
  Atom netWmIconName = None;
  Atom utf8String = None;
  Atom netWmPid = None;
  Atom netWmWindowType = None;
  Atom typeNormal = None;
  Atom typeDialog = None;
  Atom typeDropdownMenu = None;
  Atom netSupportingWmCheck = None;
};

void InternAtoms(Display* display, Atoms* atoms);

// WM_NAME and WM_ICON_NAME in Latin-1 (what xdotool and xprop read), and
// _NET_WM_NAME and _NET_WM_ICON_NAME in UTF-8.
void SetWindowTitle(Display* display, Window window, const Atoms& atoms, const wchar_t* title);

enum class WindowKind { kMain, kDialog, kPopup };

// Fixed size at the given place, the program's name and title as its class, the close
// protocol, the process id, and for a dialog its owner and type.
void SetManagerHints(Display* display, Window window, const Atoms& atoms, WindowKind kind, int x,
                     int y, int width, int height, Window owner);

// True when a window manager runs on the display's default screen.
bool WindowManagerRunning(Display* display, const Atoms& atoms);

}  // namespace x11
}  // namespace kv
