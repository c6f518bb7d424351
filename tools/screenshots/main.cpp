// Renders the game headless at a few moments of a match and writes what the
// window shows as PNG files: the opening scene, a scene in play, and the
// three verdicts.
//
//   kv_screenshots OUTPUT_DIR
#include <sys/stat.h>

#include <cstdio>
#include <string>

#include "app/app.h"
#include "platform/headless/headless.h"
#include "platform/rt/resources.h"
#include "sim/match.h"
#include "state/cursor_visibility.h"
#include "state/globals.h"
#include "timing/match_clock.h"
#include "timing/title_stats.h"
#include "tools/screenshots/png_writer.h"

namespace {

std::string gOutputDir;
int gFailures = 0;

void DispatchPending() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

// One frame that took `ms` of wall-clock time.
void Frame(int64_t ms = 1) {
  kv::headless::AdvanceClockMs(ms);
  RunFrame();
}

void Save(const char* name) {
  const std::string path = gOutputDir + "/" + name + ".png";
  if (kv::screenshots::WritePng(kv::headless::PresentedClient(gWindow), path)) {
    std::printf("wrote %s\n", path.c_str());
  } else {
    std::fprintf(stderr, "could not write %s\n", path.c_str());
    ++gFailures;
  }
}

void ClickLeft() {
  kv::headless::ClickClient(gWindow, 500, 300, 1);
  DispatchPending();
}

// The left player runs at the ball from its spot, kicks it, and the ball
// travels on for a while.
void PlayAWhile() {
  ClickLeft();
  for (int i = 0; i < 100; ++i) {
    kv::headless::MoveMouseBy(3, 0);
    DispatchPending();
    Frame();
  }
  for (int i = 0; i < 120; ++i) {
    kv::headless::MoveMouseBy(0, i % 2 == 0 ? -1 : 0);
    DispatchPending();
    Frame(2);
  }
}

// A fresh match with the given score, played out to the end of its time.
void Verdict(int32_t left, int32_t right, const char* name) {
  NewGame();
  Frame();
  gMatch->leftScore = left;
  gMatch->rightScore = right;
  Frame();  // the last scene, with the final score
  ClickLeft();
  Frame(45000);
  Save(name);
  // Stop play again so the next match starts from a stopped, visible cursor.
  kv::headless::ClickClient(gWindow, 500, 300, 3);
  DispatchPending();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT_DIR\n", argv[0]);
    return 2;
  }
  gOutputDir = argv[1];
  mkdir(gOutputDir.c_str(), 0755);

  kv::headless::Install();
  // Static initialisation read the real clock; start over on the headless one.
  gClock.StartClock();
  gStatsLastMs = NowMs();

  if (!StartUp(kv::rt::ProgramInstance())) {
    std::fprintf(stderr, "the main window could not be created\n");
    return 1;
  }
  DispatchPending();
  Frame();
  Save("opening");

  PlayAWhile();
  Save("in_play");

  Verdict(0, 0, "tie");
  Verdict(1, 2, "loss");
  Verdict(3, 1, "win");

  DestroyWindow(gWindow);
  DispatchPending();
  SetCursorVisible(true);
  kv::headless::Uninstall();
  return gFailures == 0 ? 0 : 1;
}
