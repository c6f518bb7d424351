// The game started headless on the crafted pictures: the real start-up, the
// real window procedure and the real frame step, with the wall clock and the
// mouse in the test's hands. Header-only: the app tests use it as well.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>

#include "app/app.h"
#include "platform/gdi/gdi_internal.h"
#include "platform/headless/headless.h"
#include "render/back_buffer.h"
#include "sim/match.h"
#include "state/cursor_visibility.h"
#include "state/globals.h"
#include "tests/render/crafted_module.h"
#include "tests/support/headless_window.h"
#include "timing/match_clock.h"
#include "timing/title_stats.h"

namespace crafted {

constexpr int64_t kStartMs = 1700000000000LL;

inline Module& TheModule() {
  static Module module;
  return module;
}

// Takes and dispatches every pending message, as the pump does, without
// running frames in between.
inline void DispatchPending() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

// The pixel at (x, y) of a surface, 0x00RRGGBB.
inline uint32_t At(const kv::PixelSurface& s, int x, int y) {
  return s.pixels[static_cast<size_t>(y) * static_cast<size_t>(s.stride) + static_cast<size_t>(x)];
}

class HeadlessGame : public kv::test::HeadlessTest {
 protected:
  void SetUp() override {
    kv::test::HeadlessTest::SetUp();
    kv::headless::SetClockMs(kStartMs);
    // Static initialisation read whatever clock was there; start both timers
    // afresh on the headless one.
    gClock.StartClock();
    gStatsLastMs = NowMs();
    gStatsElapsedMs = 0;
    gTimeStep = 0.002f;
    ASSERT_NE(TheModule().instance(), nullptr);
    ASSERT_TRUE(StartUp(TheModule().instance()));
    DispatchPending();
  }

  void TearDown() override {
    if (gWindow != nullptr && IsWindow(gWindow)) DestroyWindow(gWindow);
    DispatchPending();  // drops the quit request as well
    SetCursorVisible(true);
    // A window's menu goes with the window; in case the windowing layer
    // keeps it, release it here (a handle that is gone is refused).
    DestroyMenu(gMenu);
    gWindow = nullptr;
    gMenu = nullptr;
    gTimeStep = 0.002f;
    kv::headless::SetModalIdleHook(nullptr, nullptr);
    kv::test::HeadlessTest::TearDown();
  }

  // The back buffer's pixels (what the next present will show).
  static kv::PixelSurface Buffer() { return kv::gdi::BitmapPixels(gBackBuffer->bitmap); }

  // A frame that took `ms` of wall-clock time.
  static void Frame(int64_t ms = 0) {
    kv::headless::AdvanceClockMs(ms);
    RunFrame();
  }

  // The left button on the pitch: play starts (or resumes).
  static void ClickLeft() {
    kv::headless::ClickClient(gWindow, 500, 300, 1);
    DispatchPending();
  }
  static void ClickRight() {
    kv::headless::ClickClient(gWindow, 500, 300, 3);
    DispatchPending();
  }

  static void Command(WPARAM wParam) {
    SendMessageW(gWindow, WM_COMMAND, wParam, 0);
    DispatchPending();
  }
};

}  // namespace crafted
