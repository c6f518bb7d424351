// The bitmaps' storage and the picture/mask convention: masks are white
// where transparent, black where opaque, grey only along the outlines, and
// the picture is black wherever its mask is white.
#include <algorithm>
#include <vector>

#include "res/resource.h"
#include "tools/rescheck/load.h"

namespace kv {
namespace rescheck {

namespace {

struct Format {
  int id, width, height, bits, rowBytes;
  size_t stored;
};

const Format kFormats[] = {
    {IDB_BALL, 30, 30, 24, 92, 2800},
    {IDB_BALL_MASK, 30, 30, 24, 92, 2800},
    {IDB_PITCH, 1000, 600, 24, 3000, 1800040},
    {IDB_PITCH_MASK, 1000, 600, 8, 1000, 601064},
    {IDB_LEFT_PLAYER, 80, 120, 24, 240, 28840},
    {IDB_LEFT_PLAYER_MASK, 80, 120, 24, 240, 28840},
    {IDB_RIGHT_PLAYER, 80, 120, 24, 240, 28840},
    {IDB_RIGHT_PLAYER_MASK, 80, 120, 24, 240, 28840},
    {IDB_TROPHY, 111, 299, 24, 336, 100504},
    {IDB_TROPHY_MASK, 111, 299, 24, 336, 100504},
};

struct Counts {
  int black = 0, white = 0, grey = 0, other = 0;
};

Counts CountMask(const Dib& m) {
  Counts c;
  for (uint32_t p : m.pixels) {
    if (p == 0) {
      ++c.black;
    } else if (p == 0xFFFFFF) {
      ++c.white;
    } else if (IsGrey(p)) {
      ++c.grey;
    } else {
      ++c.other;
    }
  }
  return c;
}

struct Span {
  int x0 = 1 << 30, x1 = -1, y0 = 1 << 30, y1 = -1;
};

// The extent of the opaque (not white) mask pixels.
Span OpaqueSpan(const Dib& m) {
  Span s;
  for (int y = 0; y < m.height; ++y) {
    for (int x = 0; x < m.width; ++x) {
      if (m.At(x, y) == 0xFFFFFF) continue;
      s.x0 = std::min(s.x0, x);
      s.x1 = std::max(s.x1, x);
      s.y0 = std::min(s.y0, y);
      s.y1 = std::max(s.y1, y);
    }
  }
  return s;
}

bool Near(int value, int target, int tolerance) {
  return value >= target - tolerance && value <= target + tolerance;
}

// Checks one pair and returns the pictures for the picture-specific checks.
bool CheckPair(HINSTANCE module, int id, const char* name, int allowedOnes, Dib* picture, Dib* mask,
               Counts* counts, Report* r) {
  if (!LoadBitmap(module, id, picture, r) || !LoadBitmap(module, id + 1, mask, r)) return false;
  const std::string n = name;
  if (!r->Expect(picture->width == mask->width && picture->height == mask->height,
                 n + ": picture and mask have the same size"))
    return false;
  *counts = CountMask(*mask);
  r->Expect(counts->other == 0, n + ": the mask holds only black, white and grey (" +
                                    Num(counts->other) + " other pixels)");
  int blackUnderWhite = 0, ones = 0, wrong = 0;
  for (size_t i = 0; i < mask->pixels.size(); ++i) {
    if (mask->pixels[i] != 0xFFFFFF) continue;
    const uint32_t p = picture->pixels[i];
    if (p == 0) {
      ++blackUnderWhite;
    } else if (p == 0x010101) {
      ++ones;
    } else {
      ++wrong;
    }
  }
  r->Expect(wrong == 0 && ones == allowedOnes,
            n + ": the picture is black wherever the mask is white (" + Num(blackUnderWhite) +
                " black, " + Num(ones) + " at 1,1,1, " + Num(wrong) + " other)");
  // The grey rim lies along the outline: every grey pixel is joined through
  // grey pixels to a transparent pixel or the picture's edge; none sits
  // alone inside the body.
  const int w = mask->width, h = mask->height;
  std::vector<uint8_t> reached(static_cast<size_t>(w) * h, 0);
  std::vector<int> todo;
  auto isGrey = [&](int x, int y) {
    const uint32_t p = mask->At(x, y);
    return p != 0 && p != 0xFFFFFF;
  };
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      if (!isGrey(x, y)) continue;
      bool outside = x == 0 || y == 0 || x == w - 1 || y == h - 1;
      for (int dy = -1; dy <= 1 && !outside; ++dy)
        for (int dx = -1; dx <= 1 && !outside; ++dx) outside = mask->At(x + dx, y + dy) == 0xFFFFFF;
      if (outside) {
        reached[static_cast<size_t>(y) * w + x] = 1;
        todo.push_back(y * w + x);
      }
    }
  }
  while (!todo.empty()) {
    const int at = todo.back();
    todo.pop_back();
    for (int dy = -1; dy <= 1; ++dy) {
      for (int dx = -1; dx <= 1; ++dx) {
        const int x = at % w + dx, y = at / w + dy;
        if (x < 0 || y < 0 || x >= w || y >= h || !isGrey(x, y)) continue;
        uint8_t& seen = reached[static_cast<size_t>(y) * w + x];
        if (!seen) {
          seen = 1;
          todo.push_back(y * w + x);
        }
      }
    }
  }
  int stray = 0;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) stray += isGrey(x, y) && !reached[static_cast<size_t>(y) * w + x];
  r->Expect(stray == 0,
            n + ": grey mask pixels lie only along the outline (" + Num(stray) + " elsewhere)");
  return true;
}

