// The current match in a headless main window, for the mouse control: the
// window's client area is the pitch, and the headless mouse is the cursor.
#pragma once

#include <gtest/gtest.h>

#include "platform/headless/headless.h"
#include "sim/match.h"
#include "state/cursor_visibility.h"
#include "state/globals.h"
#include "tests/support/headless_window.h"

class WindowMatchTest : public testing::Test {
 protected:
  static LRESULT CALLBACK Proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    return DefWindowProcW(w, m, wp, lp);
  }

  void SetUp() override {
    kv::headless::Install();
    window = kv::test::CreateMainGeometryWindow(&Proc);
    ASSERT_NE(window, nullptr);
    ShowWindow(window, SW_SHOW);
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    originX = origin.x;
    originY = origin.y;
    gMatch = new Match(window, Vector2(500.0f, 300.0f));
    match = gMatch;
  }

  void TearDown() override {
    delete gMatch;
    gMatch = nullptr;
    SetCursorVisible(true);  // leave the cursor as the next test expects it
    ReleaseCapture();
    DestroyWindow(window);
    kv::headless::Uninstall();
  }

  // Where the pointer is, in client coordinates of the window.
  POINT PointerClient() const {
    return POINT{kv::headless::PointerX() - originX, kv::headless::PointerY() - originY};
  }

  // Messages the mouse produced are taken off the queue, as the pump would.
  void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  }

  HWND window = nullptr;
  Match* match = nullptr;
  int originX = 0;
  int originY = 0;
};
