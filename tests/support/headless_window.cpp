#include "tests/support/headless_window.h"

#include <cwchar>

namespace kv {
namespace test {

HWND CreateMainGeometryWindow(WNDPROC proc, HMENU menu, LPVOID param) {
  wchar_t name[64];
  std::swprintf(name, 64, L"KvTestWindow%p", reinterpret_cast<void*>(proc));
  WNDCLASSW wc{};
  wc.style = CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = proc;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
  wc.lpszClassName = name;
  RegisterClassW(&wc);  // already there when the procedure was used before
  return CreateWindowExW(0, name, L"Kelvara", WS_SYSMENU, kMainX, kMainY, kMainWidth,
                         kMainHeight, nullptr, menu, nullptr, param);
}

}  // namespace test
}  // namespace kv
