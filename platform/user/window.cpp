// Windows: creation, destruction, showing, and the lookups every other part
// of the windowing layer goes through.
#include <algorithm>

#include "platform/gdi/gdi_internal.h"
#include "platform/user/menu.h"
#include "platform/user/metrics.h"
#include "platform/user/user_internal.h"
#include "platform/user/user_state.h"

namespace kv {
namespace user {

namespace {

// A destroyed record is kept this long (in later destructions) before its
// memory is freed, so a stale handle is reported dead instead of naming a
// window that happens to reuse the address.
constexpr size_t kRetiredKept = 32;

void Retire(HWND__* w) {
  UserState& s = State();
  s.windows.erase(std::remove(s.windows.begin(), s.windows.end(), w), s.windows.end());
  if (s.lastHit == w) s.lastHit = nullptr;
  w->magic = 0;
  s.retired.push_back(w);
  if (s.retired.size() > kRetiredKept) {
    delete s.retired.front();
    s.retired.erase(s.retired.begin());
  }
}

// Windows inside `w` (children, not owned windows), in creation order.
std::vector<HWND__*> ChildrenOf(HWND__* w) {
  std::vector<HWND__*> out;
  for (HWND__* c : State().windows) {
    if (c->parent == w) out.push_back(c);
  }
  return out;
}

void MarkDestroying(HWND__* w) {
  w->destroying = true;
  for (HWND__* c : ChildrenOf(w)) MarkDestroying(c);
}

// WM_DESTROY goes to a window before its children, WM_NCDESTROY after them.
void SendDestroyMessages(HWND__* w) {
  SendMessageW(w, WM_DESTROY, 0, 0);
  for (HWND__* c : ChildrenOf(w)) {
    if (LiveWindow(c)) SendDestroyMessages(c);
  }
}

void SendFinalMessages(HWND__* w) {
  for (HWND__* c : ChildrenOf(w)) SendFinalMessages(c);
  SendMessageW(w, WM_NCDESTROY, 0, 0);
}

void Dismantle(HWND__* w, Backend* backend) {
  for (HWND__* c : ChildrenOf(w)) Dismantle(c, backend);
  ForgetCursor(w);
  PurgeMessages(w);
  // Its drawing context goes with it, a child's as much as the parent's.
  ForgetWindowDC(w);
  if (w->native && backend) backend->DestroyWindow(w->native);
  w->native = nullptr;
  w->surface = PixelSurface{};
  Retire(w);
}

}  // namespace

UserState& State() {
  static UserState state;
  return state;
}

UserState::~UserState() {
  for (HWND__* w : windows) delete w;
  for (HWND__* w : retired) delete w;
  for (HMENU__* m : menus) delete m;
}

HWND__* LiveWindow(HWND window) {
  if (!window) return nullptr;
  UserState& s = State();
  if (window == s.lastHit) return window;
  for (HWND__* w : s.windows) {
    if (w == window) {
      s.lastHit = w;
      return w;
    }
  }
  return nullptr;
}

HWND__* TopLevel(HWND__* w) {
  while (w && w->parent) w = w->parent;
  return w;
}

bool IsInside(HWND__* w, HWND__* ancestor) {
  for (; w; w = w->parent) {
    if (w == ancestor) return true;
  }
  return false;
}

bool AcceptsInput(HWND__* w) {
  for (; w; w = w->parent) {
    if (!w->enabled) return false;
  }
  return true;
}

HWND__* WindowOfNative(NativeWindow* native) {
  if (!native) return nullptr;
  for (HWND__* w : State().windows) {
    if (w->native == native) return w;
  }
  return nullptr;
}

void ClientOrigin(HWND__* w, int* x, int* y) {
  if (w->parent) {
    ClientOrigin(w->parent, x, y);
    *x = ClampCoordinate(int64_t{*x} + w->windowRect.left);
    *y = ClampCoordinate(int64_t{*y} + w->windowRect.top);
    return;
  }
  int sx = 0, sy = 0;
  Backend* backend = ActiveBackend();
  if (backend && w->native) backend->SurfaceOrigin(w->native, &sx, &sy);
  *x = sx;
  *y = ClampCoordinate(int64_t{sy} + w->menuBarHeight);
}

PixelSurface ClientView(HWND__* w) {
  PixelSurface view;
  if (!w) return view;
  if (w->parent) {
    // A child sees its own rectangle of the parent's client area; a child
    // that hangs over the parent's top or left edge has no view.
    PixelSurface outer = ClientView(w->parent);
    const RECT& r = w->windowRect;
    if (!outer.pixels || r.left < 0 || r.top < 0 || r.left >= outer.width ||
        r.top >= outer.height) {
      return view;
    }
    view.pixels = outer.pixels + static_cast<size_t>(r.top) * outer.stride + r.left;
    view.width = std::min<int>(w->clientWidth, outer.width - r.left);
    view.height = std::min<int>(w->clientHeight, outer.height - r.top);
    view.stride = outer.stride;
    return view;
  }
  if (!w->surface.pixels) return view;
  view.pixels = w->surface.pixels + static_cast<size_t>(w->menuBarHeight) * w->surface.stride;
  view.width = std::min(w->clientWidth, w->surface.width);
  view.height = std::max(0, std::min(w->clientHeight, w->surface.height - w->menuBarHeight));
  view.stride = w->surface.stride;
  return view;
}

void PresentWhole(HWND__* w) {
  w = TopLevel(w);
  Backend* backend = ActiveBackend();
  if (!w || !w->native || !backend) return;
  backend->Present(w->native, 0, 0, w->surface.width, w->surface.height);
}

bool ClientSurface(HWND window, PixelSurface* out) {
  HWND__* w = LiveWindow(window);
  if (!w || !out) return false;
  // The caller draws into the view next; the last present may still be
  // reading those pixels.
  HWND__* top = TopLevel(w);
  Backend* backend = ActiveBackend();
  if (top && top->native && backend) backend->BeginSurfaceWrite(top->native);
  *out = ClientView(w);
  return true;
}

void PresentClient(HWND window, int x, int y, int width, int height) {
  HWND__* w = LiveWindow(window);
  if (!w) return;
  // Clip to the client area, then move into the top-level surface.
  int left = std::max(x, 0), top = std::max(y, 0);
  int right = std::min<int64_t>(int64_t(x) + width, w->clientWidth);
  int bottom = std::min<int64_t>(int64_t(y) + height, w->clientHeight);
  if (right <= left || bottom <= top) return;
  HWND__* top_level = w;
  for (; top_level->parent; top_level = top_level->parent) {
    left += top_level->windowRect.left;
    right += top_level->windowRect.left;
    top += top_level->windowRect.top;
    bottom += top_level->windowRect.top;
  }
  top += top_level->menuBarHeight;
  bottom += top_level->menuBarHeight;
  left = std::max(left, 0);
  top = std::max(top, top_level->menuBarHeight);
  right = std::min(right, top_level->surface.width);
  bottom = std::min(bottom, top_level->surface.height);
  Backend* backend = ActiveBackend();
  if (right <= left || bottom <= top || !top_level->native || !backend) return;
  backend->Present(top_level->native, left, top, right - left, bottom - top);
}

void ResetWindowing() {
  UserState& s = State();
  ForgetWindowDCs();
  for (HWND__* w : s.windows) {
    w->magic = 0;
    delete w;
  }
  for (HWND__* w : s.retired) delete w;
  s.windows.clear();
  s.retired.clear();
  s.lastHit = nullptr;
  ResetClasses();
  ResetQueueAndInput();
  ForgetMenus();
  // A menu loop still on the stack sees its window gone and ends.
  s.menuTracker = nullptr;
  s.menuWindow = nullptr;
  s.menuInput.clear();
  s.altWindow = nullptr;
  s.altAlone = false;
  s.dialogFrames.clear();
  s.installedBackend = nullptr;
}

}  // namespace user
}  // namespace kv

