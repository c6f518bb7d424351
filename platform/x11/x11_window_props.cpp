#include "platform/x11/x11_window_props.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <unistd.h>

#include <string>

#include "platform/rt/program.h"
#include "platform/rt/utf8.h"
#include "platform/x11/x11_icon.h"
#include "platform/x11/x11_text.h"

namespace kv {
namespace x11 {

namespace {

void SetTextProperty(Display* display, Window window, Atom property, Atom type,
                     const std::string& text) {
  XChangeProperty(display, window, property, type, 8, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(text.data()),
                  static_cast<int>(text.size()));
}

}  // namespace

void InternAtoms(Display* display, Atoms* atoms) {
  const char* names[] = {
      "WM_PROTOCOLS",        "WM_DELETE_WINDOW",
      "_NET_WM_PING",        "_NET_WM_NAME",
      "_NET_WM_ICON_NAME",   "UTF8_STRING",
      "_NET_WM_PID",         "_NET_WM_WINDOW_TYPE",
      "_NET_WM_WINDOW_TYPE_NORMAL", "_NET_WM_WINDOW_TYPE_DIALOG",
      "_NET_WM_WINDOW_TYPE_DROPDOWN_MENU", "_NET_SUPPORTING_WM_CHECK",
  };
  constexpr int kCount = sizeof(names) / sizeof(names[0]);
  Atom values[kCount] = {};
  XInternAtoms(display, const_cast<char**>(names), kCount, False, values);
  Atom* fields[kCount] = {
      &atoms->wmProtocols,      &atoms->wmDeleteWindow,   &atoms->netWmPing,
      &atoms->netWmName,        &atoms->netWmIconName,    &atoms->utf8String,
      &atoms->netWmPid,         &atoms->netWmWindowType,  &atoms->typeNormal,
      &atoms->typeDialog,       &atoms->typeDropdownMenu, &atoms->netSupportingWmCheck,
  };
  for (int i = 0; i < kCount; ++i) *fields[i] = values[i];
}

void SetWindowTitle(Display* display, Window window, const Atoms& atoms, const wchar_t* title) {
  std::string latin1 = WideToLatin1(title);
  std::string utf8 = rt::WideToUtf8(title);
  SetTextProperty(display, window, XA_WM_NAME, XA_STRING, latin1);
  SetTextProperty(display, window, XA_WM_ICON_NAME, XA_STRING, latin1);
  SetTextProperty(display, window, atoms.netWmName, atoms.utf8String, utf8);
  SetTextProperty(display, window, atoms.netWmIconName, atoms.utf8String, utf8);
}

void SetManagerHints(Display* display, Window window, const Atoms& atoms, WindowKind kind, int x,
                     int y, int width, int height, Window owner) {
  XSizeHints size{};
  size.flags = PPosition | USPosition | PSize | USSize | PMinSize | PMaxSize;
  size.x = x;
  size.y = y;
  size.width = size.min_width = size.max_width = width;
  size.height = size.min_height = size.max_height = height;

  XWMHints wm{};
  wm.flags = InputHint | StateHint;
  wm.input = True;
  wm.initial_state = NormalState;

  // Xlib takes the class's two names as writable strings.
  std::string resName = rt::Program().name;
  std::string resClass = rt::Program().title;
  XClassHint cls{&resName[0], &resClass[0]};

  // Also sets WM_CLIENT_MACHINE, which gives _NET_WM_PID its meaning.
  XSetWMProperties(display, window, nullptr, nullptr, nullptr, 0, &size, &wm, &cls);

  Atom protocols[] = {atoms.wmDeleteWindow, atoms.netWmPing};
  XSetWMProtocols(display, window, protocols, 2);

  long pid = static_cast<long>(getpid());
  XChangeProperty(display, window, atoms.netWmPid, XA_CARDINAL, 32, PropModeReplace,
                  reinterpret_cast<unsigned char*>(&pid), 1);

  Atom type = kind == WindowKind::kDialog  ? atoms.typeDialog
              : kind == WindowKind::kPopup ? atoms.typeDropdownMenu
                                           : atoms.typeNormal;
  XChangeProperty(display, window, atoms.netWmWindowType, XA_ATOM, 32, PropModeReplace,
                  reinterpret_cast<unsigned char*>(&type), 1);

  if (kind == WindowKind::kDialog && owner != None) XSetTransientForHint(display, window, owner);
  if (kind != WindowKind::kPopup) SetWindowIcon(display, window);
}

bool WindowManagerRunning(Display* display, const Atoms& atoms) {
  // ICCCM: a manager owns the selection WM_S<screen>.
  std::string selection = "WM_S" + std::to_string(DefaultScreen(display));
  Atom wmSelection = XInternAtom(display, selection.c_str(), False);
  if (XGetSelectionOwner(display, wmSelection) != None) return true;
  // Older EWMH managers announce themselves on the root window only.
  Atom type = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  bool found = false;
  if (XGetWindowProperty(display, DefaultRootWindow(display), atoms.netSupportingWmCheck, 0, 1,
                         False, XA_WINDOW, &type, &format, &count, &after, &data) == Success) {
    found = type == XA_WINDOW && format == 32 && count == 1;
  }
  if (data) XFree(data);
  return found;
}

}  // namespace x11
}  // namespace kv
