#include "app/app.h"
#include "app/command_line.h"
#include "app/pace.h"
#include "res/resource.h"
#include "state/globals.h"

namespace {

void RegisterMainClass() {
  WNDCLASSW windowClass = {};
  windowClass.style = CS_HREDRAW | CS_VREDRAW;
  windowClass.lpfnWndProc = WndProc;
  windowClass.cbClsExtra = 0;
  windowClass.cbWndExtra = 0;
  windowClass.hInstance = gInstance;
  windowClass.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  // Paints nothing: the presented frame is the only thing on the client area.
  windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
  windowClass.lpszMenuName = nullptr;
  windowClass.lpszClassName = gWindowClassName;
  RegisterClassW(&windowClass);
}

}  // namespace

bool StartUp(HINSTANCE instance) {
  gInstance = instance;
  RegisterMainClass();

  gMenu = LoadMenuW(gInstance, MAKEINTRESOURCEW(IDR_MAIN_MENU));
  CheckMenuItem(gMenu, IDM_EASY, MF_CHECKED);

  // Fixed border, caption, window menu and close box; no minimise or maximise.
  gWindow = CreateWindowExW(0, gWindowClassName, gProductTitle, WS_SYSMENU, 200, 200, 1007, 649,
                            nullptr, gMenu, gInstance, nullptr);
  if (!gWindow) {
    MessageBoxW(nullptr, L"Window Creation Failed.", L"Error", MB_OK);
    // No window took the menu over; it would outlive the program's last use.
    DestroyMenu(gMenu);
    gMenu = nullptr;
    return false;
  }

  ShowWindow(gWindow, SW_SHOWNORMAL);
  UpdateWindow(gWindow);
  return true;
}

int RunMessagePump() {
  MSG message = {};
  // Every pending message goes before the next frame; frames run back to back
  // without any wait while the queue is empty.
  while (message.message != WM_QUIT) {
    if (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    } else {
      RunFrame();
    }
  }
  return static_cast<int>(message.wParam);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
  Options options;
  int exitStatus = 0;
  PlatformAbilities platform;
  platform.records = kPlatformRecords;
  if (!ReadCommandLine(commandLine, platform, &options, &exitStatus)) return exitStatus;
  if (!StartUp(instance)) return 1;  // a failed start must not read as success
  return options.pace ? RunPacedPump(options.pace) : RunMessagePump();
}