std::string CountText(const Counts& c) {
  return Num(c.black) + " black, " + Num(c.white) + " white, " + Num(c.grey) + " grey";
}

bool TouchesAllEdges(const Dib& m) {
  const Span s = OpaqueSpan(m);
  return s.x0 == 0 && s.y0 == 0 && s.x1 == m.width - 1 && s.y1 == m.height - 1;
}

// Gold: red over green over blue, warm and saturated.
bool IsGold(uint32_t c) {
  return Red(c) >= Green(c) && Green(c) >= Blue(c) && Red(c) > Blue(c) + 40;
}
bool IsGreen(uint32_t c) { return Green(c) > Red(c) + 30 && Green(c) > Blue(c) + 10; }
bool IsBlue(uint32_t c) { return Blue(c) > Red(c) + 60 && Blue(c) > Green(c) + 40; }
bool IsWhitish(uint32_t c) { return Red(c) > 200 && Green(c) > 200 && Blue(c) > 200; }

}  // namespace

void CheckBitmapFormats(HINSTANCE module, Report* r) {
  for (const Format& f : kFormats) {
    Dib d;
    if (!LoadBitmap(module, f.id, &d, r)) continue;
    const std::string n = "bitmap " + Num(f.id);
    r->Expect(d.width == f.width && d.height == f.height,
              n + " is " + Num(f.width) + " x " + Num(f.height) + " (got " + Num(d.width) + " x " +
                  Num(d.height) + ")");
    r->Expect(d.bitsPerPixel == f.bits && d.planes == 1 && d.compression == 0,
              n + " has " + Num(f.bits) + " bits per pixel, one plane, BI_RGB");
    r->Expect(d.bottomUp, n + " is stored bottom-up");
    r->Expect(d.rowBytes == static_cast<uint32_t>(f.rowBytes),
              n + " has " + Num(f.rowBytes) + " bytes per row");
    r->Expect(d.storedSize == f.stored, n + " is stored in " +
                                            Num(static_cast<long long>(f.stored)) + " bytes (got " +
                                            Num(static_cast<long long>(d.storedSize)) + ")");
    if (f.bits == 8) r->Expect(d.palette.size() == 256, n + " has a 256-entry colour table");
  }
}

