// XInput 2: the pointer's place to a fraction of a pixel. A compositor (or
// libinput) moves the pointer by fractions; core events and pointer queries
// give whole pixels only, its motion events the fraction too.
#include <X11/extensions/XInput2.h>

#include <cmath>

#include "platform/x11/x11_display.h"
#include "platform/x11/x11_errors.h"

namespace kv {
namespace x11 {

namespace {

int WholePixel(double place) { return static_cast<int>(std::floor(place)); }

}  // namespace

void X11Backend::OpenXInput() {
  // A server without version 2 answers the query with an error.
  ErrorTrap trap(display_);
  int event = 0, error = 0, major = 2, minor = 0;
  xiUsable_ = XQueryExtension(display_, "XInputExtension", &xiOpcode_, &event, &error) &&
              XIQueryVersion(display_, &major, &minor) == Success && !trap.Failed();
  if (!xiUsable_) return;
  // Devices that come and go, or change, may reuse a known number.
  unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
  XISetMask(bits, XI_HierarchyChanged);
  XISetMask(bits, XI_DeviceChanged);
  XIEventMask mask{XIAllDevices, static_cast<int>(sizeof(bits)), bits};
  XISelectEvents(display_, root_, &mask, 1);
}

void X11Backend::SelectXInput(Window window) {
  if (!xiUsable_) return;
  // The server then sends this window no core motion.
  unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
  XISetMask(bits, XI_Motion);
  XIEventMask mask{XIAllMasterDevices, static_cast<int>(sizeof(bits)), bits};
  XISelectEvents(display_, window, &mask, 1);
}

bool X11Backend::AbsoluteDevice(int id) {
  for (const auto& [known, absolute] : absoluteDevices_)
    if (known == id) return absolute;
  bool absolute = false;
  int count = 0;
  // A device gone since its event is no device of either kind.
  ErrorTrap trap(display_);
  if (XIDeviceInfo* info = XIQueryDevice(display_, id, &count)) {
    for (int i = 0; i < count; ++i)
      for (int c = 0; c < info[i].num_classes; ++c) {
        const auto* valuator = reinterpret_cast<const XIValuatorClassInfo*>(info[i].classes[c]);
        if (valuator->type == XIValuatorClass && valuator->number == 0)
          absolute = valuator->mode == XIModeAbsolute;
      }
    XIFreeDeviceInfo(info);
  }
  absoluteDevices_.emplace_back(id, absolute);
  return absolute;
}

bool X11Backend::MotionFollows() {
  if (XEventsQueued(display_, QueuedAlready) == 0) return false;
  XEvent next;
  XPeekEvent(display_, &next);
  return next.type == GenericEvent && next.xcookie.extension == xiOpcode_ &&
         next.xcookie.evtype == XI_Motion;
}

bool X11Backend::TranslateXInput(XEvent* event, InputEvent* out) {
  XGenericEventCookie* cookie = &event->xcookie;
  if (!xiUsable_ || cookie->extension != xiOpcode_ || !XGetEventData(display_, cookie))
    return false;
  bool translated = false;
  if (cookie->evtype == XI_HierarchyChanged || cookie->evtype == XI_DeviceChanged) {
    absoluteDevices_.clear();
  } else if (cookie->evtype == XI_Motion) {
    const auto* m = static_cast<const XIDeviceEvent*>(cookie->data);
    // The device that moved the pointer: a warp's own report names the one
    // that moved it last.
    const PointerReport kind =
        AbsoluteDevice(m->sourceid) ? PointerReport::kAbsolute : PointerReport::kMotion;
    NotePointerPlace(cookie->serial, m->root == root_, m->root_x, m->root_y, kind);
    XWindowRecord* record = FindByX(m->event);
    // Only the latest place of a run of motions matters (a button or a
    // crossing between them is an event of its own).
    if (record && !MotionFollows()) {
      out->type = InputEvent::kMouseMove;
      out->window = AsNative(record);
      SetPointer(out, WholePixel(m->event_x), WholePixel(m->event_y), WholePixel(m->root_x),
                 WholePixel(m->root_y), scale_);
      SetModifiers(out, static_cast<unsigned>(m->mods.effective), altMask_);
      translated = true;
    }
  }
  XFreeEventData(display_, cookie);
  return translated;
}

}  // namespace x11
}  // namespace kv
