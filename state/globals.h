// Program-wide state shared by the subsystems. It sits on the game's ground
// floor: sim, render and timing read it without reaching up into app/.
#pragma once

#include "platform/win32.h"

struct Match;
struct BackBuffer;

extern float gTimeStep;
extern Match* gMatch;
extern BackBuffer* gBackBuffer;
extern HINSTANCE gInstance;
extern HMENU gMenu;
extern HWND gWindow;
extern HDC gSpriteDC;

extern const WCHAR gWindowClassName[];  // "MainWindowClassName"
extern const WCHAR gProductTitle[];     // "Kelvara"
