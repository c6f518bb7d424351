// A small supersampled painter for the pictures: shapes are filled at a grid
// of samples per pixel, and each pixel's coverage and colour come from
// averaging its samples, so every outline is anti-aliased.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

namespace art {

struct Rgb {
  double r = 0, g = 0, b = 0;
};

inline Rgb Mix(Rgb a, Rgb b, double t) {
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}
inline Rgb Scale(Rgb a, double k) { return {a.r * k, a.g * k, a.b * k}; }

struct Pt {
  double x = 0, y = 0;
};

// Colour of a shape at a point (for shading); a plain colour is a constant.
using Paint = std::function<Rgb(double x, double y)>;
inline Paint Solid(Rgb c) {
  return [c](double, double) { return c; };
}

// A picture as the painter leaves it: per pixel the covered fraction (0..1)
// and the average colour of the covered samples.
struct Image {
  int width = 0, height = 0;
  std::vector<double> coverage;
  std::vector<Rgb> colour;
  double Cov(int x, int y) const { return coverage[static_cast<size_t>(y) * width + x]; }
  Rgb Col(int x, int y) const { return colour[static_cast<size_t>(y) * width + x]; }
};

class Canvas {
 public:
  Canvas(int width, int height, int samples);

  int width() const { return width_; }
  int height() const { return height_; }

  // Fills every sample for which `inside` holds, within the bounding box.
  void Fill(double x0, double y0, double x1, double y1,
            const std::function<bool(double, double)>& inside, const Paint& paint);
  // Removes coverage (cuts holes) where `inside` holds.
  void Erase(double x0, double y0, double x1, double y1,
             const std::function<bool(double, double)>& inside);
  // Recolours already covered samples only (markings on a shape).
  void Tint(double x0, double y0, double x1, double y1,
            const std::function<bool(double, double)>& inside, const Paint& paint);

  void Polygon(const std::vector<Pt>& pts, const Paint& paint);
  void Ellipse(double cx, double cy, double rx, double ry, const Paint& paint, double angle = 0);
  // A stroke from a to b whose radius goes from ra to rb (rounded ends).
  void Capsule(Pt a, Pt b, double ra, double rb, const Paint& paint);
  void Rect(double x0, double y0, double x1, double y1, const Paint& paint);

  Image Resolve() const;

 private:
  template <typename F>
  void ForSamples(double x0, double y0, double x1, double y1, F f);

  int width_, height_, samples_;
  std::vector<uint8_t> covered_;
  std::vector<Rgb> colour_;
};

// Shape tests, usable with Fill, Erase and Tint.
bool InPolygon(const std::vector<Pt>& pts, double x, double y);
bool InEllipse(double cx, double cy, double rx, double ry, double angle, double x, double y);
bool InCapsule(Pt a, Pt b, double ra, double rb, double x, double y);

}  // namespace art
