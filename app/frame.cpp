#include "app/app.h"
#include "render/back_buffer.h"
#include "render/banner.h"
#include "render/scene.h"
#include "sim/match.h"
#include "state/globals.h"
#include "timing/match_clock.h"
#include "timing/title_stats.h"

namespace {
constexpr int64_t kMatchLengthMs = 45000;
constexpr int64_t kTitleIntervalMs = 1000;

void StepPlay() {
  if (!gMatch->stopped) ++gClock.frameCount;
  const int64_t now = NowMs();
  const float dt = gTimeStep;
  gStatsElapsedMs = now - gStatsLastMs;

  if (!gMatch->stopped) {
    gMatch->MoveHuman(dt);
    gMatch->MoveComputer(dt);
    gMatch->MoveBall(dt);
    // Not held at zero: it may end a little below and stays there until the
    // next touch. A NaN compares false and is left alone.
    if (gMatch->computerCooldown > 0.0f) {
      gMatch->computerCooldown =
          static_cast<float>(static_cast<double>(gMatch->computerCooldown) - dt);
    }
  }

  DrawScene(gBackBuffer->memoryDC);

  // Read `stopped` again: a goal in this frame skips the refresh.
  if (gStatsElapsedMs >= kTitleIntervalMs && !gMatch->stopped) {
    gStatsLastMs = NowMs();
    gStatsElapsedMs = 0;
    UpdateTitle();
  }
}

void EndMatch() {
  // The verdict lands on the last scene, which is not drawn again.
  DrawBanner();
  StopPlay(*gMatch);
  gClock.PauseClock();
}

}  // namespace

void RunFrame() {
  // Nothing to draw once the window's objects are gone.
  if (!gMatch || !gBackBuffer) return;

  // A goal stops play without touching the clock; catch up here.
  if (gMatch->stopped && !gClock.paused) gClock.PauseClock();

  if (gClock.Elapsed() >= kMatchLengthMs) {
    EndMatch();
  } else {
    StepPlay();
  }
  gBackBuffer->Present();
}
