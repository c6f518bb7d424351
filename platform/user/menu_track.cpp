// Menu tracking: the modal loop that runs while the menu bar is active. It
// runs on the messages the translator makes (input.cpp), which go to it
// rather than to the window's queue while it runs, so no frame of the game
// runs until it ends: it takes the pointer and keyboard messages, and any
// other message ends it and is posted to the window it names afterwards,
// with a chosen item's WM_COMMAND. The drop-downs are drawn by
// menu_drop_down.cpp.
#include <algorithm>
#include <cwctype>

#include "platform/backend.h"
#include "platform/user/menu.h"
#include "platform/user/menu_drop_down.h"
#include "platform/user/user_state.h"

namespace kv {
namespace user {

struct MenuTracker {
  HWND window = nullptr;
  HMENU menu = nullptr;
  Backend* backend = nullptr;
  int title = -1;   // highlighted title
  bool open = false;
  int item = -1;    // hot item of the open drop-down
  DropDown drop;
  bool done = false;
  bool chosen = false;
  UINT chosenId = 0;
  bool altPressed = false;  // Alt went down inside the loop
  // Messages that were not the menu's: they end it, and are posted to the
  // windows they name once it has ended.
  std::vector<MSG> handedOn;
  // A click outside the menu that closed it: it stays for the window, as
  // the interface's menu loop leaves it in the queue.
  bool replay = false;
  InputEvent replayEvent;
};

namespace {

constexpr int kIdleWaitMs = 50;

using Tracker = MenuTracker;

HWND__* TrackedWindow(const Tracker& t) {
  HWND__* w = LiveWindow(t.window);
  if (!w || w->destroying || !w->native || w->menu != t.menu || !LiveMenu(t.menu)) return nullptr;
  return w;
}

HMENU__* BarMenu(const Tracker& t) { return LiveMenu(t.menu); }

HMENU__* DropMenu(const Tracker& t) {
  HMENU__* bar = BarMenu(t);
  if (!bar || t.title < 0 || t.title >= static_cast<int>(bar->entries.size())) return nullptr;
  return LiveMenu(bar->entries[t.title].subMenu);
}

void ShowBar(Tracker& t) {
  HWND__* w = TrackedWindow(t);
  if (!w) return;
  DrawMenuBar(w);
  int rows = std::min(w->menuBarHeight, w->surface.height);
  if (rows > 0) t.backend->Present(w->native, 0, 0, w->surface.width, rows);
}

void DrawDrop(Tracker& t) {
  HMENU__* sub = DropMenu(t);
  if (!t.drop.native || !sub) return;
  PixelSurface surface = t.backend->Surface(t.drop.native);
  if (!surface.pixels) return;
  t.backend->BeginSurfaceWrite(t.drop.native);
  if (!PaintDropDown(surface, *sub, t.drop, t.item)) return;
  t.backend->Present(t.drop.native, 0, 0, surface.width, surface.height);
}

void CloseDrop(Tracker& t) {
  if (t.drop.native) t.backend->DestroyWindow(t.drop.native);
  t.drop = DropDown{};
  t.open = false;
  t.item = -1;
}

// Highlights `title` and shows its drop-down (if it has one).
void OpenTitle(Tracker& t, int title, bool selectFirst) {
  CloseDrop(t);
  t.title = title;
  ShowBar(t);
  HMENU__* bar = BarMenu(t);
  if (!bar || title < 0 || title >= static_cast<int>(bar->entries.size())) return;
  HMENU sub = bar->entries[title].subMenu;
  if (!LiveMenu(sub)) return;
  SendMessageW(t.window, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(sub), MAKELPARAM(title, FALSE));
  HWND__* w = TrackedWindow(t);
  HMENU__* subRecord = DropMenu(t);
  if (!w || !subRecord) return;  // the handler took the window or menu away
  MeasureDropDown(*subRecord, &t.drop);
  std::vector<RECT> titles = MenuBarTitleRects(w);
  int ox = 0, oy = 0, screenW = 0, screenH = 0;
  t.backend->SurfaceOrigin(w->native, &ox, &oy);
  t.backend->ScreenSize(&screenW, &screenH);
  t.drop.x = ox + (title < static_cast<int>(titles.size()) ? titles[title].left : 0);
  t.drop.y = oy + w->menuBarHeight;
  if (screenW > 0 && t.drop.x + t.drop.width > screenW) t.drop.x = std::max(0, screenW - t.drop.width);
  NativeWindowParams params;
  params.x = t.drop.x;
  params.y = t.drop.y;
  params.width = t.drop.width;
  params.height = t.drop.height;
  params.owner = w->native;
  params.popup = true;
  t.drop.native = t.backend->CreateWindow(params);
  if (!t.drop.native) return;  // nothing to show: the title stays highlighted
  t.open = true;
  t.item = selectFirst && !subRecord->entries.empty() ? 0 : -1;
  DrawDrop(t);
  t.backend->ShowWindow(t.drop.native, true);
}

void Choose(Tracker& t, int index) {
  HMENU__* sub = DropMenu(t);
  if (!sub || index < 0 || index >= static_cast<int>(sub->entries.size())) return;
  const MenuEntry& entry = sub->entries[index];
  if (EntryInactive(entry) || entry.subMenu) return;
  t.chosen = true;
  t.chosenId = entry.id;
  t.done = true;
}

// A title without a drop-down is a command of its own.
void ChooseTitle(Tracker& t) {
  HMENU__* bar = BarMenu(t);
  if (!bar || t.title < 0 || t.title >= static_cast<int>(bar->entries.size())) return;
  const MenuEntry& entry = bar->entries[t.title];
  if (entry.subMenu) {
    OpenTitle(t, t.title, true);
  } else if (!EntryInactive(entry)) {
    t.chosen = true;
    t.chosenId = entry.id;
    t.done = true;
  }
}

int TitleWithKey(const Tracker& t, wchar_t key) {
  HMENU__* bar = BarMenu(t);
  if (!bar || key == 0) return -1;
  for (size_t i = 0; i < bar->entries.size(); ++i) {
    if (AccessKeyOf(bar->entries[i].text) == key) return static_cast<int>(i);
  }
  return -1;
}

// Title under a screen point: its index, -2 on the bar but off the titles,
// -1 off the bar.
int BarHit(Tracker& t, int sx, int sy) {
  HWND__* w = TrackedWindow(t);
  if (!w) return -1;
  int ox = 0, oy = 0;
  t.backend->SurfaceOrigin(w->native, &ox, &oy);
  int x = sx - ox, y = sy - oy;
  if (y < 0 || y >= w->menuBarHeight || x < 0 || x >= w->surface.width) return -1;
  std::vector<RECT> titles = MenuBarTitleRects(w);
  for (size_t i = 0; i < titles.size(); ++i) {
    if (x >= titles[i].left && x < titles[i].right) return static_cast<int>(i);
  }
  return -2;
}

// Item of the open drop-down under a screen point: its index, -2 inside the
// drop-down's border, -1 outside.
int DropHit(const Tracker& t, int sx, int sy) {
  if (!t.open || !t.drop.native) return -1;
  HMENU__* sub = DropMenu(t);
  return DropDownItemAt(t.drop, sub, sx - t.drop.x, sy - t.drop.y);
}

// A screen point lies in the tracked window's surface.
bool InsideTrackedWindow(Tracker& t, POINT screen) {
  HWND__* w = TrackedWindow(t);
  if (!w) return false;
  int ox = 0, oy = 0;
  t.backend->SurfaceOrigin(w->native, &ox, &oy);
  const int x = screen.x - ox, y = screen.y - oy;
  return x >= 0 && y >= 0 && x < w->surface.width && y < w->surface.height;
}

int Wrap(int value, int count) { return count <= 0 ? -1 : ((value % count) + count) % count; }

// The character a key message stands for, lower-cased: what the key typed,
// else its letter or digit.
wchar_t KeyChar(WPARAM key) {
  const wchar_t typed = key < 256 ? State().keyChars[key] : 0;
  if (typed) return static_cast<wchar_t>(std::towlower(typed));
  if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9')) {
    return static_cast<wchar_t>(std::towlower(static_cast<wint_t>(key)));
  }
  return 0;
}

void OnKeyDown(Tracker& t, WPARAM vk) {
  HMENU__* bar = BarMenu(t);
  int titles = bar ? static_cast<int>(bar->entries.size()) : 0;
  HMENU__* sub = DropMenu(t);
  int items = sub && t.open ? static_cast<int>(sub->entries.size()) : 0;
  switch (vk) {
    case VK_MENU:
      t.altPressed = true;
      return;
    case VK_F10:
      t.done = true;
      return;
    case VK_ESCAPE:
      if (t.open) {
        CloseDrop(t);  // back to the bar, the title still highlighted
        ShowBar(t);
      } else {
        t.done = true;
      }
      return;
    case VK_LEFT:
    case VK_RIGHT: {
      int next = Wrap(t.title + (vk == VK_RIGHT ? 1 : -1), titles);
      if (t.open) {
        OpenTitle(t, next, true);
      } else {
        t.title = next;
        ShowBar(t);
      }
      return;
    }
    case VK_UP:
    case VK_DOWN:
      if (!t.open) {
        ChooseTitle(t);
      } else if (items > 0) {
        int step = vk == VK_DOWN ? 1 : -1;
        t.item = t.item < 0 ? (step > 0 ? 0 : items - 1) : Wrap(t.item + step, items);
        DrawDrop(t);
      }
      return;
    case VK_RETURN:
      if (t.open) {
        Choose(t, t.item);
      } else {
        ChooseTitle(t);
      }
      return;
    default:
      break;
  }
  wchar_t key = KeyChar(vk);
  if (key == 0) return;
  if (t.open) {
    for (int i = 0; i < items; ++i) {
      if (AccessKeyOf(sub->entries[i].text) == key) {
        t.item = i;
        Choose(t, i);
        return;
      }
    }
  } else {
    int title = TitleWithKey(t, key);
    if (title >= 0) {
      t.title = title;
      ChooseTitle(t);
    }
  }
}

// A pointer message as the menu reads it: the kind, the button (1 left,
// 2 middle, 3 right) and the screen point, which every message carries in
// `pt`, queued for a window's client area or non-client area, or made for
// the menu.
struct Pointer {
  enum Kind { kMove, kDown, kUp } kind = kMove;
  int button = 0;
  POINT at{};
  bool shift = false, ctrl = false;
};

bool PointerOf(const MSG& msg, Pointer* p) {
  switch (msg.message) {
    case WM_MOUSEMOVE: case WM_NCMOUSEMOVE: p->kind = Pointer::kMove; break;
    case WM_LBUTTONDOWN: case WM_NCLBUTTONDOWN: p->kind = Pointer::kDown, p->button = 1; break;
    case WM_LBUTTONUP: case WM_NCLBUTTONUP: p->kind = Pointer::kUp, p->button = 1; break;
    case WM_MBUTTONDOWN: p->kind = Pointer::kDown, p->button = 2; break;
    case WM_MBUTTONUP: p->kind = Pointer::kUp, p->button = 2; break;
    case WM_RBUTTONDOWN: p->kind = Pointer::kDown, p->button = 3; break;
    case WM_RBUTTONUP: p->kind = Pointer::kUp, p->button = 3; break;
    default: return false;
  }
  p->at = msg.pt;
  // A non-client message's wParam is where it landed, not the keys held.
  const bool client = msg.message >= WM_MOUSEMOVE;
  p->shift = client && (msg.wParam & MK_SHIFT) != 0;
  p->ctrl = client && (msg.wParam & MK_CONTROL) != 0;
  return true;
}

void OnPointer(Tracker& t, const Pointer& p) {
  int bar = BarHit(t, p.at.x, p.at.y);
  int drop = DropHit(t, p.at.x, p.at.y);
  switch (p.kind) {
    case Pointer::kMove:
      if (bar >= 0 && bar != t.title) {
        if (t.open) {
          OpenTitle(t, bar, false);
        } else {
          t.title = bar;
          ShowBar(t);
        }
      } else if (drop >= 0 && drop != t.item) {
        t.item = drop;
        DrawDrop(t);
      }
      return;
    case Pointer::kDown:
      if (p.button == 2) return;
      if (bar >= 0) {
        if (t.open && bar == t.title) {
          t.done = true;  // a second click on the open title closes the menu
        } else {
          OpenTitle(t, bar, false);
        }
      } else if (drop >= 0) {
        t.item = drop;
        DrawDrop(t);
      } else if (drop == -1) {
        t.done = true;  // a click anywhere else closes the menu...
        if (bar == -1 && InsideTrackedWindow(t, p.at)) {
          t.replay = true;  // ...and still reaches the window it lands in
          t.replayEvent = InputEvent{};
          t.replayEvent.type = InputEvent::kButtonDown;
          t.replayEvent.button = p.button;
          t.replayEvent.screenX = p.at.x;
          t.replayEvent.screenY = p.at.y;
          t.replayEvent.shift = p.shift;
          t.replayEvent.ctrl = p.ctrl;
        }
      }
      return;
    case Pointer::kUp:
      if (p.button != 2 && drop >= 0) Choose(t, drop);
      return;
  }
}

// The messages the menu takes itself: pointer and keyboard input, and the
// notice that the focus went elsewhere.
bool MenuInput(const MSG& msg) {
  Pointer ignored;
  switch (msg.message) {
    case WM_KEYDOWN: case WM_SYSKEYDOWN: case WM_KEYUP: case WM_SYSKEYUP: case WM_CANCELMODE:
      return true;
    default:
      return PointerOf(msg, &ignored);
  }
}

void OnMessage(Tracker& t, const MSG& msg) {
  Pointer p;
  switch (msg.message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      OnKeyDown(t, msg.wParam);
      return;
    case WM_KEYUP:
    case WM_SYSKEYUP:
      if (msg.wParam == VK_MENU && t.altPressed) t.done = true;
      return;
    case WM_CANCELMODE:
      t.done = true;  // the focus went elsewhere
      return;
    default:
      if (PointerOf(msg, &p)) {
        OnPointer(t, p);
      } else {
        // Anything else (a close box) is for its window, after the menu.
        t.handedOn.push_back(msg);
        t.done = true;
      }
      return;
  }
}

// The menu's next message: input the program had queued before the menu
// opened (typed ahead of it) first, as the interface's menu loop finds it
// in the queue; then what the translator has handed it since.
bool TakeMenuMessage(MSG* msg) {
  UserState& s = State();
  for (auto it = s.input.begin(); it != s.input.end(); ++it) {
    if (!MenuInput(*it)) continue;
    *msg = *it;
    s.input.erase(it);
    return true;
  }
  if (s.menuInput.empty()) return false;
  *msg = s.menuInput.front();
  s.menuInput.pop_front();
  return true;
}

void Track(HWND window, int title, bool openDrop, bool keyboard) {
  UserState& s = State();
  if (s.menuTracker) return;  // one menu at a time
  Backend* backend = ActiveBackend();
  HWND__* w = LiveWindow(window);
  if (!backend || !w || w->destroying || !w->native || !w->visible || !w->enabled ||
      !LiveMenu(w->menu)) {
    return;
  }
  HMENU__* bar = LiveMenu(w->menu);
  if (bar->entries.empty()) return;
  title = std::min<int>(std::max(title, 0), static_cast<int>(bar->entries.size()) - 1);

  Tracker t;
  t.window = window;
  t.menu = w->menu;
  t.backend = backend;
  s.menuTracker = &t;
  s.menuWindow = window;
  SendMessageW(window, WM_ENTERMENULOOP, FALSE, 0);
  SendMessageW(window, WM_INITMENU, reinterpret_cast<WPARAM>(t.menu), 0);
  if (TrackedWindow(t)) {
    // The menu takes the mouse for as long as it is open, as the platform does.
    if (GetCapture()) ReleaseCapture();
    w = TrackedWindow(t);
    bool grabbed = w && backend->GrabPointer(w->native);
    if (openDrop) {
      OpenTitle(t, title, keyboard);
    } else {
      t.title = title;
      ShowBar(t);
    }
    // One backend event at a time, each taken as the messages it makes.
    while (!t.done && TrackedWindow(t)) {
      MSG msg;
      if (TakeMenuMessage(&msg)) {
        OnMessage(t, msg);
      } else if (!TranslateNextEvent(backend)) {
        backend->WaitEvent(std::chrono::milliseconds(kIdleWaitMs));
      }
    }
    CloseDrop(t);
    if (grabbed) backend->UngrabPointer();
  }
  // Made for the menu but not taken before it ended: input that goes with
  // the menu, or messages for other windows.
  for (MSG m : s.menuInput) {
    if (!MenuInput(m)) t.handedOn.push_back(m);
  }
  s.menuInput.clear();
  s.menuTracker = nullptr;
  s.menuWindow = nullptr;
  const bool alive = TrackedWindow(t) != nullptr;
  if (alive) {
    ShowBar(t);
    SendMessageW(window, WM_EXITMENULOOP, FALSE, 0);
    if (t.chosen) PostMessageW(window, WM_COMMAND, MAKEWPARAM(t.chosenId, 0), 0);
  }
  // Each to the window it names, if that is still there.
  for (const MSG& m : t.handedOn) PostMessageW(m.hwnd, m.message, m.wParam, m.lParam);
  if (alive && t.replay && !t.chosen) {
    // Addressed to the window itself, in its own surface's coordinates.
    HWND__* target = TrackedWindow(t);
    int ox = 0, oy = 0;
    backend->SurfaceOrigin(target->native, &ox, &oy);
    t.replayEvent.window = target->native;
    t.replayEvent.x = t.replayEvent.screenX - ox;
    t.replayEvent.y = t.replayEvent.screenY - oy;
    TranslateEvent(t.replayEvent);
  }
}

int TitleAt(HWND window, LPARAM screenPoint) {
  HWND__* w = LiveWindow(window);
  Backend* backend = ActiveBackend();
  if (!w || !w->native || !backend) return -1;
  Tracker probe;
  probe.window = window;
  probe.menu = w->menu;
  probe.backend = backend;
  return BarHit(probe, GET_X_LPARAM(screenPoint), GET_Y_LPARAM(screenPoint));
}

int TitleForKey(HWND window, WPARAM ch) {
  HWND__* w = LiveWindow(window);
  if (!w) return -1;
  Tracker probe;
  probe.menu = w->menu;
  return TitleWithKey(probe, static_cast<wchar_t>(std::towlower(static_cast<wint_t>(ch))));
}

}  // namespace

int HighlightedTitle(const HWND__* window) {
  const Tracker* t = State().menuTracker;
  if (!t || !window || LiveWindow(t->window) != window) return -1;
  return t->title;
}

bool OpenDropDown(RECT* screenRect, int* itemHeight, PixelSurface* pixels) {
  const Tracker* t = State().menuTracker;
  if (!t || !t->open || !t->drop.native) return false;
  const DropDown& d = t->drop;
  if (screenRect) *screenRect = RECT{d.x, d.y, d.x + d.width, d.y + d.height};
  if (itemHeight) *itemHeight = d.itemHeight;
  if (pixels) *pixels = t->backend->Surface(d.native);
  return true;
}

bool IsMenuWindow(NativeWindow* native) {
  const Tracker* t = State().menuTracker;
  return t && native && native == t->drop.native;
}

void RedrawMenuWindow() {
  if (Tracker* t = State().menuTracker) DrawDrop(*t);
}

bool DefMenuMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  HWND__* w = LiveWindow(window);
  if (!w || !LiveMenu(w->menu)) return false;
  UserState& s = State();
  switch (message) {
    case WM_NCLBUTTONDOWN: {
      if (wParam != HTMENU) return false;
      int title = TitleAt(window, lParam);
      if (title >= 0) Track(window, title, true, false);
      return true;
    }
    case WM_SYSKEYDOWN:
      if (wParam == VK_MENU) {
        s.altWindow = window;
        s.altAlone = true;
        return true;
      }
      s.altAlone = false;
      return wParam == VK_F10;
    case WM_SYSKEYUP:
      if (wParam == VK_MENU) {
        bool activate = s.altAlone && s.altWindow == window;
        s.altAlone = false;
        if (activate) Track(window, 0, false, true);
        return true;
      }
      if (wParam == VK_F10) {
        Track(window, 0, false, true);
        return true;
      }
      return false;
    case WM_SYSCHAR: {
      s.altAlone = false;
      int title = TitleForKey(window, wParam);
      if (title < 0) return false;
      Track(window, title, true, true);
      return true;
    }
    case WM_SYSCOMMAND:
      switch (wParam & 0xFFF0) {
        case SC_KEYMENU:
          if (lParam == 0) {
            Track(window, 0, false, true);
          } else {
            int title = TitleForKey(window, static_cast<WPARAM>(lParam));
            if (title >= 0) Track(window, title, true, true);
          }
          return true;
        case SC_MOUSEMENU: {
          int title = TitleAt(window, lParam);
          if (title >= 0) Track(window, title, true, false);
          return true;
        }
        default:
          return false;
      }
    default:
      return false;
  }
}

}  // namespace user
}  // namespace kv