using kv::user::LiveWindow;
using kv::user::State;
using kv::user::UserState;

HWND CreateWindowExW(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x,
                     int y, int width, int height, HWND parent, HMENU menu, HINSTANCE instance,
                     LPVOID param) {
  kv::Backend* backend = kv::ActiveBackend();
  if (!backend) return nullptr;  // no display
  const kv::user::WindowClass* cls = kv::user::FindClass(className);
  if (!cls) return nullptr;
  HWND__* parentRecord = LiveWindow(parent);
  const bool child = (style & WS_CHILD) != 0;
  if (child && !parentRecord) return nullptr;
  if (x == CW_USEDEFAULT) {
    x = kv::user::kDefaultX;
    y = kv::user::kDefaultY;
  }
  if (width == CW_USEDEFAULT) {
    width = kv::user::kDefaultWidth;
    height = kv::user::kDefaultHeight;
  }

  HWND__* w = new HWND__();
  w->magic = kv::user::kWindowMagic;
  w->className = cls->name;
  w->title = windowName ? windowName : L"";
  w->proc = cls->wc.lpfnWndProc;
  w->instance = instance;
  w->style = style;
  w->exStyle = exStyle;
  w->enabled = (style & WS_DISABLED) == 0;

  if (child) {
    w->parent = parentRecord;
    w->id = static_cast<int>(reinterpret_cast<intptr_t>(menu));
    w->clientWidth = kv::user::ClampSide(width);
    w->clientHeight = kv::user::ClampSide(height);
    w->windowRect = RECT{x, y, static_cast<LONG>(int64_t(x) + w->clientWidth),
                         static_cast<LONG>(int64_t(y) + w->clientHeight)};
  } else {
    w->owner = parentRecord ? kv::user::TopLevel(parentRecord) : nullptr;
    w->menu = menu;
    w->menuBarHeight = menu ? kv::user::MenuBarHeight() : 0;
    kv::user::Geometry g =
        kv::user::ComputeGeometry(style, x, y, width, height, w->menuBarHeight);
    if (!g.fits) {
      delete w;
      return nullptr;
    }
    w->clientWidth = g.clientWidth;
    w->clientHeight = g.clientHeight;
    w->windowRect = kv::user::OuterRect(style, g.surfaceX, g.surfaceY, g.clientWidth,
                                        g.clientHeight, w->menuBarHeight);
    kv::NativeWindowParams params;
    params.x = g.surfaceX;
    params.y = g.surfaceY;
    // A backend cannot make an empty window; the client area stays empty.
    params.width = std::max(1, g.surfaceWidth);
    params.height = std::max(1, g.surfaceHeight);
    params.owner = w->owner ? w->owner->native : nullptr;
    // Captionless popups (drop-downs) are not decorated or managed.
    params.popup = (style & WS_POPUP) != 0 && (style & WS_CAPTION) != WS_CAPTION;
    params.title = w->title.c_str();
    w->native = backend->CreateWindow(params);
    if (!w->native) {
      delete w;
      return nullptr;
    }
    w->surface = backend->Surface(w->native);
  }
  State().windows.push_back(w);

  CREATESTRUCTW cs{};
  cs.lpCreateParams = param;
  cs.hInstance = instance;
  cs.hMenu = menu;
  cs.hwndParent = parent;
  cs.cy = height;
  cs.cx = width;
  cs.y = y;
  cs.x = x;
  cs.style = static_cast<LONG>(style);
  cs.lpszName = windowName;
  cs.lpszClass = className;
  cs.dwExStyle = exStyle;

  if (SendMessageW(w, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&cs)) == 0) {
    // Refused before it existed: only the final message follows.
    if (LiveWindow(w)) {
      w->destroying = true;
      SendMessageW(w, WM_NCDESTROY, 0, 0);
      kv::user::Dismantle(w, backend);
    }
    return nullptr;
  }
  if (SendMessageW(w, WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs)) == -1) {
    DestroyWindow(w);
    return nullptr;
  }
  if (!LiveWindow(w)) return nullptr;  // destroyed itself while being created
  if (style & WS_VISIBLE) ShowWindow(w, SW_SHOW);
  return w;
}

