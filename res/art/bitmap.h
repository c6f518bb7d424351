// 24-bit pictures in memory and their .bmp files (file header + DIB).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "raster.h"

namespace art {

struct Bitmap {
  int width = 0, height = 0;
  std::vector<uint8_t> rgb;  // top-down rows, red, green, blue

  Bitmap(int w, int h) : width(w), height(h), rgb(static_cast<size_t>(w) * h * 3, 0) {}
  uint8_t* At(int x, int y) { return &rgb[(static_cast<size_t>(y) * width + x) * 3]; }
  void Set(int x, int y, int r, int g, int b);
  void Set(int x, int y, Rgb c);
};

// Writes a bottom-up 24-bit BI_RGB bitmap with rows padded to four bytes.
bool Write24(const std::string& path, const Bitmap& bmp);
// Writes an 8-bit bitmap with a 256-entry grey colour table whose pixels are
// all index `index`.
bool WriteUniform8(const std::string& path, int width, int height, uint8_t index);

// Splits a painted picture into picture and mask. Coverage at or above `hi`
// is opaque (mask black), at or below `lo` transparent (mask white, picture
// black); in between the mask is grey and the picture is premultiplied, so
// that AND-then-OR drawing approximates a blend along the outline.
struct MaskedPair {
  Bitmap picture;
  Bitmap mask;
};
MaskedPair Split(const Image& img, double lo, double hi);

struct MaskCounts {
  int black = 0, white = 0, grey = 0;
};
MaskCounts Count(const Bitmap& mask);

Bitmap MirrorX(const Bitmap& bmp);

}  // namespace art

namespace art {

// Splits a painted picture so that the mask has exactly `black` opaque and
// `white` transparent pixels: the most covered pixels become black, the least
// covered white, and the rest form the grey rim. Equal coverage is ordered
// by position, so the counts are always met. False when they exceed the
// picture.
bool SplitByCounts(const Image& img, int black, int white, MaskedPair* out);
// Splits at half coverage, keeping as grey only the `grey` pixels nearest to
// half coverage: a hard outline with a sparse rim.
bool SplitSparseRim(const Image& img, int grey, MaskedPair* out);

}  // namespace art
