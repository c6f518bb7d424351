// The ball, 30 x 30: a white football with black patches and soft grey
// shading, lit from the upper left.
#include <cmath>
#include <cstdio>
#include <vector>

#include "ball_paint.h"
#include "bitmap.h"
#include "pictures.h"

namespace art {

namespace {

constexpr int kSize = 30;
constexpr int kSamples = 16;
constexpr double kPi = 3.14159265358979323846;
// Mask counts: opaque, transparent; the rest is the grey rim.
constexpr int kBlack = 632, kWhite = 217;

std::vector<Pt> Pentagon(double cx, double cy, double r, double angle, double squash) {
  std::vector<Pt> pts;
  // `squash` shortens the pentagon along `angle`, as a patch seen obliquely.
  const double c = std::cos(angle), s = std::sin(angle);
  for (int k = 0; k < 5; ++k) {
    const double a = angle + k * 2 * kPi / 5;
    double u = std::cos(a - angle) * r * squash, v = std::sin(a - angle) * r;
    pts.push_back({cx + u * c - v * s, cy + u * s + v * c});
  }
  return pts;
}

}  // namespace

void PaintBall(Canvas& cv, const Disc& d, double scale) {
  const Rgb white{252, 252, 252};
  const Rgb shade{150, 150, 158};
  auto lit = [d](Rgb base, double amount) {
    return [d, base, amount](double x, double y) {
      const double u = (x - d.cx) / d.rx + 0.38, v = (y - d.cy) / d.ry + 0.42;
      double t = std::sqrt(u * u + v * v) / 1.45;
      t = t > 1 ? 1 : t;
      return Mix(base, Scale(base, 0.55), amount * t * t);
    };
  };
  cv.Ellipse(d.cx, d.cy, d.rx, d.ry, [&](double x, double y) {
    const double u = (x - d.cx) / d.rx + 0.38, v = (y - d.cy) / d.ry + 0.42;
    double t = std::sqrt(u * u + v * v) / 1.45;
    t = t > 1 ? 1 : t;
    return Mix(white, shade, t * t);
  });
  const double cx = d.cx + 0.6 * scale, cy = d.cy + 0.4 * scale;
  const Paint patch = lit(Rgb{28, 28, 32}, 0.6);
  const Paint seam = lit(Rgb{170, 170, 175}, 0.7);
  auto tint = [&](const std::vector<Pt>& poly, const Paint& p) {
    cv.Tint(
        0, 0, cv.width(), cv.height(), [&](double x, double y) { return InPolygon(poly, x, y); }, p);
  };
  // Seams from the central patch's corners to the patches around it, and
  // between neighbouring outer patches (the hexagons' edges).
  const double up = -kPi / 2;
  for (int k = 0; k < 5; ++k) {
    const double a = up + k * 2 * kPi / 5;
    const double b = a + 2 * kPi / 5;
    const Pt inner{cx + std::cos(a) * (4.6 * scale), cy + std::sin(a) * (4.6 * scale)};
    const Pt outer{cx + std::cos(a) * (10.5 * scale), cy + std::sin(a) * (10.5 * scale)};
    const Pt mid{cx + std::cos(a + kPi / 5) * (12.5 * scale), cy + std::sin(a + kPi / 5) * (12.5 * scale)};
    const Pt next{cx + std::cos(b) * (10.5 * scale), cy + std::sin(b) * (10.5 * scale)};
    for (auto seg :
         {std::make_pair(inner, outer), std::make_pair(outer, mid), std::make_pair(mid, next)}) {
      cv.Tint(
          0, 0, cv.width(), cv.height(),
          [&](double x, double y) {
            return InCapsule(seg.first, seg.second, 0.45 * scale, 0.45 * scale, x, y);
          },
          seam);
    }
  }
  tint(Pentagon(cx, cy, 4.8 * scale, up, 1.0), patch);
  for (int k = 0; k < 5; ++k) {
    const double a = up + k * 2 * kPi / 5;
    // Outer patches point back at the centre and are foreshortened.
    tint(Pentagon(cx + std::cos(a) * (13.2 * scale), cy + std::sin(a) * (13.2 * scale), 4.6 * scale, a + kPi,
                 0.62),
         patch);
  }
}

namespace {

bool SpanOk(const Bitmap& mask) {
  int x0 = kSize, x1 = -1, y0 = kSize, y1 = -1;
  for (int y = 0; y < kSize; ++y) {
    for (int x = 0; x < kSize; ++x) {
      if (mask.rgb[(static_cast<size_t>(y) * kSize + x) * 3] == 255) continue;
      x0 = std::min(x0, x);
      x1 = std::max(x1, x);
      y0 = std::min(y0, y);
      y1 = std::max(y1, y);
    }
  }
  return x0 == 1 && x1 == 29 && y0 == 1 && y1 == 28;
}

}  // namespace

bool MakeBall(const std::string& dir) {
  // This disc touches exactly as many pixels as the mask has opaque ones, so
  // its whole outline is the grey rim; a slightly larger or smaller disc
  // leaves stray pixels or a gap in the rim.
  const Disc d{15.55, 14.95, 14.56, 13.98};
  Canvas cv(kSize, kSize, kSamples);
  PaintBall(cv, d, 1.0);
  MaskedPair pair{Bitmap(1, 1), Bitmap(1, 1)};
  if (!SplitByCounts(cv.Resolve(), kBlack, kWhite, &pair) || !SpanOk(pair.mask)) {
    std::fprintf(stderr, "ball: the disc does not give the intended mask\n");
    return false;
  }
  // One transparent pixel carries 1,1,1 instead of pure black; a draw
  // through the mask shows no difference.
  pair.picture.Set(0, kSize - 1, 1, 1, 1);
  return Write24(dir + "/ball.bmp", pair.picture) && Write24(dir + "/ball_mask.bmp", pair.mask);
}

}  // namespace art