void CheckPictures(HINSTANCE module, Report* r) {
  Dib pic, mask;
  Counts c;
  if (CheckPair(module, IDB_BALL, "ball", 1, &pic, &mask, &c, r)) {
    r->Expect(c.black == 632 && c.white == 217 && c.grey == 51,
              "ball: mask has 632 black, 217 white, 51 grey (got " + CountText(c) + ")");
    const Span s = OpaqueSpan(mask);
    r->Expect(s.x0 == 1 && s.x1 == 29 && s.y0 == 1 && s.y1 == 28,
              "ball: opaque pixels span columns 1-29 and rows 1-28 (got " + Num(s.x0) + "-" +
                  Num(s.x1) + ", " + Num(s.y0) + "-" + Num(s.y1) + ")");
    int white = 0, dark = 0;
    for (size_t i = 0; i < pic.pixels.size(); ++i) {
      if (mask.pixels[i] != 0) continue;
      const uint32_t p = pic.pixels[i];
      white += Red(p) >= 150 && Green(p) >= 150 && Blue(p) >= 150;
      dark += Red(p) < 80 && Green(p) < 80 && Blue(p) < 80;
    }
    r->Expect(
        white > 300 && dark > 60 && dark < white,
        "ball: mostly white with black patches (" + Num(white) + " white, " + Num(dark) + " dark)");
  }

  Dib left, leftMask;
  if (CheckPair(module, IDB_LEFT_PLAYER, "left player", 0, &left, &leftMask, &c, r)) {
    r->Expect(Near(c.black, 2653, 130) && Near(c.white, 6402, 320) && Near(c.grey, 530, 150),
              "left player: mask counts near 2653 black, 6402 white, 530 grey (got " +
                  CountText(c) + ")");
    r->Expect(TouchesAllEdges(leftMask), "left player: the mask reaches all four edges");
    int blue = 0, white = 0;
    for (size_t i = 0; i < left.pixels.size(); ++i) {
      if (leftMask.pixels[i] != 0) continue;
      blue += IsBlue(left.pixels[i]);
      white += IsWhitish(left.pixels[i]);
    }
    r->Expect(blue > 300 && white > 300, "left player: blue and white kit (" + Num(blue) +
                                             " blue, " + Num(white) + " white pixels)");
    // The ball at his feet is on the left, the stretched arm on the right.
    const Span s = OpaqueSpan(leftMask);
    bool ballLow = false, armHigh = false;
    for (int y = leftMask.height * 3 / 4; y < leftMask.height; ++y)
      ballLow |= leftMask.At(0, y) != 0xFFFFFF;
    for (int y = 0; y < leftMask.height / 2; ++y)
      armHigh |= leftMask.At(leftMask.width - 1, y) != 0xFFFFFF;
    r->Expect(s.x0 == 0 && ballLow && armHigh,
              "left player: ball at the lower left edge, arm out to the right edge");
  }
  Dib right, rightMask;
  if (CheckPair(module, IDB_RIGHT_PLAYER, "right player", 0, &right, &rightMask, &c, r) &&
      !left.pixels.empty() && right.width == left.width && right.height == left.height) {
    int differ = 0;
    for (int y = 0; y < left.height; ++y) {
      for (int x = 0; x < left.width; ++x) {
        const int m = left.width - 1 - x;
        differ += right.At(x, y) != left.At(m, y) || rightMask.At(x, y) != leftMask.At(m, y);
      }
    }
    r->Expect(differ == 0, "right player: the exact mirror image of the left player (" +
                               Num(differ) + " pixels differ)");
  }

  if (CheckPair(module, IDB_TROPHY, "trophy", 0, &pic, &mask, &c, r)) {
    r->Expect(Near(c.grey, 38, 12), "trophy: about 38 grey rim pixels (got " + CountText(c) + ")");
    r->Expect(TouchesAllEdges(mask), "trophy: the mask touches all four edges");
    int gold = 0, opaque = 0;
    for (size_t i = 0; i < pic.pixels.size(); ++i) {
      if (mask.pixels[i] != 0) continue;
      ++opaque;
      gold += IsGold(pic.pixels[i]);
    }
    r->Expect(gold * 10 > opaque * 8, "trophy: mostly shades of gold (" + Num(gold) + " of " +
                                          Num(opaque) + " opaque pixels)");
    // Two green bands on the base, gold between and above them.
    auto greenRow = [&](int y) {
      int n = 0;
      for (int x = 0; x < pic.width; ++x) n += mask.At(x, y) == 0 && IsGreen(pic.At(x, y));
      return n > pic.width / 2;
    };
    int bandRows = 0, bands = 0, outside = 0;
    bool prev = false;
    for (int y = 0; y < pic.height; ++y) {
      const bool g = greenRow(y);
      if (g && !prev) ++bands;
      bandRows += g;
      outside += g && (y < 248 || y > 297);
      prev = g;
    }
    r->Expect(outside == 0, "trophy: green only on the base, rows 248-297 (" + Num(outside) +
                                " green rows elsewhere)");
    r->Expect(bands == 2 && bandRows >= 20, "trophy: two green bands on the base (" + Num(bands) +
                                                " bands, " + Num(bandRows) + " rows)");
  }
}

}  // namespace rescheck
}  // namespace kv
