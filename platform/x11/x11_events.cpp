// Input from the X server, turned into the backend's events.
#include <X11/XKBlib.h>
#include <X11/Xutil.h>
#include <poll.h>

#include <algorithm>

#include <cerrno>

#include "platform/x11/x11_display.h"
#include "platform/x11/x11_keys.h"
#include "platform/x11/x11_scale.h"
#include "platform/win32.h"

namespace kv {
namespace x11 {

void SetPointer(InputEvent* out, int x, int y, int rootX, int rootY, int scale) {
  out->x = FloorDiv(x, scale);
  out->y = FloorDiv(y, scale);
  out->screenX = FloorDiv(rootX, scale);
  out->screenY = FloorDiv(rootY, scale);
}

void SetModifiers(InputEvent* out, unsigned state, unsigned altMask) {
  out->shift = (state & ShiftMask) != 0;
  out->ctrl = (state & ControlMask) != 0;
  out->alt = (state & altMask) != 0;
}

bool X11Backend::TranslateKey(XKeyEvent* key, XWindowRecord* record, InputEvent* out) {
  bool press = key->type == KeyPress;
  KeySym unshifted = XLookupKeysym(key, 0);
  KeySym typed = NoSymbol;
  char ignored[16];
  XLookupString(key, ignored, sizeof(ignored), &typed, nullptr);
  unsigned vk = VirtualKeyFromKeysym(unshifted);
  if (vk == 0) vk = VirtualKeyFromKeysym(typed);
  bool ctrl = (key->state & ControlMask) != 0;
  wchar_t ch = press ? CharacterFromKeysym(typed, ctrl) : 0;
  if (vk == 0 && ch == 0) return false;

  out->type = press ? InputEvent::kKeyDown : InputEvent::kKeyUp;
  out->window = AsNative(record);
  SetPointer(out, key->x, key->y, key->x_root, key->y_root, scale_);
  out->key = vk;
  out->ch = ch;
  SetModifiers(out, key->state, altMask_);
  // X reports the modifiers as they were before the event; a modifier's own
  // press or release counts as already done.
  if (IsModifierKeysym(unshifted)) {
    if (vk == VK_MENU) out->alt = press;
    if (vk == VK_SHIFT) out->shift = press;
    if (vk == VK_CONTROL) out->ctrl = press;
  }
  return true;
}

namespace {

// Events that tell what happened to a window itself, rather than input.
bool IsStructureEvent(int type) {
  switch (type) {
    case DestroyNotify:
    case UnmapNotify:
    case MapNotify:
    case ReparentNotify:
    case ConfigureNotify:
    case GravityNotify:
    case CirculateNotify:
      return true;
    default:
      return false;
  }
}

}  // namespace

bool X11Backend::Translate(XEvent* event, InputEvent* out) {
  *out = InputEvent{};
  // Any client may send us any event (XSendEvent marks it). Input from one
  // is input, and the manager's close box and ping come that way; but what
  // one says of our windows' structure is its word, not the server's: a
  // window is gone or resized only when the server says so (and the pointer
  // is where the server says, x11_pointer.cpp). A manager's ConfigureNotify
  // after a move, the one such word worth hearing, makes us ask the server
  // for the place.
  if (event->xany.send_event && IsStructureEvent(event->type)) {
    if (XWindowRecord* record = FindByX(event->xany.window)) record->originKnown = false;
    return false;
  }
  if (event->type == shmCompletionType_) {
    NoteCompletion(*event);
    return false;
  }
  if (event->type == GenericEvent) return TranslateXInput(event, out);
  if (event->type == MappingNotify) {
    XRefreshKeyboardMapping(&event->xmapping);
    ReadModifierMap();
    return false;
  }
  NotePointerEvent(*event);
  NoteCrossing(*event);
  XWindowRecord* record = FindByX(event->xany.window);
  if (event->type == DestroyNotify) record = FindByX(event->xdestroywindow.window);
  if (!record) return false;  // a window already destroyed, or not ours

  switch (event->type) {
    case MotionNotify: {
      // Only the latest place of a run of motions matters.
      XEvent next;
      while (XEventsQueued(display_, QueuedAlready) > 0) {
        XPeekEvent(display_, &next);
        if (next.type != MotionNotify || next.xmotion.window != event->xmotion.window ||
            next.xmotion.state != event->xmotion.state)
          break;
        XNextEvent(display_, event);
        NotePointerEvent(*event);
      }
      const XMotionEvent& m = event->xmotion;
      out->type = InputEvent::kMouseMove;
      out->window = AsNative(record);
      SetPointer(out, m.x, m.y, m.x_root, m.y_root, scale_);
      SetModifiers(out, m.state, altMask_);
      return true;
    }
    case ButtonPress:
    case ButtonRelease: {
      const XButtonEvent& b = event->xbutton;
      // 4 and up are wheel steps and extra buttons, which the game has no use for.
      if (b.button < Button1 || b.button > Button3) return false;
      out->type = event->type == ButtonPress ? InputEvent::kButtonDown : InputEvent::kButtonUp;
      // Without a window manager nobody gives a clicked window the keyboard
      // (and with it the activation) back: do what a manager would.
      if (event->type == ButtonPress && record->kind != WindowKind::kPopup && !grabWindow_ &&
          !WindowManagerRunning(display_, atoms_))
        XSetInputFocus(display_, record->window, RevertToParent, CurrentTime);
      out->window = AsNative(record);
      SetPointer(out, b.x, b.y, b.x_root, b.y_root, scale_);
      out->button = static_cast<int>(b.button);
      SetModifiers(out, b.state, altMask_);
      return true;
    }
    case KeyPress:
    case KeyRelease:
      return TranslateKey(&event->xkey, record, out);
    case ClientMessage: {
      const XClientMessageEvent& c = event->xclient;
      if (c.message_type != atoms_.wmProtocols || c.format != 32) return false;
      Atom protocol = static_cast<Atom>(c.data.l[0]);
      if (protocol == atoms_.netWmPing) {
        // The manager asks whether we still answer: send it back to the root.
        XEvent reply = *event;
        reply.xclient.window = root_;
        XSendEvent(display_, root_, False, SubstructureNotifyMask | SubstructureRedirectMask,
                   &reply);
        XFlush(display_);
        return false;
      }
      if (protocol != atoms_.wmDeleteWindow) return false;
      out->type = InputEvent::kCloseRequest;
      out->window = AsNative(record);
      return true;
    }
    case Expose:
      if (event->xexpose.count != 0) return false;  // the last of a series stands for all
      out->type = InputEvent::kExpose;
      out->window = AsNative(record);
      return true;
    case FocusOut: {
      const XFocusChangeEvent& f = event->xfocus;
      if (f.mode == NotifyGrab || f.mode == NotifyUngrab || f.detail == NotifyInferior ||
          f.detail == NotifyPointer)
        return false;
      out->type = InputEvent::kFocusLost;
      out->window = AsNative(record);
      return true;
    }
    case FocusIn: {
      const XFocusChangeEvent& f = event->xfocus;
      if (f.mode == NotifyGrab || f.mode == NotifyUngrab || f.detail == NotifyInferior ||
          f.detail == NotifyPointer || record->kind == WindowKind::kPopup)
        return false;
      out->type = InputEvent::kFocusGained;
      out->window = AsNative(record);
      return true;
    }
    case DestroyNotify:
      // Someone else destroyed our window: the windowing layer ends a dialog
      // that loses it, and takes it as the close box for the main window.
      record->gone = true;
      record->mapped = false;
      out->type = InputEvent::kWindowGone;
      out->window = AsNative(record);
      return true;
    case ConfigureNotify: {
      record->originKnown = false;
      // A manager resizing by the mouse sends a run of these: only the
      // last size is worth a new surface.
      XEvent next;
      while (XCheckTypedWindowEvent(display_, record->window, ConfigureNotify, &next))
        if (!next.xany.send_event) *event = next;
      if (event->xconfigure.window != record->window ||
          !ResizeSurface(record, event->xconfigure.width, event->xconfigure.height))
        return false;
      out->type = InputEvent::kResized;
      out->window = AsNative(record);
      out->width = record->logicalWidth;
      out->height = record->logicalHeight;
      return true;
    }
    case ReparentNotify:
    case MapNotify:
    case UnmapNotify:
      record->originKnown = false;
      return false;
    default:
      return false;
  }
}

bool X11Backend::PollEvent(InputEvent* event) {
  InputEvent scratch;
  if (!event) event = &scratch;
  while (XPending(display_) > 0) {
    XEvent xevent;
    XNextEvent(display_, &xevent);
    if (Translate(&xevent, event)) return true;
  }
  *event = InputEvent{};
  return false;
}

void X11Backend::WaitEvent(std::chrono::microseconds timeout) {
  if (XPending(display_) > 0) return;
  pollfd fd{};
  fd.fd = ConnectionNumber(display_);
  fd.events = POLLIN;
  // ppoll, not poll: a frame's pace needs less than a millisecond's wait.
  const int64_t us = std::max<int64_t>(0, timeout.count());
  const timespec wait{static_cast<time_t>(us / 1000000), static_cast<long>(us % 1000000) * 1000};
  int result;
  do {
    result = ppoll(&fd, 1, &wait, nullptr);
  } while (result < 0 && errno == EINTR);
  // A hang-up surfaces as the lost-server path on the next read.
}

}  // namespace x11
}  // namespace kv
