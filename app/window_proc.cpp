#include "app/app.h"
#include "app/game_objects.h"
#include "res/resource.h"
#include "sim/match.h"
#include "state/globals.h"
#include "timing/match_clock.h"

namespace {

// A difficulty level is nothing but a time step and a check mark.
struct Level {
  UINT command;
  float timeStep;
};
constexpr Level kLevels[] = {
    {IDM_EASY, 0.002f},
    {IDM_MEDIUM, 0.004f},
    {IDM_HARD, 0.006f},
    {IDM_CHAMPION, 0.008f},
};

bool SelectLevel(UINT command) {
  const Level* chosen = nullptr;
  for (const Level& level : kLevels) {
    if (level.command == command) chosen = &level;
  }
  if (!chosen) return false;
  for (const Level& level : kLevels) {
    CheckMenuItem(gMenu, level.command, level.command == command ? MF_CHECKED : MF_UNCHECKED);
  }
  gTimeStep = chosen->timeStep;
  return true;
}

void RunCommand(UINT command) {
  switch (command) {
    case IDM_ABOUT:
      // Modal: no frames run until the box is closed.
      DialogBoxParamW(gInstance, MAKEINTRESOURCEW(IDD_ABOUT), gWindow, AboutDlgProc, 0);
      break;
    case IDM_EXIT:
      DestroyWindow(gWindow);
      break;
    case IDM_NEW_GAME:
      NewGame();
      break;
    default:
      SelectLevel(command);  // any other id does nothing
      break;
  }
}

void StartOrResume() {
  if (!gMatch) return;
  StartPlay();
  gClock.ResumeClock();
}

void Pause() {
  if (!gMatch) return;
  StopPlay(*gMatch);
  gClock.PauseClock();
}

}  // namespace

LRESULT CALLBACK WndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      // gWindow is not set yet: the handle comes with the message.
      ReplaceGameObjects(window);
      return 0;
    case WM_DESTROY:
      ReleaseGameObjects();
      PostQuitMessage(0);
      return 0;
    case WM_COMMAND:
      // The high word (menu, accelerator or control) does not matter.
      RunCommand(LOWORD(wParam));
      return 0;
    case WM_LBUTTONDOWN:
      StartOrResume();
      return 0;
    case WM_RBUTTONDOWN:
      Pause();
      return 0;
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

INT_PTR CALLBACK AboutDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      return TRUE;
    case WM_COMMAND:
      // Only OK (or Enter) closes the box; every other command is absorbed.
      if (LOWORD(wParam) == IDOK) EndDialog(dialog, 0);
      return TRUE;
    default:
      return FALSE;
  }
}
