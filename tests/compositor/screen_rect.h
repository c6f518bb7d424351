// A window's place on a desktop, in the desktop's (logical) pixels.
#pragma once

namespace kv_compositor {

struct ScreenRect {
  int x = 0, y = 0, width = 0, height = 0;
  bool Inside(int screenWidth, int screenHeight) const {
    return x >= 0 && y >= 0 && x + width <= screenWidth && y + height <= screenHeight;
  }
};

}  // namespace kv_compositor
