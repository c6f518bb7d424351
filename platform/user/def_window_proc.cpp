// The default handling of messages a window procedure passes on.
#include "platform/user/user_state.h"

namespace {

bool IsMenuMessage(UINT message) {
  switch (message) {
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONUP:
    case WM_NCMOUSEMOVE:
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
    case WM_SYSCHAR:
    case WM_SYSCOMMAND:
      return true;
    default:
      return false;
  }
}

}  // namespace

LRESULT DefWindowProcW(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  HWND__* w = kv::user::LiveWindow(window);
  if (!w) return 0;
  switch (message) {
    case WM_NCCREATE:
      return TRUE;  // creation goes on
    case WM_CLOSE:
      DestroyWindow(window);
      return 0;
    case WM_PAINT:
      // The class brush is NULL_BRUSH: nothing is erased or drawn.
      w->needsPaint = false;
      return 0;
    case WM_SETTEXT:
      return SetWindowTextW(window, reinterpret_cast<LPCWSTR>(lParam));
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) == SC_CLOSE) {
        SendMessageW(window, WM_CLOSE, 0, 0);
        return 0;
      }
      break;
    case WM_SYSKEYDOWN:
      if (wParam == VK_F4 && (lParam & (LPARAM(1) << 29))) {  // Alt+F4
        SendMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
        return 0;
      }
      break;
    default:
      break;
  }
  if (IsMenuMessage(message)) kv::user::DefMenuMessage(window, message, wParam, lParam);
  return 0;
}
