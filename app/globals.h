// Program-wide state shared by the subsystems.
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
