// The clock and the title-statistics timer live in one translation unit so
// that their static initialisation runs in this order: the statistics timer
// starts right after the clock.
#include "timing/match_clock.h"
#include "timing/title_stats.h"

MatchClock gClock;
int64_t gStatsLastMs = NowMs();
