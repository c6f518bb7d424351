#include "timing/title_stats.h"

#include "state/globals.h"
#include "timing/match_clock.h"
#include "timing/title_format.h"

// gStatsLastMs is defined beside gClock, which must be started before it.
int64_t gStatsElapsedMs = 0;
WCHAR gTitleText[256] = {};

void UpdateTitle() {
  FormatTitle(gTitleText, sizeof gTitleText / sizeof gTitleText[0], gProductTitle,
              gClock.Elapsed(), gClock.frameCount);
  SetWindowTextW(gWindow, gTitleText);
}
