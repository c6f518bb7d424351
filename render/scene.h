#pragma once

#include "platform/win32.h"

extern WCHAR gScoreText[30];

// Draws the pitch, the players, the ball and the two score lines.
void DrawScene(HDC targetDC);
