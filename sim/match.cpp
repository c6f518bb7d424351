#include "sim/match.h"

#include "res/resource.h"
#include "sim/numbers.h"
#include "state/globals.h"

Match::Match(HWND window, Vector2 centre)
    : stopped(1),
      leftScore(0),
      rightScore(0),
      ball(nullptr),
      cursor{0, 0},
      instance(gInstance),
      centre(centre),
      window(window),
      pitch(nullptr),
      ballBounds(),
      cursorAnchor{0, 0},
      human(nullptr),
      humanBounds(),
      leftGoal(),
      humanHome(),
      computer(nullptr),
      computerBounds(),
      rightGoal(),
      computerCooldown(0.0f),
      computerHome(),
      maxBallSpeed(1000.0f),
      computerSpeed(300.0f) {
  using kv_num::Store;
  // The bitmaps are loaded in this order: pitch, ball, right player, left player.
  pitch = new Sprite(instance, Circle(0.0f, 0.0f, 0.0f), IDB_PITCH, IDB_PITCH_MASK, centre,
                     Vector2(0.0f, 0.0f));
  ball = new Sprite(instance, Circle(centre.x, centre.y, 25.0f), IDB_BALL, IDB_BALL_MASK, centre,
                    Vector2(0.0f, 0.0f));
  computerHome = Vector2(850.0f, 300.0f);
  computer = new Sprite(instance, Circle(850.0f, 300.0f, 40.0f), IDB_RIGHT_PLAYER,
                        IDB_RIGHT_PLAYER_MASK, computerHome, Vector2(0.0f, 0.0f));
  humanHome = Vector2(150.0f, 300.0f);
  human = new Sprite(instance, Circle(150.0f, 300.0f, 40.0f), IDB_LEFT_PLAYER,
                     IDB_LEFT_PLAYER_MASK, humanHome, Vector2(0.0f, 0.0f));

  const double cx = centre.x;
  const double cy = centre.y;
  const float right = Store(2.0 * cx - 45.0);
  const float bottom = Store(2.0 * cy - 15.0);
  ballBounds = Bounds(right, bottom, 45.0f, 15.0f);
  humanBounds = Bounds(centre.x, bottom, 90.0f, 15.0f);
  leftGoal = Bounds(95.0f, 375.0f, 45.0f, 225.0f);
  // Derived from the ball's already rounded right edge.
  computerBounds = Bounds(Store(static_cast<double>(ballBounds.maxX) - 45.0), bottom, centre.x,
                          15.0f);
  rightGoal = Bounds(right, 375.0f, Store(2.0 * cx - 95.0), 225.0f);
}

Match::~Match() {
  // Released in this order, which differs from the order of creation.
  delete pitch;
  delete human;
  delete computer;
  delete ball;
}

void Match::Goal(bool leftScored) {
  if (leftScored) {
    leftScore = leftScore + 1;
  } else {
    rightScore = rightScore + 1;
  }
  ball->circle.x = centre.x;
  ball->circle.y = centre.y;
  ball->velocity = Vector2(0.0f, 0.0f);
  ball->position = Vector2(ball->circle.x, ball->circle.y);
  // The players' circles stay put: each follows at its next steering step.
  human->velocity = Vector2(0.0f, 0.0f);
  human->position = humanHome;
  computer->velocity = Vector2(0.0f, 0.0f);
  computer->position = computerHome;
  StopPlay(*this);
}
