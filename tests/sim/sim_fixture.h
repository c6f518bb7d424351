// A match on the standard pitch over the headless platform, with no window:
// enough for everything but the mouse control.
#pragma once

#include <gtest/gtest.h>

#include "platform/headless/headless.h"
#include "sim/match.h"
#include "state/cursor_visibility.h"

class SimTest : public testing::Test {
 protected:
  void SetUp() override {
    kv::headless::Install();
    match = new Match(nullptr, Vector2(500.0f, 300.0f));
  }
  void TearDown() override {
    delete match;
    SetCursorVisible(true);  // leave the cursor as the next test expects it
    kv::headless::Uninstall();
  }

  // Puts a sprite at a place, circle and position together.
  static void Place(Sprite* s, float x, float y, float vx = 0.0f, float vy = 0.0f) {
    s->circle.x = x;
    s->circle.y = y;
    s->position = Vector2(x, y);
    s->velocity = Vector2(vx, vy);
  }

  Match* match = nullptr;
};
