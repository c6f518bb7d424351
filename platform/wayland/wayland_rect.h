// A rectangle of pixels, [left, right) x [top, bottom): what changed of a
// window since a buffer was written, or since the last commit.
#pragma once

#include <algorithm>

namespace kv {
namespace wayland {

struct Rect {
  int left = 0, top = 0, right = 0, bottom = 0;

  bool Empty() const { return right <= left || bottom <= top; }
  // Grows to the smallest rectangle holding both.
  void Add(const Rect& other) {
    if (other.Empty()) return;
    if (Empty()) {
      *this = other;
      return;
    }
    left = std::min(left, other.left);
    top = std::min(top, other.top);
    right = std::max(right, other.right);
    bottom = std::max(bottom, other.bottom);
  }
  // What of it lies in [0, width) x [0, height).
  Rect Within(int width, int height) const {
    Rect r{std::max(left, 0), std::max(top, 0), std::min(right, width), std::min(bottom, height)};
    return r.Empty() ? Rect{} : r;
  }
};

}  // namespace wayland
}  // namespace kv
