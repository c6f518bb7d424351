// A long headless match at every time step, with a restless mouse and
// random pauses, checking after every step what must always hold.
#include <cmath>
#include <cstdint>
#include <random>
#include <sstream>
#include <string>

#include "tests/sim/window_fixture.h"

namespace {

bool Finite(const Sprite* s) {
  const float v[] = {s->circle.x, s->circle.y, s->circle.radius, s->position.x,
                     s->position.y, s->velocity.x, s->velocity.y};
  for (float f : v) {
    if (!std::isfinite(f)) return false;
  }
  return true;
}

double Speed(const Vector2& v) { return std::sqrt(double(v.x) * v.x + double(v.y) * v.y); }

bool Within(double value, double low, double high) { return low <= value && value <= high; }

bool InBox(const Bounds& b, const Vector2& p) {
  return b.minX <= p.x && b.minY <= p.y && p.x <= b.maxX && p.y <= b.maxY;
}

struct Snapshot {
  Circle circle;
  Vector2 position;
  Vector2 velocity;
};

Snapshot Take(const Sprite* s) { return Snapshot{s->circle, s->position, s->velocity}; }

bool Same(const Snapshot& a, const Sprite* s) {
  return a.circle.x == s->circle.x && a.circle.y == s->circle.y &&
         a.position.x == s->position.x && a.position.y == s->position.y &&
         a.velocity.x == s->velocity.x && a.velocity.y == s->velocity.y;
}

class LongRunTest : public WindowMatchTest {
 protected:
  struct Totals {
    int goals = 0;
    int kicksByComputer = 0;
    int pauses = 0;
    int playFrames = 0;
  };

