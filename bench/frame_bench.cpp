// The headless half of `make bench`: the cost of one frame in each state of
// play, the memory traffic a frame cannot avoid, allocations on the frame
// path and live drawing objects over a long run. Prints "name: value" lines.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <random>
#include <vector>

#include "alloc_count.h"
#include "app/app.h"
#include "platform/gdi/gdi_internal.h"
#include "platform/headless/headless.h"
#include "platform/rt/resources.h"
#include "sim/match.h"
#include "state/globals.h"

namespace {

using Clock = std::chrono::steady_clock;

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0.0 : v[v.size() / 2];
}

void PumpPending() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

// Drives play the way a person would: a click to start, the mouse wandering
// over the left half, another click whenever a goal has stopped play.
struct Player {
  std::mt19937 random{12345};
  void Start() {
    kv::headless::ClickClient(gWindow, 150, 300, 1);
    PumpPending();
  }
  void BeforeFrame() {
    if (gMatch->stopped) Start();
    std::uniform_int_distribution<int> step(-4, 4);
    kv::headless::MoveMouseBy(step(random), step(random));
    PumpPending();
  }
};

// The unavoidable memory traffic of a frame: the pitch written over the whole
// surface, and the surface copied to the window, repeated back to back as the
// frames are, so both find their buffers equally warm in the cache.
struct Floor {
  static constexpr size_t kPixels = 1000 * 600;
  std::vector<uint32_t> pitch = std::vector<uint32_t>(kPixels, 0x008000);
  std::vector<uint32_t> back = std::vector<uint32_t>(kPixels);
  std::vector<uint32_t> window = std::vector<uint32_t>(kPixels);
  std::vector<double> samples;
  double Sample() {
    pitch[samples.size() % kPixels] ^= 1;  // keep the copies from being folded away
    const auto t0 = Clock::now();
    std::memcpy(back.data(), pitch.data(), kPixels * sizeof(uint32_t));
    std::memcpy(window.data(), back.data(), kPixels * sizeof(uint32_t));
    const auto t1 = Clock::now();
    volatile uint32_t sink = window[12345];
    (void)sink;
    samples.push_back(std::chrono::duration<double, std::micro>(t1 - t0).count());
    return samples.back();
  }
};

double TimeFrames(int count, Player* player, std::vector<double>* out) {
  out->clear();
  for (int i = 0; i < count; ++i) {
    if (player) player->BeforeFrame();
    const auto t0 = Clock::now();
    RunFrame();
    const auto t1 = Clock::now();
    out->push_back(std::chrono::duration<double, std::micro>(t1 - t0).count());
  }
  return Median(*out);
}

int64_t CountAllocations(int frames) {
  int64_t total = 0;
  for (int i = 0; i < frames; ++i) {
    const int64_t before = bench::AllocationCount();
    RunFrame();
    total += bench::AllocationCount() - before;
  }
  return total;
}

long ResidentKiB() {
  FILE* f = std::fopen("/proc/self/status", "r");
  if (!f) return -1;
  char line[256];
  long kib = -1;
  while (std::fgets(line, sizeof line, f)) {
    if (std::strncmp(line, "VmRSS:", 6) == 0) kib = std::strtol(line + 6, nullptr, 10);
  }
  std::fclose(f);
  return kib;
}

int64_t LiveObjects() { return kv::gdi::LiveObjectCount() + kv::gdi::LiveDCCount(); }

}  // namespace

int main() {
  kv::headless::Install();
  if (!StartUp(kv::rt::ProgramInstance())) {
    std::fprintf(stderr, "bench: the main window could not be created\n");
    return 1;
  }
  PumpPending();
  // The match clock was started by static initialisation, before the
  // headless clock existed; a new game restarts it on the clock we drive, so
  // that the match can be made to end below.
  NewGame();
  PumpPending();
  const int kSamples = 3000;
  std::vector<double> samples;
  Player player;

  // Warm up caches (glyphs, code) before anything is measured.
  player.Start();
  TimeFrames(500, &player, &samples);

  const double playing = TimeFrames(kSamples, &player, &samples);
  // Right after the frames it is compared with, while the machine's load is
  // much the same.
  Floor floorRun;
  for (int i = 0; i < 50; ++i) floorRun.Sample();  // its pages touched once
  floorRun.samples.clear();
  for (int i = 0; i < 400; ++i) floorRun.Sample();

  SendMessageW(gWindow, WM_RBUTTONDOWN, 0, 0);
  const double stopped = TimeFrames(kSamples, nullptr, &samples);

  // The heaviest verdict: a win draws the trophy on every frame.
  gMatch->leftScore = 3;
  gMatch->rightScore = 1;
  player.Start();
  kv::headless::AdvanceClockMs(46000);
  const double over = TimeFrames(kSamples, nullptr, &samples);

  const double floor = Median(floorRun.samples);
  std::printf("frame_us_playing: %.1f\n", playing);
  std::printf("frame_us_stopped: %.1f\n", stopped);
  std::printf("frame_us_over: %.1f\n", over);
  std::printf("floor_us: %.1f\n", floor);
  std::printf("frame_vs_floor: %.2f\n", floor > 0 ? playing / floor : 0.0);

  // Allocations: only RunFrame is counted, over 10,000 frames of play.
  NewGame();
  PumpPending();
  player.Start();
  int64_t allocations = 0;
  for (int i = 0; i < 10000; ++i) {
    player.BeforeFrame();
    const int64_t before = bench::AllocationCount();
    RunFrame();
    allocations += bench::AllocationCount() - before;
  }
  std::printf("allocations_per_frame: %.3f\n", allocations / 10000.0);

  // The same count with play stopped and after the match, where the verdict
  // creates its font (and on a win the trophy) on every frame.
  SendMessageW(gWindow, WM_RBUTTONDOWN, 0, 0);
  PumpPending();
  std::printf("allocations_per_frame_stopped: %.3f\n", CountAllocations(1000) / 1000.0);
  gMatch->leftScore = 3;
  gMatch->rightScore = 1;
  player.Start();
  kv::headless::AdvanceClockMs(46000);
  std::printf("allocations_per_frame_over: %.3f\n", CountAllocations(1000) / 1000.0);

  // A long run through every state: live drawing objects and resident memory.
  const int64_t liveBefore = LiveObjects();
  const long rssBefore = ResidentKiB();
  for (int round = 0; round < 4; ++round) {
    NewGame();
    PumpPending();
    player.Start();
    for (int i = 0; i < 15000; ++i) {
      player.BeforeFrame();
      RunFrame();
    }
    SendMessageW(gWindow, WM_RBUTTONDOWN, 0, 0);
    for (int i = 0; i < 5000; ++i) RunFrame();
    player.Start();
    kv::headless::AdvanceClockMs(46000);
    for (int i = 0; i < 5000; ++i) RunFrame();
  }
  std::printf("live_objects_after_100k_frames: %lld\n",
              static_cast<long long>(LiveObjects() - liveBefore));
  std::printf("resident_kib_growth_100k_frames: %ld\n", ResidentKiB() - rssBefore);

  DestroyWindow(gWindow);
  PumpPending();
  kv::headless::Uninstall();
  return 0;
}
