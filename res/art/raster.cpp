#include "raster.h"

#include <algorithm>
#include <cmath>

namespace art {

Canvas::Canvas(int width, int height, int samples)
    : width_(width),
      height_(height),
      samples_(samples),
      covered_(static_cast<size_t>(width) * samples * height * samples, 0),
      colour_(covered_.size()) {}

template <typename F>
void Canvas::ForSamples(double x0, double y0, double x1, double y1, F f) {
  const int sw = width_ * samples_, sh = height_ * samples_;
  int sx0 = std::max(0, static_cast<int>(std::floor(x0 * samples_)) - 1);
  int sy0 = std::max(0, static_cast<int>(std::floor(y0 * samples_)) - 1);
  int sx1 = std::min(sw - 1, static_cast<int>(std::ceil(x1 * samples_)) + 1);
  int sy1 = std::min(sh - 1, static_cast<int>(std::ceil(y1 * samples_)) + 1);
  for (int sy = sy0; sy <= sy1; ++sy) {
    const double y = (sy + 0.5) / samples_;
    for (int sx = sx0; sx <= sx1; ++sx) {
      const double x = (sx + 0.5) / samples_;
      f(static_cast<size_t>(sy) * sw + sx, x, y);
    }
  }
}

void Canvas::Fill(double x0, double y0, double x1, double y1,
                  const std::function<bool(double, double)>& inside, const Paint& paint) {
  ForSamples(x0, y0, x1, y1, [&](size_t i, double x, double y) {
    if (inside(x, y)) {
      covered_[i] = 1;
      colour_[i] = paint(x, y);
    }
  });
}

void Canvas::Erase(double x0, double y0, double x1, double y1,
                   const std::function<bool(double, double)>& inside) {
  ForSamples(x0, y0, x1, y1, [&](size_t i, double x, double y) {
    if (inside(x, y)) covered_[i] = 0;
  });
}

void Canvas::Tint(double x0, double y0, double x1, double y1,
                  const std::function<bool(double, double)>& inside, const Paint& paint) {
  ForSamples(x0, y0, x1, y1, [&](size_t i, double x, double y) {
    if (covered_[i] && inside(x, y)) colour_[i] = paint(x, y);
  });
}

bool InPolygon(const std::vector<Pt>& pts, double x, double y) {
  bool in = false;
  for (size_t i = 0, j = pts.size() - 1; i < pts.size(); j = i++) {
    const Pt& a = pts[i];
    const Pt& b = pts[j];
    if ((a.y > y) != (b.y > y)) {
      const double cx = a.x + (y - a.y) / (b.y - a.y) * (b.x - a.x);
      if (x < cx) in = !in;
    }
  }
  return in;
}

bool InEllipse(double cx, double cy, double rx, double ry, double angle, double x, double y) {
  const double c = std::cos(angle), s = std::sin(angle);
  const double dx = x - cx, dy = y - cy;
  const double u = (dx * c + dy * s) / rx, v = (-dx * s + dy * c) / ry;
  return u * u + v * v <= 1.0;
}

bool InCapsule(Pt a, Pt b, double ra, double rb, double x, double y) {
  const double vx = b.x - a.x, vy = b.y - a.y;
  const double len2 = vx * vx + vy * vy;
  double t = len2 > 0 ? ((x - a.x) * vx + (y - a.y) * vy) / len2 : 0;
  t = std::clamp(t, 0.0, 1.0);
  const double px = a.x + vx * t - x, py = a.y + vy * t - y;
  const double r = ra + (rb - ra) * t;
  return px * px + py * py <= r * r;
}

void Canvas::Polygon(const std::vector<Pt>& pts, const Paint& paint) {
  if (pts.size() < 3) return;
  double x0 = pts[0].x, x1 = x0, y0 = pts[0].y, y1 = y0;
  for (const Pt& p : pts) {
    x0 = std::min(x0, p.x);
    x1 = std::max(x1, p.x);
    y0 = std::min(y0, p.y);
    y1 = std::max(y1, p.y);
  }
  Fill(
      x0, y0, x1, y1, [&](double x, double y) { return InPolygon(pts, x, y); }, paint);
}

void Canvas::Ellipse(double cx, double cy, double rx, double ry, const Paint& paint, double angle) {
  const double r = std::max(rx, ry);
  Fill(
      cx - r, cy - r, cx + r, cy + r,
      [&](double x, double y) { return InEllipse(cx, cy, rx, ry, angle, x, y); }, paint);
}

void Canvas::Capsule(Pt a, Pt b, double ra, double rb, const Paint& paint) {
  const double r = std::max(ra, rb);
  Fill(
      std::min(a.x, b.x) - r, std::min(a.y, b.y) - r, std::max(a.x, b.x) + r,
      std::max(a.y, b.y) + r, [&](double x, double y) { return InCapsule(a, b, ra, rb, x, y); },
      paint);
}

void Canvas::Rect(double x0, double y0, double x1, double y1, const Paint& paint) {
  Fill(
      x0, y0, x1, y1, [&](double x, double y) { return x >= x0 && x < x1 && y >= y0 && y < y1; },
      paint);
}

Image Canvas::Resolve() const {
  Image img;
  img.width = width_;
  img.height = height_;
  img.coverage.assign(static_cast<size_t>(width_) * height_, 0.0);
  img.colour.assign(img.coverage.size(), Rgb{});
  const int sw = width_ * samples_;
  for (int py = 0; py < height_; ++py) {
    for (int px = 0; px < width_; ++px) {
      int n = 0;
      Rgb sum;
      for (int j = 0; j < samples_; ++j) {
        for (int i = 0; i < samples_; ++i) {
          const size_t k = static_cast<size_t>(py * samples_ + j) * sw + px * samples_ + i;
          if (!covered_[k]) continue;
          ++n;
          sum.r += colour_[k].r;
          sum.g += colour_[k].g;
          sum.b += colour_[k].b;
        }
      }
      const size_t o = static_cast<size_t>(py) * width_ + px;
      img.coverage[o] = static_cast<double>(n) / (samples_ * samples_);
      if (n > 0) img.colour[o] = Scale(sum, 1.0 / n);
    }
  }
  return img;
}

}  // namespace art
