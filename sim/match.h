// The whole match simulation: the records, the ball, the collisions and the
// two players.
#pragma once

#include <cstdint>

#include "platform/win32.h"
#include "sim/geometry.h"
#include "sim/motion.h"
#include "sim/sprite.h"

struct Match {
  BYTE stopped;
  int32_t leftScore;
  int32_t rightScore;
  Sprite* ball;
  POINT cursor;
  HINSTANCE instance;
  Vector2 centre;
  HWND window;
  Sprite* pitch;
  Bounds ballBounds;
  POINT cursorAnchor;
  Sprite* human;
  Bounds humanBounds;
  Bounds leftGoal;
  Vector2 humanHome;
  Sprite* computer;
  Bounds computerBounds;
  Bounds rightGoal;
  float computerCooldown;
  Vector2 computerHome;
  float maxBallSpeed;
  float computerSpeed;

  Match(HWND window, Vector2 centre);
  ~Match();
  Match(const Match&) = delete;
  Match& operator=(const Match&) = delete;

  // Counts a goal and puts the bodies back on their spots.
  void Goal(bool leftScored);
  // One step of the ball: kicks, speed cap, bounces, motion, goals.
  void MoveBall(float dt);
  // Contact of the ball with one player, and the kick.
  bool Collide(Sprite* player);
  // One step of the left player, steered by the mouse.
  void MoveHuman(float dt);
  // One step of the right player, steered by the program.
  void MoveComputer(float dt);
};

// Puts `moving` at touching distance from `fixed` when they touch or overlap.
bool ResolveOverlap(Circle& moving, const Circle& fixed, Vector2& normal);

// Starts or resumes play on the current match: the cursor onto the left
// player, the mouse captured, the cursor hidden.
void StartPlay();

// Stops play on `match`: stopped set, the mouse released, the cursor shown,
// in that order. The goal, the end of the match and the right button all
// stop play through here; the clock is left to each of them.
void StopPlay(Match& match);
