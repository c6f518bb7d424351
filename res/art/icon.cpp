#include "icon.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "ball_paint.h"
#include "raster.h"

namespace art {

namespace {

// The shapes, as fractions of the icon's side.
constexpr double kCorner = 0.18;      // rounded corner's radius
constexpr double kFrameInset = 0.07;  // the lighter frame line, as on the pitch's edge
constexpr double kLine = 0.025;       // width of the white markings
constexpr double kCircle = 0.40;      // centre circle's radius
constexpr double kBall = 0.29;        // ball's radius

const Rgb kGrass{0, 128, 0};
const Rgb kFrame{70, 175, 70};
const Rgb kWhite{255, 255, 255};

bool InRoundedSquare(double x, double y, double lo, double hi, double r) {
  if (x < lo || y < lo || x > hi || y > hi) return false;
  const double cx = std::clamp(x, lo + r, hi - r), cy = std::clamp(y, lo + r, hi - r);
  return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= r * r;
}

uint8_t Byte(double v) { return static_cast<uint8_t>(std::clamp(std::lround(v), 0L, 255L)); }

}  // namespace

IconImage DrawIcon(int size) {
  const double s = size;
  // Enough samples for smooth outlines without a huge canvas at 256.
  const int samples = std::clamp(1024 / size, 4, 16);

  Canvas pitch(size, size, samples);
  pitch.Fill(0, 0, s, s, [&](double x, double y) {
    return InRoundedSquare(x, y, 0, s, kCorner * s);
  }, Solid(kGrass));
  // Markings thinner than a pixel would only smear the small sizes.
  const double line = std::max(kLine * s, 1.0);
  const double inset = kFrameInset * s;
  pitch.Tint(0, 0, s, s, [&](double x, double y) {
    const double r = std::max(kCorner * s - inset, 0.0);
    return InRoundedSquare(x, y, inset, s - inset, r) &&
           !InRoundedSquare(x, y, inset + line, s - inset - line, std::max(r - line, 0.0));
  }, Solid(kFrame));
  if (size >= 32) {
    pitch.Tint(0, 0, s, s, [&](double x, double y) {
      const double d = std::hypot(x - s / 2, y - s / 2);
      const bool ring = std::abs(d - kCircle * s) <= line / 2;
      const bool halfway = std::abs(x - s / 2) <= line / 2 && y > inset && y < s - inset;
      return ring || halfway;
    }, Solid(kWhite));
  }

  // The ball on a canvas of its own: its patches reach past its outline and
  // must not colour the grass.
  Canvas ball(size, size, samples);
  const double r = kBall * s;
  // The 30-pixel ball's disc is 14.56 by 13.98 around (15.55, 14.95).
  const double k = r / 14.56;
  PaintBall(ball, Disc{s / 2 + 0.55 * k, s / 2, r, 13.98 * k}, k);

  const Image under = pitch.Resolve(), over = ball.Resolve();
  IconImage icon;
  icon.size = size;
  icon.rgba.resize(static_cast<size_t>(size) * size * 4);
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      const double a = over.Cov(x, y);
      const Rgb c = Mix(under.Col(x, y), over.Col(x, y), a);
      uint8_t* p = &icon.rgba[(static_cast<size_t>(y) * size + x) * 4];
      p[0] = Byte(c.r);
      p[1] = Byte(c.g);
      p[2] = Byte(c.b);
      p[3] = Byte(255 * std::max(under.Cov(x, y), a));
    }
  }
  return icon;
}

std::string IconSvg() {
  const double s = 256, inset = kFrameInset * s, line = kLine * s, r = kBall * s;
  char buf[4096];
  std::string svg;
  std::snprintf(buf, sizeof buf,
                "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"256\" height=\"256\" "
                "viewBox=\"0 0 256 256\">\n"
                "  <defs>\n"
                "    <radialGradient id=\"shade\" cx=\"0.31\" cy=\"0.29\" r=\"0.73\">\n"
                "      <stop offset=\"0\" stop-color=\"#fcfcfc\"/>\n"
                "      <stop offset=\"1\" stop-color=\"#96969e\"/>\n"
                "    </radialGradient>\n"
                "    <clipPath id=\"ball\"><circle cx=\"128\" cy=\"128\" r=\"%.2f\"/></clipPath>\n"
                "  </defs>\n"
                "  <rect width=\"256\" height=\"256\" rx=\"%.2f\" fill=\"#008000\"/>\n"
                "  <rect x=\"%.2f\" y=\"%.2f\" width=\"%.2f\" height=\"%.2f\" rx=\"%.2f\" "
                "fill=\"none\" stroke=\"#46af46\" stroke-width=\"%.2f\"/>\n"
                "  <circle cx=\"128\" cy=\"128\" r=\"%.2f\" fill=\"none\" stroke=\"#ffffff\" "
                "stroke-width=\"%.2f\"/>\n"
                "  <line x1=\"128\" y1=\"%.2f\" x2=\"128\" y2=\"%.2f\" stroke=\"#ffffff\" "
                "stroke-width=\"%.2f\"/>\n"
                "  <circle cx=\"128\" cy=\"128\" r=\"%.2f\" fill=\"url(#shade)\"/>\n"
                "  <g clip-path=\"url(#ball)\" fill=\"#1c1c20\">\n",
                r, kCorner * s, inset + line / 2, inset + line / 2, s - 2 * inset - line,
                s - 2 * inset - line, std::max(kCorner * s - inset - line / 2, 0.0), line,
                kCircle * s, line, inset + line, s - inset - line, line, r);
  svg += buf;
  // The patches of the ball picture: one in the middle, five around it
  // pointing inwards and foreshortened.
  const double k = r / 14.56, pi = 3.14159265358979323846, up = -pi / 2;
  auto pentagon = [&](double cx, double cy, double rad, double angle, double squash) {
    std::string d = "    <path d=\"";
    const double c = std::cos(angle), sn = std::sin(angle);
    for (int i = 0; i < 5; ++i) {
      const double a = angle + i * 2 * pi / 5;
      const double u = std::cos(a - angle) * rad * squash, v = std::sin(a - angle) * rad;
      std::snprintf(buf, sizeof buf, "%s%.2f %.2f", i ? " L" : "M", cx + u * c - v * sn,
                    cy + u * sn + v * c);
      d += buf;
    }
    return d + " Z\"/>\n";
  };
  const double cx = 128 + 0.6 * k, cy = 128 + 0.4 * k;
  svg += pentagon(cx, cy, 4.8 * k, up, 1.0);
  for (int i = 0; i < 5; ++i) {
    const double a = up + i * 2 * pi / 5;
    svg += pentagon(cx + std::cos(a) * 13.2 * k, cy + std::sin(a) * 13.2 * k, 4.6 * k, a + pi,
                    0.62);
  }
  svg += "  </g>\n</svg>\n";
  return svg;
}

}  // namespace art
