#include "platform/x11/x11_icon.h"

#include <X11/Xatom.h>

#include <vector>

namespace kv {
namespace x11 {

void SetWindowIcon(Display* display, Window window) {
  // Xlib takes 32-bit property items as longs, whatever a long's size.
  std::vector<long> items(kWindowIconData, kWindowIconData + kWindowIconLength);
  const Atom icon = XInternAtom(display, "_NET_WM_ICON", False);
  XChangeProperty(display, window, icon, XA_CARDINAL, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(items.data()),
                  static_cast<int>(items.size()));
}

}  // namespace x11
}  // namespace kv