  // Steps the match as the frame loop does; returns an empty string while
  // everything holds, else what broke.
  std::string Run(float dt, uint32_t seed, int frames, Totals* totals) {
    std::mt19937 rng(seed);
    auto chance = [&rng](int oneIn) { return rng() % oneIn == 0; };
    auto between = [&rng](int low, int high) { return low + int(rng() % uint32_t(high - low + 1)); };
    const double slack = 1e-3;
    int waitFrames = 0;

    for (int frame = 0; frame < frames; ++frame) {
      std::ostringstream where;
      where << "dt " << dt << " seed " << seed << " frame " << frame << ": ";
      Pump();

      if (match->stopped) {
        if (waitFrames > 0) {
          --waitFrames;
          kv::headless::MoveMouseBy(between(-30, 30), between(-30, 30));
          continue;
        }
        StartPlay();  // the left button
        if (match->stopped != 0 || !kv::headless::PointerHidden())
          return where.str() + "play did not start";
      }

      // The mouse between frames: mostly small moves, some towards the
      // ball, now and then a jump; a click or a pause once in a while.
      if (chance(3)) {
        const Vector2 b = match->ball->position;
        const Vector2 h = match->human->position;
        const double dx = b.x - h.x, dy = b.y - h.y;
        const double len = std::sqrt(dx * dx + dy * dy) + 1e-9;
        const int reach = between(1, 12);
        kv::headless::MoveMouseBy(int(dx / len * reach), int(dy / len * reach));
      } else if (chance(200)) {
        kv::headless::MoveMouseBy(between(-400, 400), between(-300, 300));
      } else {
        kv::headless::MoveMouseBy(between(-6, 6), between(-6, 6));
      }
      if (chance(5000)) StartPlay();  // a left click during play
      if (chance(3000)) {             // the right button
        StopPlay(*match);
        ++totals->pauses;
        waitFrames = between(0, 50);
        continue;
      }
      ++totals->playFrames;

      // The left player: follows the mouse within its rectangle, and the
      // cursor is put back onto it.
      POINT pointer;
      GetCursorPos(&pointer);
      const Vector2 before = match->human->position;
      const double wantX = before.x + double(pointer.x - match->cursorAnchor.x);
      const double wantY = before.y + double(pointer.y - match->cursorAnchor.y);
      match->MoveHuman(dt);
      const Sprite* h = match->human;
      if (!Finite(h)) return where.str() + "left player not finite";
      if (h->circle.x != h->position.x || h->circle.y != h->position.y)
        return where.str() + "left player's circle and position differ";
      if (!Within(h->position.x, 130, 460) || !Within(h->position.y, 55, 545))
        return where.str() + "left player outside its range";
      if (std::fabs(h->position.x - std::min(460.0, std::max(130.0, wantX))) > slack ||
          std::fabs(h->position.y - std::min(545.0, std::max(55.0, wantY))) > slack)
        return where.str() + "left player did not follow the mouse";
      if (kv::headless::PointerX() != originX + int(h->position.x) ||
          kv::headless::PointerY() != originY + int(h->position.y))
        return where.str() + "cursor not pinned to the left player";

      // The right player: frozen while cooling down, else inside its range
      // at no speed or its running speed.
      const bool frozen = match->computerCooldown > 0.0f;
      const Snapshot computerBefore = Take(match->computer);
      match->MoveComputer(dt);
      const Sprite* c = match->computer;
      if (!Finite(c)) return where.str() + "right player not finite";
      if (frozen) {
        if (!Same(computerBefore, c)) return where.str() + "frozen right player changed";
      } else {
        if (c->circle.x != c->position.x || c->circle.y != c->position.y)
          return where.str() + "right player's circle and position differ";
        if (!Within(c->position.x, 540, 870) || !Within(c->position.y, 55, 545))
          return where.str() + "right player outside its range";
        const double s = Speed(c->velocity);
        if (s != 0.0 && std::fabs(s - 300.0) > slack)
          return where.str() + "right player runs at " + std::to_string(s);
      }

      // The ball.
      const int scoresBefore = match->leftScore + match->rightScore;
      const int leftBefore = match->leftScore;
      const float cooldownBefore = match->computerCooldown;
      match->MoveBall(dt);
      const Sprite* ball = match->ball;
      if (!Finite(ball)) return where.str() + "ball not finite";
      if (match->computerCooldown != cooldownBefore) {
        if (match->computerCooldown != 0.1f) return where.str() + "cooldown not 0.1";
        ++totals->kicksByComputer;
      }
      if (match->stopped) {
        // A goal: one more for exactly one side, the bodies back on their
        // spots, everything at rest, the cursor shown and free.
        if (match->leftScore + match->rightScore != scoresBefore + 1)
          return where.str() + "a goal did not count exactly one";
        if (match->leftScore != leftBefore && match->leftScore != leftBefore + 1)
          return where.str() + "left score jumped";
        if (ball->position.x != 500.0f || ball->position.y != 300.0f ||
            ball->circle.x != 500.0f || ball->circle.y != 300.0f ||
            ball->velocity.x != 0.0f || ball->velocity.y != 0.0f)
          return where.str() + "ball not back on the centre spot";
        if (h->position.x != 150.0f || h->position.y != 300.0f || h->velocity.x != 0.0f ||
            h->velocity.y != 0.0f || c->position.x != 850.0f || c->position.y != 300.0f ||
            c->velocity.x != 0.0f || c->velocity.y != 0.0f)
          return where.str() + "players not back on their spots";
        if (kv::headless::PointerHidden() || GetCapture() != nullptr)
          return where.str() + "cursor not freed after a goal";
        ++totals->goals;
        waitFrames = between(0, 20);
      } else {
        if (match->leftScore + match->rightScore != scoresBefore)
          return where.str() + "score changed without a goal";
        // Kicks happen before the cap and bounces only turn the velocity:
        // after the step the ball is never faster than the cap.
        if (Speed(ball->velocity) > match->maxBallSpeed * (1.0 + 1e-6))
          return where.str() + "ball faster than the cap: " + std::to_string(Speed(ball->velocity));
        if (ball->circle.x != ball->position.x || ball->circle.y != ball->position.y)
          return where.str() + "ball's circle and position differ";
        // Clamped into x 70..930, y 40..560 before the motion, then moved by
        // one step of its velocity.
        const double mx = std::fabs(ball->velocity.x) * dt + slack;
        const double my = std::fabs(ball->velocity.y) * dt + slack;
        if (!Within(ball->position.x, 70 - mx, 930 + mx) ||
            !Within(ball->position.y, 40 - my, 560 + my))
          return where.str() + "ball further out than one step";
        if (InBox(match->leftGoal, ball->position) || InBox(match->rightGoal, ball->position))
          return where.str() + "ball in a goal box without a goal";
      }

      // The frame loop's countdown.
      if (match->computerCooldown > 0.0f)
        match->computerCooldown = static_cast<float>(double(match->computerCooldown) - dt);
      if (match->computerCooldown > 0.1f) return where.str() + "cooldown above 0.1";

      if (kv::headless::PointerHidden() != (match->stopped == 0))
        return where.str() + "cursor visibility out of step with play";
    }
    return std::string();
  }
};

TEST_F(LongRunTest, InvariantsHoldAtEveryTimeStep) {
  const float steps[] = {0.002f, 0.004f, 0.006f, 0.008f};
  for (int i = 0; i < 4; ++i) {
    // A fresh match for each step, so a failure replays from its seed alone.
    delete gMatch;
    gMatch = new Match(window, Vector2(500.0f, 300.0f));
    match = gMatch;
    SetCursorVisible(true);
    ReleaseCapture();
    kv::headless::MoveMouse(originX + 150, originY + 300);

    const uint32_t seed = 20261207u + uint32_t(i);
    Totals totals;
    const std::string broken = Run(steps[i], seed, 100000, &totals);
    EXPECT_EQ(broken, "");
    // The run exercised what it is meant to check.
    EXPECT_GT(totals.goals, 0) << steps[i];
    EXPECT_GT(totals.kicksByComputer, 0) << steps[i];
    EXPECT_GT(totals.pauses, 0) << steps[i];
    EXPECT_GT(totals.playFrames, 90000) << steps[i];
    std::printf("dt %.3f: %d goals (%d-%d), %d kicks by the right player, %d pauses\n",
                steps[i], totals.goals, match->leftScore, match->rightScore,
                totals.kicksByComputer, totals.pauses);
  }
}

}  // namespace
