#include "app/app.h"
#include "app/game_objects.h"
#include "state/globals.h"
#include "timing/match_clock.h"
#include "timing/title_stats.h"

void NewGame() {
  gStatsLastMs = NowMs();
  gStatsElapsedMs = 0;

  // A fresh clock that stands still until the first left click.
  gClock.StartClock();
  gClock.PauseClock();

  // The level, the title, the capture and the cursor are left as they are.
  ReplaceGameObjects(gWindow);
}
