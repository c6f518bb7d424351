// The pitch's markings where the game's play areas and goal boxes expect
// them, its flat grass and frame, and its wholly opaque mask.
#include <cmath>

#include "res/resource.h"
#include "tools/rescheck/load.h"

namespace kv {
namespace rescheck {

namespace {

constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kGrass = 0x008000;
constexpr uint32_t kBlue = 0x0000FF;

bool Whitish(uint32_t c) { return Red(c) >= 200 && Green(c) >= 200 && Blue(c) >= 200; }

// Every pixel of the rectangle (inclusive) satisfies `test`; the number of
// those that do not is returned.
template <typename F>
int CountNot(const Dib& d, int x0, int y0, int x1, int y1, F test) {
  int bad = 0;
  for (int y = y0; y <= y1; ++y)
    for (int x = x0; x <= x1; ++x) bad += !test(d.At(x, y), x, y);
  return bad;
}

void Line(const Dib& d, int x0, int y0, int x1, int y1, const std::string& what, Report* r) {
  const int bad = CountNot(d, x0, y0, x1, y1, [](uint32_t c, int, int) { return c == kWhite; });
  r->Expect(bad == 0, "pitch: " + what + " white at columns " + Num(x0) + "-" + Num(x1) +
                          ", rows " + Num(y0) + "-" + Num(y1) + " (" + Num(bad) + " not)");
}

// Along rays from a centre, a whitish pixel is found within [r0, r1] and the
// ring is grass just inside and outside it, for every angle in the range.
void Ring(const Dib& d, double cx, double cy, double radius, double a0, double a1,
          const std::string& what, Report* r) {
  int missing = 0, rays = 0;
  for (double a = a0; a <= a1 + 1e-9; a += (a1 - a0) / 24) {
    ++rays;
    bool found = false;
    for (double rr = radius - 3; rr <= radius + 3; rr += 0.25) {
      const int x = static_cast<int>(std::floor(cx + std::cos(a) * rr));
      const int y = static_cast<int>(std::floor(cy + std::sin(a) * rr));
      if (x >= 0 && y >= 0 && x < d.width && y < d.height && Whitish(d.At(x, y))) found = true;
    }
    missing += !found;
  }
  r->Expect(missing == 0, "pitch: " + what + " of radius about " + Num(std::lround(radius)) + " (" +
                              Num(missing) + " of " + Num(rays) + " rays miss it)");
}

}  // namespace

void CheckPitch(HINSTANCE module, Report* r) {
  Dib mask;
  if (LoadBitmap(module, IDB_PITCH_MASK, &mask, r)) {
    int nonZero = 0;
    for (uint8_t i : mask.indices) nonZero += i != 0;
    r->Expect(
        !mask.indices.empty() && nonZero == 0 && !mask.palette.empty() && mask.palette[0] == 0,
        "pitch mask: every pixel is index 0, which is black (" + Num(nonZero) + " not)");
  }
  Dib d;
  if (!LoadBitmap(module, IDB_PITCH, &d, r)) return;
  if (!r->Expect(d.width == 1000 && d.height == 600, "pitch: 1000 x 600 before its markings"))
    return;

  // The frame: two pixels of lighter green around the edge.
  const auto lighter = [](uint32_t c, int, int) {
    return Green(c) > 128 && Red(c) < Green(c) && Blue(c) < Green(c) && c != kWhite;
  };
  const int frame = CountNot(d, 0, 0, 999, 1, lighter) + CountNot(d, 0, 598, 999, 599, lighter) +
                    CountNot(d, 0, 0, 1, 599, lighter) + CountNot(d, 998, 0, 999, 599, lighter);
  r->Expect(frame == 0, "pitch: a two-pixel frame of lighter green (" + Num(frame) + " not)");

  // Flat grass wherever no marking passes.
  const auto grass = [](uint32_t c, int, int) { return c == kGrass; };
  const auto grassBut = [&](double sx, double sy, double radius) {
    return [=](uint32_t c, int x, int y) {
      return c == kGrass || std::hypot(x + 0.5 - sx, y + 0.5 - sy) <= radius;
    };
  };
  int notGrass = 0;
  notGrass += CountNot(d, 2, 2, 997, 14, grass);      // above the top touchline
  notGrass += CountNot(d, 2, 585, 997, 597, grass);   // below the bottom one
  notGrass += CountNot(d, 2, 2, 32, 597, grass);      // behind the left goal
  notGrass += CountNot(d, 967, 2, 997, 597, grass);   // behind the right goal
  notGrass += CountNot(d, 222, 19, 416, 581, grass);  // left half, outside the markings
  notGrass += CountNot(d, 584, 19, 777, 581, grass);  // right half
  notGrass += CountNot(d, 56, 30, 184, 130, grass);   // beside the penalty areas
  notGrass += CountNot(d, 56, 470, 184, 570, grass);
  notGrass += CountNot(d, 815, 30, 943, 130, grass);
  notGrass += CountNot(d, 815, 470, 943, 570, grass);
  notGrass += CountNot(d, 93, 135, 184, 465, grassBut(139.5, 300.5, 5));  // left penalty area
  notGrass += CountNot(d, 815, 135, 906, 465, grassBut(860.5, 300.5, 5));
  notGrass += CountNot(d, 45, 135, 184, 222, grass);
  notGrass += CountNot(d, 45, 378, 184, 465, grass);
  notGrass += CountNot(d, 815, 135, 954, 222, grass);
  notGrass += CountNot(d, 815, 378, 954, 465, grass);
  notGrass += CountNot(d, 45, 225, 90, 375, grass);  // inside the goal areas
  notGrass += CountNot(d, 909, 225, 954, 375, grass);
  r->Expect(notGrass == 0, "pitch: flat grass 0,128,0 away from the markings (" + Num(notGrass) +
                               " pixels differ)");

  Line(d, 42, 16, 957, 17, "top touchline", r);
  Line(d, 42, 583, 957, 583, "bottom touchline", r);
  Line(d, 42, 16, 43, 583, "left goal line", r);
  Line(d, 956, 16, 957, 583, "right goal line", r);
  Line(d, 499, 16, 500, 583, "halfway line", r);
  Line(d, 42, 132, 187, 133, "left penalty area, top", r);
  Line(d, 42, 467, 187, 468, "left penalty area, bottom", r);
  Line(d, 186, 132, 187, 468, "left penalty area, front", r);
  Line(d, 812, 132, 957, 133, "right penalty area, top", r);
  Line(d, 812, 467, 957, 468, "right penalty area, bottom", r);
  Line(d, 812, 132, 813, 468, "right penalty area, front", r);
  Line(d, 34, 270, 43, 270, "left goal, top", r);
  Line(d, 34, 330, 43, 330, "left goal, bottom", r);
  Line(d, 34, 270, 34, 330, "left goal, back", r);
  Line(d, 956, 270, 965, 270, "right goal, top", r);
  Line(d, 956, 330, 965, 330, "right goal, bottom", r);
  Line(d, 965, 270, 965, 330, "right goal, back", r);
  // The goals stand outside the goal lines and nowhere else.
  r->Expect(d.At(33, 300) == kGrass && d.At(966, 300) == kGrass && d.At(38, 268) == kGrass &&
                d.At(960, 332) == kGrass,
            "pitch: the goals end at columns 34 and 965, rows 270 and 330");

  r->Expect(Whitish(d.At(500, 300)) && Whitish(d.At(139, 300)) && Whitish(d.At(860, 300)),
            "pitch: centre spot at (500, 300), penalty spots at (139, 300) and (860, 300)");
  constexpr double kPi = 3.14159265358979323846;
  // The centre circle, away from the halfway line.
  Ring(d, 500, 300.5, 80, -kPi / 2 + 0.15, kPi / 2 - 0.15, "centre circle, right half", r);
  Ring(d, 500, 300.5, 80, kPi / 2 + 0.15, 3 * kPi / 2 - 0.15, "centre circle, left half", r);
  // The arcs outside the penalty areas.
  Ring(d, 139.5, 300.5, 80, -0.75, 0.75, "left penalty arc", r);
  Ring(d, 860.5, 300.5, 80, kPi - 0.75, kPi + 0.75, "right penalty arc", r);
  r->Expect(d.At(210, 300) == kGrass && d.At(790, 300) == kGrass,
            "pitch: grass inside the penalty arcs");
  Ring(d, 43, 17, 10, 0.2, kPi / 2 - 0.2, "top left corner arc", r);
  Ring(d, 956, 17, 10, kPi / 2 + 0.2, kPi - 0.2, "top right corner arc", r);
  Ring(d, 43, 583, 10, -kPi / 2 + 0.2, -0.2, "bottom left corner arc", r);
  Ring(d, 956, 583, 10, kPi + 0.2, 3 * kPi / 2 - 0.2, "bottom right corner arc", r);

  // The goal areas: pure blue, one pixel wide, and no blue elsewhere.
  const auto blue = [](uint32_t c, int, int) { return c == kBlue; };
  int notBlue = 0;
  for (int x0 : {44, 908}) {
    const int x1 = x0 + 47;
    notBlue += CountNot(d, x0, 224, x1, 224, blue) + CountNot(d, x0, 376, x1, 376, blue) +
               CountNot(d, x0, 224, x0, 376, blue) + CountNot(d, x1, 224, x1, 376, blue);
  }
  int blueCount = 0;
  for (uint32_t c : d.pixels) blueCount += c == kBlue;
  const int outline = 2 * (2 * 48 + 2 * 151);
  r->Expect(notBlue == 0 && blueCount == outline,
            "pitch: goal areas outlined in pure blue at columns 44-91 and 908-955, rows 224-376 (" +
                Num(notBlue) + " missing, " + Num(blueCount - outline + notBlue) + " elsewhere)");
}

}  // namespace rescheck
}  // namespace kv
