// Menu tracking: the modal loop that runs while the menu bar is active. It
// reads the backend's input itself, so nothing reaches the window's queue
// (and no frame of the game runs) until it ends; a chosen item is posted as
// WM_COMMAND afterwards. The drop-downs are drawn by menu_drop_down.cpp.
#include <algorithm>
#include <cwctype>

#include "platform/backend.h"
#include "platform/user/menu.h"
#include "platform/user/menu_drop_down.h"
#include "platform/user/user_state.h"

namespace kv {
namespace user {

namespace {

constexpr int kIdleWaitMs = 50;

struct Tracker {
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
  bool closeRequested = false;
  // A click outside the menu that closed it: it stays for the window, as
  // the interface's menu loop leaves it in the queue.
  bool replay = false;
  InputEvent replayEvent;
};

Tracker* gTracker = nullptr;  // the running loop, if any

// Alt pressed with nothing else since: its release activates the bar.
HWND gAltWindow = nullptr;
bool gAltAlone = false;

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

// The point of a pointer event lies in the tracked window's surface.
bool InsideTrackedWindow(Tracker& t, const InputEvent& event) {
  HWND__* w = TrackedWindow(t);
  if (!w) return false;
  int ox = 0, oy = 0;
  t.backend->SurfaceOrigin(w->native, &ox, &oy);
  const int x = event.screenX - ox, y = event.screenY - oy;
  return x >= 0 && y >= 0 && x < w->surface.width && y < w->surface.height;
}

int Wrap(int value, int count) { return count <= 0 ? -1 : ((value % count) + count) % count; }

wchar_t KeyChar(const InputEvent& event) {
  if (event.ch) return static_cast<wchar_t>(std::towlower(event.ch));
  if ((event.key >= 'A' && event.key <= 'Z') || (event.key >= '0' && event.key <= '9')) {
    return static_cast<wchar_t>(std::towlower(static_cast<wint_t>(event.key)));
  }
  return 0;
}

void OnKeyDown(Tracker& t, const InputEvent& event) {
  HMENU__* bar = BarMenu(t);
  int titles = bar ? static_cast<int>(bar->entries.size()) : 0;
  HMENU__* sub = DropMenu(t);
  int items = sub && t.open ? static_cast<int>(sub->entries.size()) : 0;
  switch (event.key) {
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
      int next = Wrap(t.title + (event.key == VK_RIGHT ? 1 : -1), titles);
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
        int step = event.key == VK_DOWN ? 1 : -1;
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
  wchar_t key = KeyChar(event);
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

void OnMouse(Tracker& t, const InputEvent& event) {
  int bar = BarHit(t, event.screenX, event.screenY);
  int drop = DropHit(t, event.screenX, event.screenY);
  switch (event.type) {
    case InputEvent::kMouseMove:
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
    case InputEvent::kButtonDown:
      if (event.button == 2) return;
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
        if (bar == -1 && InsideTrackedWindow(t, event)) {
          t.replay = true;  // ...and still reaches the window it lands in
          t.replayEvent = event;
        }
      }
      return;
    case InputEvent::kButtonUp:
      if (event.button != 2 && drop >= 0) Choose(t, drop);
      return;
    default:
      return;
  }
}

void OnEvent(Tracker& t, const InputEvent& event) {
  HWND__* w = TrackedWindow(t);
  switch (event.type) {
    case InputEvent::kKeyDown:
      OnKeyDown(t, event);
      return;
    case InputEvent::kKeyUp:
      if (event.key == VK_MENU && t.altPressed) t.done = true;
      return;
    case InputEvent::kMouseMove:
    case InputEvent::kButtonDown:
    case InputEvent::kButtonUp:
      OnMouse(t, event);
      return;
    case InputEvent::kWindowGone:
    case InputEvent::kCloseRequest:
      if (w && event.window == w->native) {
        t.closeRequested = true;
        t.done = true;
      }
      return;
    case InputEvent::kExpose:
      if (event.window == t.drop.native) {
        DrawDrop(t);
      } else if (w && event.window == w->native) {
        PresentWhole(w);
      }
      return;
    case InputEvent::kFocusLost:
      t.done = true;
      return;
    case InputEvent::kResized:
      // The old pixels are gone: the window takes its new ones now, and its
      // bar is drawn again with the title still lit.
      TakeResizedSurface(event.window);
      if (event.window == t.drop.native) DrawDrop(t);
      return;
    default:
      return;
  }
}

void Track(HWND window, int title, bool openDrop, bool keyboard) {
  if (gTracker) return;  // one menu at a time
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
  gTracker = &t;
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
    while (!t.done && TrackedWindow(t)) {
      InputEvent event;
      if (backend->PollEvent(&event)) {
        OnEvent(t, event);
      } else {
        backend->WaitEvent(std::chrono::milliseconds(kIdleWaitMs));
      }
    }
    CloseDrop(t);
    if (grabbed) backend->UngrabPointer();
  }
  gTracker = nullptr;
  if (!TrackedWindow(t)) return;  // destroyed meanwhile: nothing to post
  ShowBar(t);
  SendMessageW(window, WM_EXITMENULOOP, FALSE, 0);
  if (t.chosen) PostMessageW(window, WM_COMMAND, MAKEWPARAM(t.chosenId, 0), 0);
  if (t.closeRequested) PostMessageW(window, WM_CLOSE, 0, 0);
  if (t.replay && !t.chosen) {
    // Addressed to the window itself, in its own surface's coordinates.
    HWND__* target = TrackedWindow(t);
    int ox = 0, oy = 0;
    backend->SurfaceOrigin(target->native, &ox, &oy);
    t.replayEvent.window = target->native;
    t.replayEvent.x = t.replayEvent.screenX - ox;
    t.replayEvent.y = t.replayEvent.screenY - oy;
    QueueInput(t.replayEvent);
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
  if (!gTracker || !window || LiveWindow(gTracker->window) != window) return -1;
  return gTracker->title;
}

bool OpenDropDown(RECT* screenRect, int* itemHeight, PixelSurface* pixels) {
  if (!gTracker || !gTracker->open || !gTracker->drop.native) return false;
  const DropDown& d = gTracker->drop;
  if (screenRect) *screenRect = RECT{d.x, d.y, d.x + d.width, d.y + d.height};
  if (itemHeight) *itemHeight = d.itemHeight;
  if (pixels) *pixels = gTracker->backend->Surface(d.native);
  return true;
}

bool DefMenuMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  HWND__* w = LiveWindow(window);
  if (!w || !LiveMenu(w->menu)) return false;
  switch (message) {
    case WM_NCLBUTTONDOWN: {
      if (wParam != HTMENU) return false;
      int title = TitleAt(window, lParam);
      if (title >= 0) Track(window, title, true, false);
      return true;
    }
    case WM_SYSKEYDOWN:
      if (wParam == VK_MENU) {
        gAltWindow = window;
        gAltAlone = true;
        return true;
      }
      gAltAlone = false;
      return wParam == VK_F10;
    case WM_SYSKEYUP:
      if (wParam == VK_MENU) {
        bool activate = gAltAlone && gAltWindow == window;
        gAltAlone = false;
        if (activate) Track(window, 0, false, true);
        return true;
      }
      if (wParam == VK_F10) {
        Track(window, 0, false, true);
        return true;
      }
      return false;
    case WM_SYSCHAR: {
      gAltAlone = false;
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
