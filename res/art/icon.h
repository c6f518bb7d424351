// The desktop icon: the game's ball on the centre spot of its green pitch,
// in a rounded square. Drawn at any size from the same shapes, and as SVG.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace art {

struct IconImage {
  int size = 0;
  std::vector<uint8_t> rgba;  // top-down rows of red, green, blue, straight alpha
};

IconImage DrawIcon(int size);

// The same icon as an SVG document (a 256-unit square).
std::string IconSvg();

}  // namespace art