BOOL DestroyWindow(HWND window) {
  HWND__* w = LiveWindow(window);
  if (!w || w->destroying) return FALSE;
  w->destroying = true;
  // Owned windows (dialogs, message boxes) go first.
  for (;;) {
    HWND__* owned = nullptr;
    for (HWND__* o : State().windows) {
      if (o->owner == w && !o->destroying) {
        owned = o;
        break;
      }
    }
    if (!owned) break;
    DestroyWindow(owned);
  }
  kv::Backend* backend = kv::ActiveBackend();
  if (w->visible) {
    w->visible = false;
    if (w->native && backend) backend->ShowWindow(w->native, false);
  }
  kv::user::ForgetCapture(w);
  kv::user::MarkDestroying(w);
  kv::user::SendDestroyMessages(w);
  kv::user::SendFinalMessages(w);
  kv::user::ForgetActivation(w);
  // A top-level window's menu bar goes with it, as on the platform; nothing
  // else owns it. Its drawing context, and its children's, go in Dismantle.
  if (w->menu && !w->parent) DestroyMenu(w->menu);
  w->menu = nullptr;
  kv::user::Dismantle(w, backend);
  return TRUE;
}

BOOL IsWindow(HWND window) { return LiveWindow(window) != nullptr; }

BOOL ShowWindow(HWND window, int showCommand) {
  HWND__* w = LiveWindow(window);
  if (!w) return FALSE;
  const BOOL wasVisible = w->visible ? TRUE : FALSE;
  kv::Backend* backend = kv::ActiveBackend();
  if (showCommand == SW_HIDE) {
    if (!w->visible) return FALSE;
    w->visible = false;
    if (w->native && backend) backend->ShowWindow(w->native, false);
    UserState& s = State();
    if (s.focus && kv::user::IsInside(LiveWindow(s.focus), w)) s.focus = nullptr;
    if (s.active == w) kv::user::ActivateSuccessor(w);
    return wasVisible;
  }
  if (!w->visible) {
    w->visible = true;
    w->needsPaint = true;
  }
  if (w->native && backend) {
    backend->ShowWindow(w->native, true);
    if (w->menu) kv::user::DrawMenuBar(w);
    kv::user::PresentWhole(w);
  }
  const bool dropDown = (w->style & WS_POPUP) != 0 && (w->style & WS_CAPTION) != WS_CAPTION;
  if (!w->parent && !dropDown && kv::user::AcceptsInput(w)) kv::user::Activate(w);
  return wasVisible;
}

BOOL UpdateWindow(HWND window) {
  HWND__* w = LiveWindow(window);
  if (!w) return FALSE;
  // Nothing else validates a window here (there is no BeginPaint), so the
  // paint request is settled by sending it once.
  if (w->visible && w->needsPaint) {
    w->needsPaint = false;
    SendMessageW(w, WM_PAINT, 0, 0);
  }
  return TRUE;
}
