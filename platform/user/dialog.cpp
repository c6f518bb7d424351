// The dialog manager: a modal dialog window made from a template, its
// keyboard and mouse handling, and the loop that runs until EndDialog.
#include "platform/user/dialog.h"

#include "platform/backend.h"
#include "platform/rt/resources.h"
#include "platform/user/look.h"
#include "platform/user/user_state.h"

namespace kv {
namespace user {

namespace {

constexpr int kIdleWaitMs = 50;
const wchar_t kDialogClass[] = L"#32770";

DialogState* StateOf(HWND window) {
  HWND__* w = LiveWindow(window);
  return w ? static_cast<DialogState*>(w->dialog) : nullptr;
}

HWND ControlHandle(DialogControl* control) { return reinterpret_cast<HWND>(control); }

int DefaultButtonId(const DialogState& s) {
  for (const auto& c : s.layout.controls) {
    if (c->defaultButton) return c->id;
  }
  return IDOK;
}

HWND ButtonHandle(DialogState& s, int id) {
  for (auto& c : s.layout.controls) {
    if (c->kind == ControlKind::kPushButton && c->id == id) return ControlHandle(c.get());
  }
  return nullptr;
}

LRESULT CALLBACK DialogWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Commands reach the dialog procedure as the window's own WM_COMMAND.
void Command(DialogState& s, int id) {
  DialogWndProc(s.window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                reinterpret_cast<LPARAM>(ButtonHandle(s, id)));
}

void Repaint(DialogState& s) { PaintDialog(&s); }

int ButtonAt(const DialogState& s, LPARAM clientPoint) {
  int x = GET_X_LPARAM(clientPoint), y = GET_Y_LPARAM(clientPoint);
  for (size_t i = 0; i < s.layout.controls.size(); ++i) {
    const DialogControl& c = *s.layout.controls[i];
    if (c.kind == ControlKind::kPushButton && x >= c.rect.left && x < c.rect.right &&
        y >= c.rect.top && y < c.rect.bottom) {
      return static_cast<int>(i);
    }
  }
  return -1;
}

// Releases a held push button; a release inside it clicks it.
void ReleaseButton(DialogState& s, bool click) {
  int index = s.pressed;
  bool inside = s.pressedInside;
  s.pressed = -1;
  s.pressedInside = true;
  s.pressedBySpace = false;
  Repaint(s);
  if (click && inside && index >= 0) Command(s, s.layout.controls[index]->id);
}

LRESULT CALLBACK DialogWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  DialogState* s = StateOf(window);
  if (!s) return DefWindowProcW(window, message, wParam, lParam);
  if (s->proc && message != WM_PAINT) {
    INT_PTR handled = s->proc(window, message, wParam, lParam);
    s = StateOf(window);  // the procedure may have destroyed the dialog
    if (!s) return handled;
    if (handled) return handled;
  }
  switch (message) {
    case WM_PAINT:
      Repaint(*s);
      return DefWindowProcW(window, message, wParam, lParam);
    case WM_CLOSE:
      // The close box cancels; only the dialog procedure ends the dialog.
      Command(*s, IDCANCEL);
      return 0;
    case WM_LBUTTONDOWN: {
      int index = ButtonAt(*s, lParam);
      if (index < 0) return 0;
      s->pressed = index;
      s->pressedInside = true;
      s->pressedBySpace = false;
      if (s->layout.controls[index]->tabStop) s->focus = index;
      SetCapture(window);
      Repaint(*s);
      return 0;
    }
    case WM_MOUSEMOVE:
      if (s->pressed >= 0 && !s->pressedBySpace) {
        bool inside = ButtonAt(*s, lParam) == s->pressed;
        if (inside != s->pressedInside) {
          s->pressedInside = inside;
          Repaint(*s);
        }
      }
      return 0;
    case WM_LBUTTONUP:
      if (s->pressed >= 0 && !s->pressedBySpace) {
        if (GetCapture() == window) ReleaseCapture();
        s->pressedInside = ButtonAt(*s, lParam) == s->pressed;
        ReleaseButton(*s, true);
      }
      return 0;
    case WM_COMMAND:
    case WM_INITDIALOG:
      return 0;
    case WM_NCDESTROY: {
      HWND__* w = LiveWindow(window);
      if (w) w->dialog = nullptr;
      s->window = nullptr;
      return DefWindowProcW(window, message, wParam, lParam);
    }
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

// What the dialog manager does with keys before they are translated: Enter,
// Esc, Space and Tab belong to the dialog. True when the message was used.
bool DialogKey(DialogState& s, const MSG& msg) {
  if (msg.hwnd != s.window) return false;
  if (msg.message == WM_KEYDOWN) {
    switch (msg.wParam) {
      case VK_RETURN:
        Command(s, DefaultButtonId(s));
        return true;
      case VK_ESCAPE:
        Command(s, IDCANCEL);
        return true;
      case VK_SPACE:
        if (s.focus >= 0 && s.pressed < 0 &&
            s.layout.controls[s.focus]->kind == ControlKind::kPushButton) {
          s.pressed = s.focus;
          s.pressedInside = true;
          s.pressedBySpace = true;
          Repaint(s);
        }
        return true;
      case VK_TAB: {
        // Move the focus to the next tab stop, if there is another.
        int count = static_cast<int>(s.layout.controls.size());
        for (int step = 1; step <= count; ++step) {
          int next = ((s.focus < 0 ? -1 : s.focus) + step) % count;
          if (s.layout.controls[next]->tabStop) {
            s.focus = next;
            break;
          }
        }
        Repaint(s);
        return true;
      }
      default:
        return true;  // nothing in these dialogs takes typing
    }
  }
  if (msg.message == WM_KEYUP) {
    if (msg.wParam == VK_SPACE && s.pressedBySpace) ReleaseButton(s, true);
    return true;
  }
  return msg.message == WM_CHAR;
}

// Registered on every use: the windowing layer may have been reset since
// (a second registration is refused and changes nothing).
void RegisterDialogClass() {
  WNDCLASSW wc{};
  wc.lpfnWndProc = DialogWndProc;
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
  wc.lpszClassName = kDialogClass;
  RegisterClassW(&wc);
}

// The frame the windowing layer puts around a client area of a given style,
// learnt from the windows made so far.
std::map<DWORD, SIZE>& FrameSizes() { return State().dialogFrames; }

// Creates the dialog window with a client area of exactly the layout's size.
HWND CreateDialogWindow(const DialogLayout& layout, HINSTANCE instance, int x, int y, HWND owner) {
  DWORD style = (layout.style & ~static_cast<DWORD>(WS_VISIBLE | WS_DISABLED | WS_CHILD)) | WS_POPUP;
  SIZE frame = FrameSizes().count(style) ? FrameSizes()[style] : SIZE{0, 0};
  for (int attempt = 0; attempt < 2; ++attempt) {
    HWND window = CreateWindowExW(0, kDialogClass, layout.title.c_str(), style, x, y,
                                  layout.clientWidth + frame.cx, layout.clientHeight + frame.cy,
                                  owner, nullptr, instance, nullptr);
    HWND__* w = LiveWindow(window);
    if (!w) return nullptr;
    int dx = layout.clientWidth - w->clientWidth, dy = layout.clientHeight - w->clientHeight;
    if ((dx == 0 && dy == 0) || attempt == 1) {
      FrameSizes()[style] = frame;
      return window;
    }
    DestroyWindow(window);
    frame.cx += dx;
    frame.cy += dy;
  }
  return nullptr;
}

}  // namespace

INT_PTR RunDialog(DialogLayout layout, HINSTANCE instance, int screenX, int screenY, HWND owner,
                  DLGPROC proc, LPARAM param) {
  Backend* backend = ActiveBackend();
  if (!backend) return -1;
  RegisterDialogClass();
  if (!LiveWindow(owner)) owner = nullptr;

  DialogState s;
  s.proc = proc;
  s.layout = std::move(layout);
  s.window = CreateDialogWindow(s.layout, instance, screenX, screenY, owner);
  HWND__* w = LiveWindow(s.window);
  if (!w) return -1;
  w->dialog = &s;
  s.font = CreateFontW(s.layout.fontHeight, 0, 0, 0, s.layout.fontWeight, s.layout.fontItalic,
                       FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                       DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, s.layout.fontFace.c_str());
  for (auto& c : s.layout.controls) {
    if (c->kind == ControlKind::kStaticBitmap && c->hasBitmapId && instance) {
      c->bitmap = LoadBitmapW(instance, MAKEINTRESOURCEW(c->bitmapId));
    }
  }
  // The owner takes no input while the dialog runs.
  bool disabledOwner = owner && IsWindowEnabled(owner);
  if (disabledOwner) EnableWindow(owner, FALSE);

  int first = -1;
  for (size_t i = 0; i < s.layout.controls.size() && first < 0; ++i) {
    if (s.layout.controls[i]->tabStop) first = static_cast<int>(i);
  }
  HWND firstHandle = first >= 0 ? ControlHandle(s.layout.controls[first].get()) : nullptr;
  INT_PTR setFocus = DialogWndProc(s.window, WM_INITDIALOG, reinterpret_cast<WPARAM>(firstHandle), param);
  if (setFocus) s.focus = first;

  bool quit = false;
  int quitCode = 0;
  if (!s.ended && LiveWindow(s.window)) {
    PaintDialog(&s);
    ShowWindow(s.window, SW_SHOWNORMAL);
    SetFocus(s.window);
    PaintDialog(&s);
    while (!s.ended) {
      HWND__* live = LiveWindow(s.window);
      if (!live || live->destroying) break;
      MSG msg{};
      if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
          quit = true;
          quitCode = static_cast<int>(msg.wParam);
          break;
        }
        if (DialogKey(s, msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
      } else {
        backend->WaitEvent(std::chrono::milliseconds(kIdleWaitMs));
      }
    }
  }

  if (disabledOwner && LiveWindow(owner)) EnableWindow(owner, TRUE);
  if (LiveWindow(s.window)) {
    HWND window = s.window;
    DestroyWindow(window);  // the procedure still sees WM_DESTROY
    if (HWND__* still = LiveWindow(window)) still->dialog = nullptr;
  }
  if (owner && LiveWindow(owner)) SetFocus(owner);
  if (s.font) DeleteObject(s.font);
  for (auto& c : s.layout.controls) {
    if (c->bitmap) DeleteObject(c->bitmap);
  }
  // The quit request belongs to the loop outside this one.
  if (quit) PostQuitMessage(quitCode);
  return s.ended ? s.result : 0;
}

}  // namespace user
}  // namespace kv

INT_PTR DialogBoxParamW(HINSTANCE instance, LPCWSTR templateName, HWND owner, DLGPROC dialogProc,
                        LPARAM initParam) {
  kv::rt::ResourceData data;
  if (!kv::rt::FindResource(instance, RT_DIALOG_ID, templateName, &data)) return -1;
  kv::rt::DialogTemplate parsed;
  if (!kv::rt::ParseDialogTemplate(data.data, data.size, &parsed)) return -1;
  kv::user::DialogLayout layout;
  if (!kv::user::LayoutFromTemplate(parsed, &layout)) return -1;
  // The template's position is relative to the owner's client area.
  POINT origin{0, 0};
  if (kv::user::LiveWindow(owner)) ClientToScreen(owner, &origin);
  int x = origin.x + layout.x, y = origin.y + layout.y;
  return kv::user::RunDialog(std::move(layout), instance, x, y, owner, dialogProc, initParam);
}

BOOL EndDialog(HWND dialog, INT_PTR result) {
  kv::user::DialogState* s = kv::user::StateOf(dialog);
  if (!s) return FALSE;
  s->ended = true;
  s->result = result;
  return TRUE;
}

HWND GetDlgItem(HWND dialog, int id) {
  kv::user::DialogState* s = kv::user::StateOf(dialog);
  if (!s) return nullptr;
  for (auto& c : s->layout.controls) {
    if (c->id == id) return kv::user::ControlHandle(c.get());
  }
  return nullptr;
}
