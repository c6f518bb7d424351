// The pitch seen from above, 1000 x 600: flat grass, a lighter frame, white
// markings at fixed rows and columns (the game's play areas and goal boxes
// line up with them) and the two goal areas outlined in pure blue.
#include <cmath>
#include <functional>

#include "bitmap.h"
#include "pictures.h"

namespace art {

namespace {

constexpr int kW = 1000, kH = 600;
const Rgb kGrass{0, 128, 0};
const Rgb kFrame{70, 175, 70};
const Rgb kWhite{255, 255, 255};
const Rgb kNet{190, 215, 190};

void Box(Bitmap& bmp, int x0, int y0, int x1, int y1, Rgb c) {
  for (int y = y0; y <= y1; ++y)
    for (int x = x0; x <= x1; ++x) bmp.Set(x, y, c);
}

// Blends white into the grass where `on` holds, by the share of 4 x 4
// samples of the pixel it covers (anti-aliased curves).
void Curve(Bitmap& bmp, int x0, int y0, int x1, int y1,
           const std::function<bool(double, double)>& on) {
  for (int y = y0; y <= y1; ++y) {
    for (int x = x0; x <= x1; ++x) {
      int n = 0;
      for (int j = 0; j < 4; ++j)
        for (int i = 0; i < 4; ++i)
          if (on(x + (i + 0.5) / 4, y + (j + 0.5) / 4)) ++n;
      if (n == 0) continue;
      const uint8_t* p = bmp.At(x, y);
      const Rgb under{double(p[0]), double(p[1]), double(p[2])};
      bmp.Set(x, y, Mix(under, kWhite, n / 16.0));
    }
  }
}

// A ring of the given radius and width around (cx, cy), limited by `keep`.
void Ring(Bitmap& bmp, double cx, double cy, double r, double width,
          const std::function<bool(double, double)>& keep) {
  const int m = static_cast<int>(r + width) + 2;
  Curve(bmp, static_cast<int>(cx) - m, static_cast<int>(cy) - m, static_cast<int>(cx) + m,
        static_cast<int>(cy) + m, [&](double x, double y) {
          const double d = std::hypot(x - cx, y - cy);
          return std::fabs(d - r) <= width / 2 && keep(x, y);
        });
}

void Spot(Bitmap& bmp, double cx, double cy, double r) {
  const int m = static_cast<int>(r) + 2;
  Curve(bmp, static_cast<int>(cx) - m, static_cast<int>(cy) - m, static_cast<int>(cx) + m,
        static_cast<int>(cy) + m,
        [&](double x, double y) { return std::hypot(x - cx, y - cy) <= r; });
}

// A goal outside the goal line: a white frame with a net behind it.
void Goal(Bitmap& bmp, int back, int front) {
  const int x0 = std::min(back, front), x1 = std::max(back, front);
  for (int y = 271; y <= 329; ++y)
    for (int x = x0 + 1; x < x1; ++x)
      if ((y - 271) % 3 == 0 || (x - x0) % 3 == 0) bmp.Set(x, y, kNet);
  Box(bmp, x0, 270, x1, 270, kWhite);
  Box(bmp, x0, 330, x1, 330, kWhite);
  Box(bmp, back, 270, back, 330, kWhite);
}

void BlueOutline(Bitmap& bmp, int x0, int y0, int x1, int y1) {
  const Rgb blue{0, 0, 255};
  Box(bmp, x0, y0, x1, y0, blue);
  Box(bmp, x0, y1, x1, y1, blue);
  Box(bmp, x0, y0, x0, y1, blue);
  Box(bmp, x1, y0, x1, y1, blue);
}

}  // namespace

bool MakePitch(const std::string& dir) {
  Bitmap bmp(kW, kH);
  Box(bmp, 0, 0, kW - 1, kH - 1, kGrass);
  Box(bmp, 0, 0, kW - 1, 1, kFrame);
  Box(bmp, 0, kH - 2, kW - 1, kH - 1, kFrame);
  Box(bmp, 0, 0, 1, kH - 1, kFrame);
  Box(bmp, kW - 2, 0, kW - 1, kH - 1, kFrame);

  auto any = [](double, double) { return true; };
  // Centre circle and spot; the halfway line runs between columns 499 and 500.
  Ring(bmp, 500.0, 300.5, 80.0, 2.0, any);
  Spot(bmp, 500.0, 300.5, 3.5);
  // Penalty spots and the arcs outside the penalty areas.
  Spot(bmp, 139.5, 300.5, 2.5);
  Spot(bmp, 860.5, 300.5, 2.5);
  Ring(bmp, 139.5, 300.5, 80.0, 2.0, [](double x, double) { return x >= 188.0; });
  Ring(bmp, 860.5, 300.5, 80.0, 2.0, [](double x, double) { return x < 812.0; });
  // Corner arcs, inside the field only.
  Ring(bmp, 43.0, 17.0, 10.0, 2.0, [](double x, double y) { return x >= 44 && y >= 18; });
  Ring(bmp, 956.0, 17.0, 10.0, 2.0, [](double x, double y) { return x < 956 && y >= 18; });
  Ring(bmp, 43.0, 583.0, 10.0, 2.0, [](double x, double y) { return x >= 44 && y < 583; });
  Ring(bmp, 956.0, 583.0, 10.0, 2.0, [](double x, double y) { return x < 956 && y < 583; });

  Goal(bmp, 34, 43);
  Goal(bmp, 965, 956);
  // Straight lines, pixel exact, over the curves' ends and the nets.
  Box(bmp, 42, 16, 957, 17, kWhite);    // top touchline
  Box(bmp, 42, 583, 957, 583, kWhite);  // bottom touchline
  Box(bmp, 42, 16, 43, 583, kWhite);    // goal lines
  Box(bmp, 956, 16, 957, 583, kWhite);
  Box(bmp, 499, 16, 500, 583, kWhite);  // halfway line
  // Penalty areas.
  Box(bmp, 42, 132, 187, 133, kWhite);
  Box(bmp, 42, 467, 187, 468, kWhite);
  Box(bmp, 186, 132, 187, 468, kWhite);
  Box(bmp, 812, 132, 957, 133, kWhite);
  Box(bmp, 812, 467, 957, 468, kWhite);
  Box(bmp, 812, 132, 813, 468, kWhite);
  // The goal areas, where a ball's centre scores.
  BlueOutline(bmp, 44, 224, 91, 376);
  BlueOutline(bmp, 908, 224, 955, 376);

  return Write24(dir + "/pitch.bmp", bmp) && WriteUniform8(dir + "/pitch_mask.bmp", kW, kH, 0);
}

}  // namespace art
