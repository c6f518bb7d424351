// The X11 backend: connection, windows and their pixels.
#include "platform/x11/x11_backend.h"

#include <X11/XKBlib.h>
#include <X11/cursorfont.h>
#include <X11/keysym.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xfixes.h>

#include <algorithm>
#include <cstdio>
#include <new>

#include "platform/rt/program.h"
#include "platform/x11/x11_display.h"
#include "platform/x11/x11_errors.h"
#include "platform/x11/x11_scale.h"
#include "platform/x11/x11_testing.h"
#include "platform/x11/x11_window_props.h"

namespace kv {
namespace x11 {

namespace {

// X places windows no further than this from the origin.
constexpr int kMaxPlace = 32767;

bool IsSurfaceVisual(const Visual* visual) {
  return visual->red_mask == 0xFF0000 && visual->green_mask == 0x00FF00 &&
         visual->blue_mask == 0x0000FF;
}

// 24-bit TrueColor, whose images the server stores in 32-bit words: then a
// window's pixels are exactly our 0x00RRGGBB surface.
Visual* ChooseVisual(Display* display, int screen) {
  bool wordPixels = false;
  int count = 0;
  if (XPixmapFormatValues* formats = XListPixmapFormats(display, &count)) {
    for (int i = 0; i < count; ++i)
      if (formats[i].depth == 24 && formats[i].bits_per_pixel == 32) wordPixels = true;
    XFree(formats);
  }
  if (!wordPixels) return nullptr;
  Visual* fallback = DefaultVisual(display, screen);
  if (DefaultDepth(display, screen) == 24 && fallback->c_class == TrueColor &&
      IsSurfaceVisual(fallback))
    return fallback;
  XVisualInfo info{};
  if (XMatchVisualInfo(display, screen, 24, TrueColor, &info) && IsSurfaceVisual(info.visual))
    return info.visual;
  return nullptr;
}

int scaleOverride = 0;

// Scaled up, the program's own pixels live apart from the screen image.
bool AllocateLogical(XWindowRecord* record, int width, int height) {
  record->logicalWidth = width;
  record->logicalHeight = height;
  if (record->frame.width == width) return true;
  try {
    record->logical.assign(static_cast<size_t>(width) * static_cast<size_t>(height), 0u);
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

}  // namespace

void SetScaleOverride(int factor) { scaleOverride = factor >= 0 && factor <= 4 ? factor : 0; }

Backend* OpenBackend() {
  const char* name = XDisplayName(nullptr);
  Display* display = XOpenDisplay(nullptr);
  if (!display) {
    rt::Say("cannot open display \"%s\"%s", name ? name : "",
            (name && *name) ? "" : " (DISPLAY is not set)");
    return nullptr;
  }
  InstallErrorHandlers();
  int screen = DefaultScreen(display);
  Visual* visual = ChooseVisual(display, screen);
  if (!visual) {
    rt::Say("display \"%s\" offers no 24-bit TrueColor visual with 32-bit pixels",
            DisplayString(display));
    XCloseDisplay(display);
    return nullptr;
  }
  Colormap colormap = visual == DefaultVisual(display, screen)
                          ? DefaultColormap(display, screen)
                          : XCreateColormap(display, RootWindow(display, screen), visual, AllocNone);
  const int scale = scaleOverride > 0 ? scaleOverride : DesktopScale(display);
  return new X11Backend(display, visual, colormap, scale, scaleOverride > 0);
}

X11Backend::X11Backend(Display* display, Visual* visual, Colormap colormap, int scale,
                       bool scaleGiven)
    : display_(display),
      scale_(scale < 1 ? 1 : scale),
      scaleGiven_(scaleGiven),
      screen_(DefaultScreen(display)),
      root_(RootWindow(display, screen_)),
      visual_(visual),
      colormap_(colormap) {
  InternAtoms(display_, &atoms_);
  shmUsable_ = SharedMemoryUsable(display_);
  if (shmUsable_) shmCompletionType_ = XShmGetEventBase(display_) + ShmCompletion;
  int eventBase = 0, errorBase = 0, major = 0, minor = 0;
  if (XFixesQueryExtension(display_, &eventBase, &errorBase) &&
      XFixesQueryVersion(display_, &major, &minor))
    fixesUsable_ = major >= 4;
  OpenXInput();
  {
    // An all-transparent 1x1 cursor: over our windows and under our grab
    // the pointer is hidden with it, so other programs keep theirs.
    Pixmap empty = XCreatePixmap(display_, root_, 1, 1, 1);
    GC gc = XCreateGC(display_, empty, 0, nullptr);
    XFillRectangle(display_, empty, gc, 0, 0, 1, 1);
    XFreeGC(display_, gc);
    XColor black{};
    blankCursor_ = XCreatePixmapCursor(display_, empty, empty, &black, &black, 0, 0);
    XFreePixmap(display_, empty);
  }
  arrowCursor_ = XCreateFontCursor(display_, XC_left_ptr);
  // Held keys repeat as presses only, as the interface expects.
  XkbSetDetectableAutoRepeat(display_, True, nullptr);
  ReadModifierMap();
}

X11Backend::~X11Backend() {
  while (!windows_.empty()) DestroyWindow(AsNative(windows_.back()));
  if (blankCursor_ != None) XFreeCursor(display_, blankCursor_);
  if (arrowCursor_ != None) XFreeCursor(display_, arrowCursor_);
  if (colormap_ != DefaultColormap(display_, screen_)) XFreeColormap(display_, colormap_);
  XCloseDisplay(display_);
}

void X11Backend::ReadModifierMap() {
  altMask_ = Mod1Mask;
  XModifierKeymap* map = XGetModifierMapping(display_);
  if (!map) return;
  for (int mod = Mod1MapIndex; mod <= Mod5MapIndex; ++mod) {
    for (int k = 0; k < map->max_keypermod; ++k) {
      KeyCode code = map->modifiermap[mod * map->max_keypermod + k];
      if (!code) continue;
      KeySym sym = XkbKeycodeToKeysym(display_, code, 0, 0);
      if (sym == XK_Alt_L || sym == XK_Alt_R) {
        altMask_ = 1u << mod;
        XFreeModifiermap(map);
        return;
      }
    }
  }
  XFreeModifiermap(map);
}

XWindowRecord* X11Backend::Find(NativeWindow* window) const {
  if (!window) return nullptr;
  for (XWindowRecord* record : windows_)
    if (AsNative(record) == window) return record;
  return nullptr;
}

XWindowRecord* X11Backend::FindByX(Window window) const {
  for (XWindowRecord* record : windows_)
    if (record->window == window) return record;
  return nullptr;
}

void X11Backend::RealScreenSize(int* width, int* height) {
  if (width) *width = DisplayWidth(display_, screen_);
  if (height) *height = DisplayHeight(display_, screen_);
}

void X11Backend::ScreenSize(int* width, int* height) {
  RealScreenSize(width, height);
  if (width) *width /= scale_;
  if (height) *height /= scale_;
}

void X11Backend::FitScale(int width, int height) {
  if (scaleSettled_) return;
  scaleSettled_ = true;
  int screenWidth = 0, screenHeight = 0;
  RealScreenSize(&screenWidth, &screenHeight);
  const int fitting = FittingScale(scale_, width, height, screenWidth, screenHeight);
  if (fitting == scale_) return;
  if (scaleGiven_)
    rt::Say("at --scale %d the %dx%d window does not fit the %dx%d screen; showing it at %d",
            scale_, width * scale_, height * scale_, screenWidth, screenHeight, fitting);
  scale_ = fitting;
}

NativeWindow* X11Backend::CreateWindow(const NativeWindowParams& logical) {
  if (SettlesTheScale(logical)) FitScale(logical.width, logical.height);
  if (!FitsAtScale(logical, scale_)) return nullptr;
  // The window on the screen is the program's one, scale_ times larger.
  NativeWindowParams params = logical;
  params.x = static_cast<int>(std::clamp<long long>(1LL * logical.x * scale_, -kMaxPlace, kMaxPlace));
  params.y = static_cast<int>(std::clamp<long long>(1LL * logical.y * scale_, -kMaxPlace, kMaxPlace));
  params.width = logical.width * scale_;
  params.height = logical.height * scale_;
  XWindowRecord* owner = Find(params.owner);
  auto* record = new XWindowRecord;
  record->kind = params.popup ? WindowKind::kPopup
                 : owner      ? WindowKind::kDialog
                              : WindowKind::kMain;
  record->owner = owner;

  XSetWindowAttributes attributes{};
  // No background: the server never paints over what we presented.
  attributes.background_pixmap = None;
  attributes.border_pixel = 0;
  attributes.colormap = colormap_;
  attributes.override_redirect = params.popup ? True : False;
  attributes.event_mask = ExposureMask | KeyPressMask | KeyReleaseMask | ButtonPressMask |
                          ButtonReleaseMask | PointerMotionMask | FocusChangeMask |
                          StructureNotifyMask | EnterWindowMask | LeaveWindowMask;
  // Every window of ours shows the arrow (the class cursor), not the
  // server's default.
  attributes.cursor = arrowCursor_;
  if (params.popup) attributes.save_under = True;
  unsigned long mask =
      CWBackPixmap | CWBorderPixel | CWColormap | CWOverrideRedirect | CWEventMask | CWSaveUnder |
      CWCursor;

  {
    ErrorTrap trap(display_);
    record->window = XCreateWindow(display_, root_, params.x, params.y,
                                   static_cast<unsigned>(params.width),
                                   static_cast<unsigned>(params.height), 0, 24, InputOutput,
                                   visual_, mask, &attributes);
    if (record->window != None) {
      XGCValues values{};
      values.graphics_exposures = False;
      record->gc = XCreateGC(display_, record->window, GCGraphicsExposures, &values);
      SetManagerHints(display_, record->window, atoms_, record->kind, params.x, params.y,
                      params.width, params.height, owner ? owner->window : None);
      SetWindowTitle(display_, record->window, atoms_, params.title);
      if (xiAllowed) SelectXInput(record->window);
    }
    if (trap.Failed() || record->window == None) {
      if (record->gc) XFreeGC(display_, record->gc);
      if (record->window != None) XDestroyWindow(display_, record->window);
      XSync(display_, False);
      delete record;
      return nullptr;
    }
  }
  if (!CreateFrameImage(display_, visual_, params.width, params.height, shmUsable_ && shmAllowed,
                        &record->frame) ||
      !AllocateLogical(record, logical.width, logical.height)) {
    DestroyFrameImage(display_, &record->frame);
    XFreeGC(display_, record->gc);
    XDestroyWindow(display_, record->window);
    XSync(display_, False);
    delete record;
    return nullptr;
  }
  windows_.push_back(record);
  return AsNative(record);
}

bool X11Backend::ResizeSurface(XWindowRecord* record, int windowWidth, int windowHeight) {
  const int width = SurfaceSide(windowWidth, scale_);
  const int height = SurfaceSide(windowHeight, scale_);
  if (width == record->logicalWidth && height == record->logicalHeight) return false;
  // The server may still be reading the old image.
  if (record->putPending) WaitForPut(record);
  const PixelSurface old = Surface(AsNative(record));
  std::vector<uint32_t> oldLogical;
  oldLogical.swap(record->logical);
  // A shared image keeps the address of its segment's record, so the new
  // image is made in the window's record itself; the old one is let go
  // through a copy, which is all that releasing it needs.
  FrameImage oldFrame = record->frame;
  if (!CreateFrameImage(display_, visual_, width * scale_, height * scale_,
                        shmUsable_ && shmAllowed, &record->frame) ||
      !AllocateLogical(record, width, height)) {
    // No memory: the window keeps the surface it has.
    DestroyFrameImage(display_, &record->frame);
    record->frame = oldFrame;
    record->logical.swap(oldLogical);
    record->logicalWidth = old.width;
    record->logicalHeight = old.height;
    return false;
  }
  // What was drawn stays where it was; the rest is black until drawn.
  CopyOverlap(old, Surface(AsNative(record)));
  DestroyFrameImage(display_, &oldFrame);
  return true;
}

void X11Backend::GiveFocusBackToOwner(XWindowRecord* record) {
  // A window manager does this itself; on a bare server the focus would
  // fall back to the root and keys would go wherever the pointer is.
  if (record->kind == WindowKind::kPopup || !record->owner || record->owner->gone ||
      !record->owner->mapped)
    return;
  Window focus = None;
  int revert = 0;
  XGetInputFocus(display_, &focus, &revert);
  if (focus != record->window) return;
  if (WindowManagerRunning(display_, atoms_)) return;
  XSetInputFocus(display_, record->owner->window, RevertToParent, CurrentTime);
}

void X11Backend::DestroyWindow(NativeWindow* window) {
  XWindowRecord* record = Find(window);
  if (!record) return;
  if (record == grabWindow_) PointerGrabEnded();  // the server ends it with the window
  if (record == pointerInside_) {
    pointerInside_ = nullptr;
    UpdateDisplayHide();
  }
  windows_.erase(std::find(windows_.begin(), windows_.end(), record));
  for (XWindowRecord* other : windows_)
    if (other->owner == record) other->owner = nullptr;
  if (!record->gone) {
    if (record->mapped) GiveFocusBackToOwner(record);
    XDestroyWindow(display_, record->window);
  }
  DestroyFrameImage(display_, &record->frame);
  XFreeGC(display_, record->gc);
  XSync(display_, False);
  // Events already queued for the window find no record and are dropped.
  delete record;
}

void X11Backend::ShowWindow(NativeWindow* window, bool visible) {
  XWindowRecord* record = Find(window);
  if (!record || record->gone || record->mapped == visible) return;
  record->originKnown = false;
  if (visible) {
    XMapRaised(display_, record->window);
    record->mapped = true;
    // On a bare server nobody gives a new window the keyboard; the menu's
    // access keys need it. A manager decides for itself.
    if (record->kind != WindowKind::kPopup && !WindowManagerRunning(display_, atoms_))
      XSetInputFocus(display_, record->window, RevertToParent, CurrentTime);
  } else {
    GiveFocusBackToOwner(record);
    if (record == grabWindow_) PointerGrabEnded();  // the server ends it with the mapping
    XUnmapWindow(display_, record->window);
    record->mapped = false;
  }
  XFlush(display_);
}

void X11Backend::SetTitle(NativeWindow* window, const wchar_t* title) {
  XWindowRecord* record = Find(window);
  if (!record || record->gone) return;
  SetWindowTitle(display_, record->window, atoms_, title);
  XFlush(display_);
}

PixelSurface X11Backend::Surface(NativeWindow* window) {
  XWindowRecord* record = Find(window);
  if (!record) return PixelSurface{};
  if (record->logical.empty()) return SurfaceOf(record->frame);
  PixelSurface s;
  s.pixels = record->logical.data();
  s.width = record->logicalWidth;
  s.height = record->logicalHeight;
  s.stride = record->logicalWidth;
  return s;
}

void X11Backend::SurfaceOrigin(NativeWindow* window, int* x, int* y) {
  int ox = 0, oy = 0;
  XWindowRecord* record = Find(window);
  if (record && !record->gone) {
    // The place changes only with the structure events that clear this.
    if (!record->originKnown) {
      Window child = None;
      if (XTranslateCoordinates(display_, record->window, root_, 0, 0, &record->originX,
                                &record->originY, &child))
        record->originKnown = true;
    }
    ox = record->originX;
    oy = record->originY;
  }
  if (x) *x = FloorDiv(ox, scale_);
  if (y) *y = FloorDiv(oy, scale_);
}

namespace testing {

Display* DisplayOf(Backend* backend) {
  auto* x = dynamic_cast<X11Backend*>(backend);
  return x ? x->display() : nullptr;
}

Window XWindowOf(Backend* backend, NativeWindow* window) {
  auto* x = dynamic_cast<X11Backend*>(backend);
  XWindowRecord* record = x ? x->Find(window) : nullptr;
  return record ? record->window : None;
}

bool UsesSharedMemory(Backend* backend, NativeWindow* window) {
  auto* x = dynamic_cast<X11Backend*>(backend);
  XWindowRecord* record = x ? x->Find(window) : nullptr;
  return record && record->frame.usesShm;
}

void AllowSharedMemory(Backend* backend, bool allowed) {
  if (auto* x = dynamic_cast<X11Backend*>(backend)) x->shmAllowed = allowed;
}

void AllowXInput2(Backend* backend, bool allowed) {
  if (auto* x = dynamic_cast<X11Backend*>(backend)) x->xiAllowed = allowed;
}

void ScreenImageSize(Backend* backend, NativeWindow* window, int* width, int* height) {
  auto* x = dynamic_cast<X11Backend*>(backend);
  XWindowRecord* record = x ? x->Find(window) : nullptr;
  *width = record ? record->frame.width : 0;
  *height = record ? record->frame.height : 0;
}

bool PutPending(Backend* backend, NativeWindow* window) {
  auto* x = dynamic_cast<X11Backend*>(backend);
  XWindowRecord* record = x ? x->Find(window) : nullptr;
  return record && record->putPending;
}

}  // namespace testing

}  // namespace x11
}  // namespace kv
