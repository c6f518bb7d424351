#pragma once

#include "platform/win32.h"
#include "sim/geometry.h"

// One picture on the pitch with its collision shape. Owns its two bitmaps.
struct Sprite {
  Circle circle;
  Vector2 position;
  Vector2 velocity;
  BITMAP imageInfo;
  HBITMAP image;
  HINSTANCE instance;
  BITMAP maskInfo;
  HBITMAP mask;

  Sprite(HINSTANCE instance, Circle circle, WORD imageId, WORD maskId, Vector2 position,
         Vector2 velocity);
  ~Sprite();
  Sprite(const Sprite&) = delete;
  Sprite& operator=(const Sprite&) = delete;

  // Draws the picture through its mask, centred on `position`.
  void Draw(HDC spriteDC, HDC targetDC);
};
