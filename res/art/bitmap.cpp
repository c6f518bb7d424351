#include "bitmap.h"

#include <algorithm>
#include <cmath>

#include "bmp_file.h"

namespace art {

namespace {

int Byte(double v) { return std::clamp(static_cast<int>(std::lround(v)), 0, 255); }

}  // namespace

void Bitmap::Set(int x, int y, int r, int g, int b) {
  if (x < 0 || y < 0 || x >= width || y >= height) return;
  uint8_t* p = At(x, y);
  p[0] = static_cast<uint8_t>(r);
  p[1] = static_cast<uint8_t>(g);
  p[2] = static_cast<uint8_t>(b);
}

void Bitmap::Set(int x, int y, Rgb c) { Set(x, y, Byte(c.r), Byte(c.g), Byte(c.b)); }

bool Write24(const std::string& path, const Bitmap& img) {
  bmp::Format format;
  format.width = img.width;
  format.height = img.height;
  format.bits = 24;
  return bmp::Save(path, bmp::Encode(format, [&](int y, std::vector<uint8_t>& out) {
    for (int x = 0; x < img.width; ++x) {
      const uint8_t* p = &img.rgb[(static_cast<size_t>(y) * img.width + x) * 3];
      out.push_back(p[2]);
      out.push_back(p[1]);
      out.push_back(p[0]);
    }
  }));
}

bool WriteUniform8(const std::string& path, int width, int height, uint8_t index) {
  bmp::Format format;
  format.width = width;
  format.height = height;
  format.bits = 8;
  for (int i = 0; i < 256; ++i) {
    const uint8_t v = static_cast<uint8_t>(i);
    format.palette.push_back(bmp::Colour{v, v, v});
  }
  format.coloursUsed = 256;
  return bmp::Save(path, bmp::Encode(format, [&](int, std::vector<uint8_t>& out) {
    out.insert(out.end(), static_cast<size_t>(width), index);
  }));
}

MaskedPair Split(const Image& img, double lo, double hi) {
  MaskedPair pair{Bitmap(img.width, img.height), Bitmap(img.width, img.height)};
  for (int y = 0; y < img.height; ++y) {
    for (int x = 0; x < img.width; ++x) {
      const double c = img.Cov(x, y);
      if (c >= hi) {
        pair.mask.Set(x, y, 0, 0, 0);
        pair.picture.Set(x, y, img.Col(x, y));
      } else if (c <= lo) {
        pair.mask.Set(x, y, 255, 255, 255);
        pair.picture.Set(x, y, 0, 0, 0);
      } else {
        const int g = std::clamp(Byte(255.0 * (1.0 - c)), 1, 254);
        pair.mask.Set(x, y, g, g, g);
        pair.picture.Set(x, y, Scale(img.Col(x, y), c));
      }
    }
  }
  return pair;
}

MaskCounts Count(const Bitmap& mask) {
  MaskCounts n;
  for (size_t i = 0; i < mask.rgb.size(); i += 3) {
    const int v = mask.rgb[i];
    if (v == 0) {
      ++n.black;
    } else if (v == 255) {
      ++n.white;
    } else {
      ++n.grey;
    }
  }
  return n;
}

Bitmap MirrorX(const Bitmap& bmp) {
  Bitmap out(bmp.width, bmp.height);
  for (int y = 0; y < bmp.height; ++y) {
    for (int x = 0; x < bmp.width; ++x) {
      const uint8_t* p = &bmp.rgb[(static_cast<size_t>(y) * bmp.width + (bmp.width - 1 - x)) * 3];
      out.Set(x, y, p[0], p[1], p[2]);
    }
  }
  return out;
}

}  // namespace art

namespace art {

namespace {

// Classes: 0 black (opaque), 1 grey, 2 white (transparent).
MaskedPair Build(const Image& img, const std::vector<int>& cls) {
  MaskedPair pair{Bitmap(img.width, img.height), Bitmap(img.width, img.height)};
  for (int y = 0; y < img.height; ++y) {
    for (int x = 0; x < img.width; ++x) {
      const size_t i = static_cast<size_t>(y) * img.width + x;
      const double c = img.coverage[i];
      if (cls[i] == 0) {
        pair.mask.Set(x, y, 0, 0, 0);
        pair.picture.Set(x, y, img.colour[i]);
      } else if (cls[i] == 2) {
        pair.mask.Set(x, y, 255, 255, 255);
        pair.picture.Set(x, y, 0, 0, 0);
      } else {
        const int g = std::clamp(Byte(255.0 * (1.0 - c)), 1, 254);
        pair.mask.Set(x, y, g, g, g);
        pair.picture.Set(x, y, Scale(img.colour[i], c));
      }
    }
  }
  return pair;
}

}  // namespace

bool SplitByCounts(const Image& img, int black, int white, MaskedPair* out) {
  const size_t n = img.coverage.size();
  if (black < 0 || white < 0 || static_cast<size_t>(black) + white > n) return false;
  std::vector<size_t> order(n);
  for (size_t i = 0; i < n; ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(),
                   [&](size_t a, size_t b) { return img.coverage[a] > img.coverage[b]; });
  const size_t firstWhite = n - white;
  std::vector<int> cls(n, 1);
  for (size_t r = 0; r < n; ++r) {
    if (r < static_cast<size_t>(black)) cls[order[r]] = 0;
    if (r >= firstWhite) cls[order[r]] = 2;
  }
  *out = Build(img, cls);
  return true;
}

bool SplitSparseRim(const Image& img, int grey, MaskedPair* out) {
  const size_t n = img.coverage.size();
  std::vector<int> cls(n);
  std::vector<size_t> partial;
  for (size_t i = 0; i < n; ++i) {
    const double c = img.coverage[i];
    cls[i] = c >= 0.5 ? 0 : 2;
    if (c > 0 && c < 1) partial.push_back(i);
  }
  if (partial.size() < static_cast<size_t>(grey)) return false;
  std::stable_sort(partial.begin(), partial.end(), [&](size_t a, size_t b) {
    return std::fabs(img.coverage[a] - 0.5) < std::fabs(img.coverage[b] - 0.5);
  });
  for (int k = 0; k < grey; ++k) cls[partial[k]] = 1;
  *out = Build(img, cls);
  return true;
}

}  // namespace art
