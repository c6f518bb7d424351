#pragma once

#include "platform/win32.h"

extern WCHAR gBannerText[255];

// Draws the end-of-match verdict over the last scene.
void DrawBanner();
