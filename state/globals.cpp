#include "state/globals.h"

// Easy, the level checked at start-up.
float gTimeStep = 0.002f;
Match* gMatch = nullptr;
BackBuffer* gBackBuffer = nullptr;
HINSTANCE gInstance = nullptr;
HMENU gMenu = nullptr;
HWND gWindow = nullptr;
HDC gSpriteDC = nullptr;

const WCHAR gWindowClassName[] = L"MainWindowClassName";
const WCHAR gProductTitle[] = L"Kelvara";
