#include "pitch_picture.h"

namespace kv_e2e {

bool IsKitBlue(uint32_t pixel) {
  int r = (pixel >> 16) & 0xFF, g = (pixel >> 8) & 0xFF, b = pixel & 0xFF;
  return b >= 100 && r >= 8 && r < 90 && g < 140 && b - r > 80;
}

double LeftPlayerX(const Image& window, int scale) {
  const int top = window.height - 600 * scale;
  if (top < 0 || window.width < 1000 * scale) return -1;
  double sum = 0;
  int count = 0;
  for (int y = 15; y < 586; ++y)
    for (int x = 45; x < 495; ++x)
      if (IsKitBlue(window.At(x * scale, top + y * scale))) {
        sum += x;
        ++count;
      }
  return count > 50 ? sum / count : -1;
}

}  // namespace kv_e2e
