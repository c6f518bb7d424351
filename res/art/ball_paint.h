// The ball's painting, shared by the ball picture and the desktop icon.
#pragma once

#include "raster.h"

namespace art {

struct Disc {
  double cx, cy, rx, ry;
};

// Paints the football into the disc `d`. Its patches and seams are laid out
// for the 30-pixel ball; `scale` scales them with the disc (1 for the picture).
void PaintBall(Canvas& cv, const Disc& d, double scale);

}  // namespace art
