// Window classes, and the default icon and arrow cursor.
#include <cwctype>

#include "platform/user/user_state.h"

// Icons and cursors are only ever the platform's defaults here.
struct HICON__ {
  int kind;
};

namespace kv {
namespace user {

namespace {

bool SameName(const std::wstring& a, LPCWSTR b) {
  size_t i = 0;
  for (; i < a.size(); ++i) {
    if (b[i] == 0 || std::towlower(a[i]) != std::towlower(b[i])) return false;
  }
  return b[i] == 0;
}

}  // namespace

const WindowClass* FindClass(LPCWSTR name) {
  if (!name) return nullptr;
  UserState& s = State();
  for (const WindowClass& c : s.classes) {
    if (IS_INTRESOURCE(name) ? c.atom == static_cast<ATOM>(reinterpret_cast<uintptr_t>(name))
                             : SameName(c.name, name)) {
      return &c;
    }
  }
  return nullptr;
}

void ResetClasses() {
  UserState& s = State();
  s.classes.clear();
  s.nextAtom = 0xC000;
}

}  // namespace user
}  // namespace kv

using kv::user::State;
using kv::user::UserState;
using kv::user::WindowClass;

ATOM RegisterClassW(const WNDCLASSW* wndClass) {
  if (!wndClass || !wndClass->lpfnWndProc || !wndClass->lpszClassName ||
      IS_INTRESOURCE(wndClass->lpszClassName) || wndClass->lpszClassName[0] == 0) {
    return 0;
  }
  if (kv::user::FindClass(wndClass->lpszClassName)) return 0;  // names are unique
  UserState& s = State();
  if (s.nextAtom == 0xFFFF) return 0;  // out of atoms
  WindowClass c;
  c.name = wndClass->lpszClassName;
  c.atom = s.nextAtom++;
  c.wc = *wndClass;
  c.wc.lpszClassName = nullptr;  // the caller's strings need not outlive the call
  c.wc.lpszMenuName = nullptr;
  s.classes.push_back(c);
  return c.atom;
}

namespace {
// Handles to tell apart, never written through: the interface's types are
// not const, the objects are.
const HICON__ kApplicationIcon{1};
const HICON__ kArrowCursor{2};
const uintptr_t kStockResourceId = 32512;  // IDI_APPLICATION, IDC_ARROW
}  // namespace

HICON LoadIconW(HINSTANCE instance, LPCWSTR name) {
  if (instance == nullptr && reinterpret_cast<uintptr_t>(name) == kStockResourceId) {
    return const_cast<HICON>(&kApplicationIcon);
  }
  return nullptr;
}

HCURSOR LoadCursorW(HINSTANCE instance, LPCWSTR name) {
  if (instance == nullptr && reinterpret_cast<uintptr_t>(name) == kStockResourceId) {
    return const_cast<HCURSOR>(&kArrowCursor);
  }
  return nullptr;
}
