#include <cmath>

#include "sim/sprite.h"

namespace {

// Truncates toward zero. A position that is not a number or lies far beyond
// the pitch still gives a coordinate off the surface instead of an undefined
// conversion; the raster operations clip it.
int PixelFromFloat(float value) {
  constexpr float kFarAway = 1.0e6f;
  if (std::isnan(value)) return -static_cast<int>(kFarAway);
  if (value > kFarAway) return static_cast<int>(kFarAway);
  if (value < -kFarAway) return -static_cast<int>(kFarAway);
  return static_cast<int>(value);
}

}  // namespace

void Sprite::Draw(HDC spriteDC, HDC targetDC) {
  const int w = imageInfo.bmWidth;
  const int h = imageInfo.bmHeight;
  const int left = PixelFromFloat(position.x) - w / 2;
  const int top = PixelFromFloat(position.y) - h / 2;

  // AND the mask to cut the silhouette out, then OR the picture into it.
  HGDIOBJ previous = SelectObject(spriteDC, mask);
  BitBlt(targetDC, left, top, w, h, spriteDC, 0, 0, SRCAND);
  SelectObject(spriteDC, image);
  BitBlt(targetDC, left, top, w, h, spriteDC, 0, 0, SRCPAINT);
  SelectObject(spriteDC, previous);
}
