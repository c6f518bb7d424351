// How a scalable face is sized for a height as the interface gives it, one
// rule for every glyph source: a positive height is the cell, which the
// face's Windows ascent and descent fill exactly; a negative one is the em.
#pragma once

#include <cmath>

namespace kv {
namespace gdi {

// The face's own numbers, in font units: the em square, and the Windows
// ascent and descent (the OS/2 table's, else the horizontal header's).
struct FaceUnits {
  double unitsPerEm = 0;
  double ascent = 0;
  double descent = 0;
};

struct FaceSize {
  double em = 0;  // pixels
  int ascent = 0;
  int descent = 0;
};

// A face without a usable ascent and descent is taken to have 0.8 and 0.2
// of its em. (Inline: the glyph sources below the drawing layer use it.)
inline FaceSize SizeFace(int height, FaceUnits units) {
  if (units.unitsPerEm <= 0) units.unitsPerEm = 1000;
  if (units.ascent + units.descent <= 0) {
    units.ascent = units.unitsPerEm * 0.8;
    units.descent = units.unitsPerEm * 0.2;
  }
  const double cell = units.ascent + units.descent;
  FaceSize size;
  if (height > 0) {
    size.em = height * units.unitsPerEm / cell;
    size.ascent = static_cast<int>(std::lround(height * units.ascent / cell));
    size.descent = height - size.ascent;
  } else {
    size.em = -height;
    size.ascent = static_cast<int>(std::lround(units.ascent * size.em / units.unitsPerEm));
    size.descent = static_cast<int>(std::lround(units.descent * size.em / units.unitsPerEm));
  }
  return size;
}

}  // namespace gdi
}  // namespace kv
