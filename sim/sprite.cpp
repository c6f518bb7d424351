#include "sim/sprite.h"

#include <cstring>

Sprite::Sprite(HINSTANCE instance, Circle circle, WORD imageId, WORD maskId, Vector2 position,
               Vector2 velocity)
    : circle(), position(), velocity(), image(nullptr), instance(instance), mask(nullptr) {
  // A bitmap that fails to load leaves its description unfilled; zeroed, the
  // sprite then draws with zero size instead of garbage.
  std::memset(&imageInfo, 0, sizeof imageInfo);
  std::memset(&maskInfo, 0, sizeof maskInfo);
  image = LoadBitmapW(instance, MAKEINTRESOURCEW(imageId));
  mask = LoadBitmapW(instance, MAKEINTRESOURCEW(maskId));
  GetObjectW(image, sizeof(BITMAP), &imageInfo);
  GetObjectW(mask, sizeof(BITMAP), &maskInfo);
  this->circle = circle;
  this->position = position;
  this->velocity = velocity;
}

Sprite::~Sprite() {
  DeleteObject(image);
  DeleteObject(mask);
}
