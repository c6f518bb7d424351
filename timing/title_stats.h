// The once-a-second statistics line in the window title.
#pragma once

#include <cstdint>

#include "platform/win32.h"

extern int64_t gStatsLastMs;
extern int64_t gStatsElapsedMs;
extern WCHAR gTitleText[256];

void UpdateTitle();
