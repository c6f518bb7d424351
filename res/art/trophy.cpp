// The trophy, 111 x 299: a golden cup whose top is a globe with the
// continents engraved, held up by two stylised figures that wind around
// each other in a spiral, on a round base with two green bands.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "bitmap.h"
#include "pictures.h"

namespace art {

namespace {

constexpr int kW = 111, kH = 299;
constexpr int kSamples = 8;
constexpr double kPi = 3.14159265358979323846;
constexpr double kCx = 55.5;
constexpr int kGrey = 38;

const Rgb kGoldDark{118, 78, 8};
const Rgb kGold{212, 164, 42};
const Rgb kGoldLight{255, 226, 112};
const Rgb kGoldShine{255, 246, 200};
const Rgb kGreen{18, 118, 62};
const Rgb kGreenLight{70, 180, 110};

// Gold on a rounded surface lit from the upper left: `t` is the position
// across the surface from -1 (left edge) to 1 (right edge).
Rgb GoldAt(double t, double brightness = 1.0) {
  t = std::clamp(t, -1.0, 1.0);
  Rgb c;
  if (t < -0.35) {
    c = Mix(kGold, kGoldLight, (t + 1.0) / 0.65);
  } else if (t < -0.15) {
    // A narrow highlight peaking at t = -0.25.
    c = Mix(kGoldLight, kGoldShine, std::max(0.0, 1.0 - std::fabs(t + 0.25) / 0.1));
  } else {
    c = Mix(kGoldLight, kGoldDark, (t + 0.15) / 1.15);
  }
  return Scale(c, brightness);
}

// Half width of the figures' column at height y.
double ColumnHalfWidth(double y) {
  static const double ys[] = {62, 92, 130, 170, 200, 222, 240};
  static const double ws[] = {30, 33, 27, 19, 18, 24, 33};
  if (y <= ys[0]) return ws[0];
  for (int i = 1; i < 7; ++i) {
    if (y <= ys[i]) {
      const double t = (y - ys[i - 1]) / (ys[i] - ys[i - 1]);
      const double s = t * t * (3 - 2 * t);
      return ws[i - 1] + (ws[i] - ws[i - 1]) * s;
    }
  }
  return ws[6];
}

void PaintColumn(Canvas& cv) {
  std::vector<Pt> outline;
  for (double y = 58; y <= 242; y += 1) outline.push_back({kCx - ColumnHalfWidth(y), y});
  for (double y = 242; y >= 58; y -= 1) outline.push_back({kCx + ColumnHalfWidth(y), y});
  cv.Polygon(outline,
             [](double x, double y) { return GoldAt((x - kCx) / ColumnHalfWidth(y), 0.62); });
}

// The two figures: ribbons that wind up the column half a turn apart and
// open out into arms that hold the globe. Parts at the back are drawn
// first and darker.
void PaintFigures(Canvas& cv) {
  struct Seg {
    Pt a, b;
    double r, depth, t;
  };
  std::vector<Seg> segs;
  for (int fig = 0; fig < 2; ++fig) {
    const double phase = fig * kPi;
    Pt prev{};
    for (int i = 0; i <= 90; ++i) {
      const double s = i / 90.0;
      const double y = 236 - s * 176;
      const double turn = phase + s * 2.6 * kPi;
      const double hw = ColumnHalfWidth(y);
      const double r = 6.5 + 4.0 * std::sin(s * kPi);
      const Pt p{kCx + std::sin(turn) * (hw - r * 0.8), y};
      if (i > 0) segs.push_back({prev, p, r, std::cos(turn), std::sin(turn)});
      prev = p;
    }
  }
  std::stable_sort(segs.begin(), segs.end(),
                   [](const Seg& a, const Seg& b) { return a.depth < b.depth; });
  for (const Seg& s : segs) {
    const double light = 0.7 + 0.3 * (s.depth + 1) / 2;
    const double cx = (s.a.x + s.b.x) / 2;
    cv.Capsule(s.a, s.b, s.r, s.r, [=](double x, double) {
      return GoldAt((x - cx) / (s.r * 1.1) * 0.8 + s.t * 0.3, light);
    });
  }
  // Arms reaching up around the globe from both sides.
  for (int side = -1; side <= 1; side += 2) {
    const Pt shoulder{kCx + side * 24.0, 92}, elbow{kCx + side * 33.0, 70},
        hand{kCx + side * 27.0, 46};
    Paint p = [=](double x, double) { return GoldAt((x - (kCx + side * 30.0)) / 9.0 * 0.9); };
    cv.Capsule(shoulder, elbow, 6.5, 5.0, p);
    cv.Capsule(elbow, hand, 5.0, 4.0, p);
  }
}

void PaintGlobe(Canvas& cv) {
  const double cy = 34.8, r = 34.6;
  cv.Ellipse(kCx, cy, r, r, [=](double x, double y) {
    const double u = (x - kCx) / r + 0.4, v = (y - cy) / r + 0.45;
    const double t = std::min(1.0, std::sqrt(u * u + v * v) / 1.5);
    Rgb c = t < 0.18 ? Mix(kGoldShine, kGoldLight, t / 0.18)
                     : Mix(kGoldLight, kGoldDark, (t - 0.18) / 0.82);
    return c;
  });
  // Continents, engraved a shade darker: the Americas on the left, Europe
  // and Africa on the right.
  auto engrave = [&](std::vector<Pt> pts) {
    for (Pt& p : pts) {
      p.x = kCx + (p.x - 50) * r / 50;
      p.y = cy + (p.y - 50) * r / 50;
    }
    cv.Tint(
        0, 0, kW, 80, [&](double x, double y) { return InPolygon(pts, x, y); },
        [&](double x, double y) {
          const double u = (x - kCx) / r + 0.4, v = (y - cy) / r + 0.45;
          const double t = std::min(1.0, std::sqrt(u * u + v * v) / 1.5);
          return Mix(Rgb{196, 140, 30}, Rgb{96, 60, 6}, t);
        });
  };
  engrave(
      {{10, 22}, {22, 12}, {36, 14}, {40, 22}, {34, 30}, {30, 40}, {24, 44}, {20, 36}, {12, 34}});
  engrave({{26, 50}, {34, 48}, {42, 56}, {40, 70}, {34, 84}, {30, 90}, {28, 78}, {24, 62}});
  engrave({{56, 14}, {66, 8}, {80, 12}, {86, 22}, {76, 26}, {66, 30}, {58, 26}});
  engrave(
      {{56, 34}, {68, 32}, {80, 38}, {82, 50}, {74, 66}, {66, 78}, {62, 68}, {58, 52}, {52, 44}});
  engrave({{84, 62}, {92, 58}, {94, 68}, {88, 72}});
  // Meridians and parallels, faint.
  const Paint line = [&](double x, double y) {
    const double u = (x - kCx) / r + 0.4, v = (y - cy) / r + 0.45;
    const double t = std::min(1.0, std::sqrt(u * u + v * v) / 1.5);
    return Mix(Rgb{226, 178, 60}, Rgb{110, 72, 8}, t);
  };
  // Parallels bow downwards a little, as on a globe seen from just above.
  for (double lat : {-0.5, 0.0, 0.5}) {
    const double yy = cy + lat * r;
    const double half = std::sqrt(1 - lat * lat) * r;
    cv.Tint(
        0, 0, kW, 80,
        [&](double x, double y) {
          const double u = (x - kCx) / half;
          if (std::fabs(u) > 1) return false;
          return std::fabs(y - yy - 0.09 * half * std::sqrt(1 - u * u)) < 0.35;
        },
        line);
  }
  for (double lon : {-0.6, 0.0, 0.6}) {
    cv.Tint(
        0, 0, kW, 80,
        [&](double x, double y) {
          const double v = (y - cy) / r;
          if (std::fabs(v) > 1) return false;
          const double xx = kCx + lon * r * std::sqrt(1 - v * v);
          return std::fabs(x - xx) < 0.35;
        },
        line);
  }
}

void PaintBase(Canvas& cv) {
  // Collar under the figures, then the base: gold, green, gold, green, and
  // a gold foot as wide as the picture.
  auto band = [&](double y0, double y1, double w0, double w1, bool green) {
    cv.Polygon({{kCx - w0, y0}, {kCx + w0, y0}, {kCx + w1, y1}, {kCx - w1, y1}},
               [=](double x, double y) {
                 const double hw = w0 + (w1 - w0) * (y - y0) / (y1 - y0);
                 const double t = (x - kCx) / hw;
                 if (!green) return GoldAt(t);
                 const double k = std::clamp(1 - std::fabs(t + 0.3) * 1.3, 0.0, 1.0);
                 return Mix(Scale(kGreen, 0.7), kGreenLight, k);
               });
  };
  band(234, 243, 33, 38, false);
  band(243, 252, 38, 43, false);
  band(252, 267, 43, 46, true);
  band(267, 279, 46, 49, false);
  band(279, 294, 49, 52, true);
  band(294, 299.2, 52, 55.5, false);
  // A rim of light on the rings' edges.
  for (double y : {243.0, 252.0, 267.0, 279.0, 294.0}) {
    cv.Tint(
        0, y - 0.6, kW, y + 0.6, [=](double, double yy) { return std::fabs(yy - y) < 0.5; },
        [](double x, double) { return Mix(GoldAt((x - kCx) / 50), kGoldShine, 0.3); });
  }
}

}  // namespace

bool MakeTrophy(const std::string& dir) {
  Canvas cv(kW, kH, kSamples);
  PaintColumn(cv);
  PaintFigures(cv);
  PaintBase(cv);
  PaintGlobe(cv);
  MaskedPair pair{Bitmap(1, 1), Bitmap(1, 1)};
  if (!SplitSparseRim(cv.Resolve(), kGrey, &pair)) {
    std::fprintf(stderr, "trophy: too few rim pixels\n");
    return false;
  }
  return Write24(dir + "/trophy.bmp", pair.picture) && Write24(dir + "/trophy_mask.bmp", pair.mask);
}

}  // namespace art
