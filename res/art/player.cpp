// The footballer, 80 x 120, seen from the front in mid-stride: striped blue
// and white shirt, blue shorts with white trim, white socks, black hair and
// boots, dribbling a ball at his feet to the lower left with his other arm
// stretched out to the right. The computer's player is the exact mirror.
#include <cmath>
#include <cstdio>
#include <vector>

#include "bitmap.h"
#include "pictures.h"

namespace art {

namespace {

constexpr int kW = 80, kH = 120;
constexpr int kSamples = 8;
constexpr double kPi = 3.14159265358979323846;
constexpr int kBlack = 2653, kWhite = 6402;

const Rgb kSkin{226, 172, 128};
const Rgb kSkinDark{184, 128, 90};
const Rgb kHair{18, 14, 12};
const Rgb kBlue{28, 70, 200};
const Rgb kShirtWhite{246, 246, 246};
const Rgb kShorts{22, 44, 150};
const Rgb kTrim{250, 250, 250};
const Rgb kSock{240, 240, 240};
const Rgb kBoot{24, 24, 26};

// Soft shading across a limb or body part: darker towards its sides.
Paint Rounded(Rgb c, double cx, double halfWidth, double depth = 0.22) {
  return [=](double x, double) {
    double t = (x - cx) / halfWidth;
    t = t * t > 1 ? 1 : t * t;
    return Mix(c, Scale(c, 0.7), depth * t);
  };
}

// Vertical stripes, four pixels wide, centred on the chest.
Paint Stripes(double cx, double halfWidth) {
  return [=](double x, double y) {
    const int band = static_cast<int>(std::floor((x - cx + 2.0) / 4.0));
    const Rgb base = (band % 2 == 0) ? kShirtWhite : kBlue;
    double t = (x - cx) / halfWidth;
    t = t * t > 1 ? 1 : t * t;
    // Folds of the shirt: a little darker under the chest.
    const double fold = y > 44 ? 0.08 : 0.0;
    return Mix(base, Scale(base, 0.72), 0.25 * t + fold);
  };
}

void Limb(Canvas& cv, Pt a, Pt b, double ra, double rb, Rgb c) {
  const double cx = (a.x + b.x) / 2;
  cv.Capsule(a, b, ra, rb, Rounded(c, cx, std::max(ra, rb) + std::fabs(b.x - a.x) / 2));
}

void PaintBall(Canvas& cv, double cx, double cy, double r) {
  cv.Ellipse(cx, cy, r, r, [=](double x, double y) {
    const double u = (x - cx) / r + 0.35, v = (y - cy) / r + 0.4;
    double t = std::sqrt(u * u + v * v) / 1.45;
    t = t > 1 ? 1 : t;
    return Mix(Rgb{250, 250, 250}, Rgb{150, 150, 158}, t * t);
  });
  const Rgb patch{30, 30, 34};
  auto pent = [&](double px, double py, double pr, double angle) {
    std::vector<Pt> pts;
    for (int k = 0; k < 5; ++k) {
      const double a = angle + k * 2 * kPi / 5;
      pts.push_back({px + std::cos(a) * pr, py + std::sin(a) * pr});
    }
    cv.Tint(
        cx - r, cy - r, cx + r, cy + r, [&](double x, double y) { return InPolygon(pts, x, y); },
        Solid(patch));
  };
  pent(cx + 0.5, cy + 0.5, 3.4, -kPi / 2);
  for (int k = 0; k < 5; ++k) {
    const double a = -kPi / 2 + k * 2 * kPi / 5;
    pent(cx + std::cos(a) * 9.6, cy + std::sin(a) * 9.6, 3.0, a + kPi);
  }
}

void PaintPlayer(Canvas& cv) {
  // Legs first, so that the shorts overlap the thighs. The planted leg is
  // on the right; the left leg reaches out to the ball.
  const Pt hipL{38, 70}, kneeL{31, 88}, ankleL{23, 102};
  const Pt hipR{49, 70}, kneeR{51, 90}, ankleR{52, 110};
  Limb(cv, hipL, kneeL, 5.1, 4.0, kSkin);
  Limb(cv, kneeL, ankleL, 4.0, 3.0, kSkin);
  Limb(cv, hipR, kneeR, 5.1, 4.0, kSkin);
  Limb(cv, kneeR, ankleR, 4.0, 3.0, kSkin);
  // Socks up to below the knee, with a blue band at the top.
  auto sock = [&](Pt knee, Pt ankle) {
    const Pt top{knee.x + (ankle.x - knee.x) * 0.22, knee.y + (ankle.y - knee.y) * 0.22};
    Limb(cv, top, ankle, 3.9, 3.2, kSock);
    const Pt band{knee.x + (ankle.x - knee.x) * 0.27, knee.y + (ankle.y - knee.y) * 0.27};
    cv.Tint(
        0, 0, kW, kH, [&](double x, double y) { return InCapsule(top, band, 4.1, 4.0, x, y); },
        Solid(kBlue));
  };
  sock(kneeL, ankleL);
  sock(kneeR, ankleR);
  // Boots: the planted one seen from the front, the other turned towards
  // the ball.
  cv.Ellipse(52.5, 114.5, 5.2, 5.0, Rounded(kBoot, 52.5, 5.5, 0.0));
  cv.Rect(47.5, 114.5, 57.5, 120.0, Solid(kBoot));
  cv.Ellipse(21.5, 104.5, 6.5, 4.0, Solid(kBoot), -0.5);

  // The ball at his feet, down to the picture's bottom left corner.
  PaintBall(cv, 11.2, 108.6, 11.2);

  // Arms. His right arm (on the left of the picture) hangs bent at his
  // side; the other is stretched out to the right for balance.
  const Pt shoulderL{31, 28}, elbowL{23, 43}, handL{21, 57};
  Limb(cv, shoulderL, elbowL, 3.8, 3.1, kSkin);
  Limb(cv, elbowL, handL, 3.3, 2.8, kSkin);
  cv.Ellipse(21, 58.5, 3.2, 3.6, Solid(kSkin));
  cv.Capsule({23.2, 57.5}, {25.2, 60.4}, 0.9, 0.8, Solid(kSkin));  // thumb
  for (double fx : {18.6, 20.6, 22.4})                             // fingers
    cv.Capsule({fx, 60.5}, {fx - 0.3, 63.4}, 0.75, 0.65, Solid(kSkin));
  const Pt shoulderR{57, 28}, elbowR{68, 29.5}, handR{76.5, 27};
  Limb(cv, shoulderR, elbowR, 4.0, 3.2, kSkin);
  Limb(cv, elbowR, handR, 3.2, 2.8, kSkin);
  cv.Ellipse(77.0, 26.8, 3.0, 3.2, Solid(kSkin));
  cv.Capsule({75.2, 25.0}, {75.8, 21.6}, 0.9, 0.8, Solid(kSkin));  // thumb

  // Neck and head.
  cv.Rect(40.5, 18, 47.5, 27, Rounded(kSkinDark, 44, 4));
  cv.Ellipse(44, 12.2, 7.8, 9.8, Rounded(kSkin, 44, 8, 0.3));
  cv.Ellipse(36.4, 13, 1.4, 2.6, Solid(kSkinDark));  // ears
  cv.Ellipse(51.6, 13, 1.4, 2.6, Solid(kSkinDark));
  // Hair: a black cap over the top of the head, down to the picture's edge.
  cv.Fill(
      34, 0, 54, 12,
      [](double x, double y) {
        return InEllipse(44, 8.6, 8.6, 8.6, 0, x, y) && y < 8.8 + 0.12 * std::fabs(x - 44) - 1.4;
      },
      Solid(kHair));
  cv.Ellipse(36.8, 8.5, 1.8, 3.5, Solid(kHair));
  cv.Ellipse(51.2, 8.5, 1.8, 3.5, Solid(kHair));
  // Face: eyes, brows, nose and mouth.
  cv.Ellipse(41.0, 12.6, 1.1, 0.9, Solid(Rgb{40, 30, 25}));
  cv.Ellipse(47.0, 12.6, 1.1, 0.9, Solid(Rgb{40, 30, 25}));
  cv.Rect(39.5, 10.4, 42.6, 11.1, Solid(kHair));
  cv.Rect(45.4, 10.4, 48.5, 11.1, Solid(kHair));
  cv.Capsule({44, 13.8}, {44.3, 16.2}, 0.5, 0.7, Solid(kSkinDark));
  cv.Capsule({42.2, 18.6}, {45.8, 18.6}, 0.5, 0.5, Solid(Rgb{150, 70, 60}));

  // Shirt: shoulders to waist, short sleeves over the upper arms.
  cv.Polygon({{34, 23.5},
              {54, 23.5},
              {58.5, 27},
              {57, 34},
              {54, 42},
              {53.5, 60},
              {34.5, 60},
              {34, 42},
              {30.5, 34},
              {29.5, 27}},
             Stripes(44, 13));
  Limb(cv, {31.5, 27.5}, {27.2, 36}, 5.0, 4.2, kBlue);
  Limb(cv, {56.5, 27.5}, {63.5, 29}, 5.0, 4.2, kBlue);
  // Collar: a white V.
  cv.Polygon({{40, 23.2}, {48, 23.2}, {44, 29}}, Solid(kShirtWhite));
  cv.Polygon({{41.6, 23.2}, {46.4, 23.2}, {44, 26.8}}, Solid(kSkinDark));

  // Shorts with a white hem and side stripes; the legs part at the bottom.
  const std::vector<Pt> shorts{{33.5, 58}, {54.5, 58}, {55.5, 75}, {46.5, 76},
                               {44, 67},   {41.5, 76}, {32, 75}};
  cv.Polygon(shorts, Rounded(kShorts, 44, 13, 0.3));
  cv.Tint(
      30, 58, 58, 77, [&](double x, double y) { return y > 73.3 && InPolygon(shorts, x, y); },
      Solid(kTrim));
  cv.Tint(
      30, 58, 58, 77,
      [&](double x, double y) {
        return y > 59 && (x < 34.6 || x > 53.6) && InPolygon(shorts, x, y);
      },
      Solid(kTrim));
  cv.Rect(33.5, 58, 54.5, 59.5, Solid(Rgb{20, 36, 120}));  // waistband
}

}  // namespace

bool MakePlayers(const std::string& dir) {
  Canvas cv(kW, kH, kSamples);
  PaintPlayer(cv);
  const Image img = cv.Resolve();
  // The grey rim must come from the outline alone: no more wholly covered
  // pixels than opaque ones, no more empty pixels than transparent ones.
  int full = 0, empty = 0;
  for (double c : img.coverage) {
    full += c >= 1.0;
    empty += c <= 0.0;
  }
  if (full > kBlack || empty > kWhite) {
    std::fprintf(stderr, "player: %d covered and %d empty pixels do not fit the mask counts\n",
                 full, empty);
    return false;
  }
  MaskedPair pair{Bitmap(1, 1), Bitmap(1, 1)};
  if (!SplitByCounts(img, kBlack, kWhite, &pair)) {
    std::fprintf(stderr, "player: mask counts cannot be met exactly\n");
    return false;
  }
  return Write24(dir + "/left_player.bmp", pair.picture) &&
         Write24(dir + "/left_player_mask.bmp", pair.mask) &&
         Write24(dir + "/right_player.bmp", MirrorX(pair.picture)) &&
         Write24(dir + "/right_player_mask.bmp", MirrorX(pair.mask));
}

}  // namespace art
