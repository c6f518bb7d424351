// The drawing layer's shortcuts (an owed black fill taken over by the copy
// that follows, whole-block copies, the AND and OR loops) against the plain
// path, pixel for pixel, over random sequences of drawing.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "platform/gdi/gdi_internal.h"
#include "platform/win32.h"

namespace {

constexpr int kW = 61, kH = 37;  // odd sizes: no row is a whole number of blocks
constexpr DWORD kOps[] = {SRCCOPY, SRCAND, SRCPAINT, 0x00660046 /* SRCINVERT */,
                          0x00330008 /* NOTSRCCOPY */, 0x00550009 /* DSTINVERT */,
                          0x00000042 /* BLACKNESS */, 0x00FF0062 /* WHITENESS */};

// Everything one run draws into, and what it read back along the way.
struct World {
  HDC dcs[6] = {};
  HBITMAP bitmaps[6] = {};
  HGDIOBJ previous[6] = {};
  uint32_t* dibBits = nullptr;  // bitmaps[4] is a DIB section
  std::vector<uint32_t> window;
  kv::PixelSurface windowSurface;
  HDC windowDC = nullptr;
  std::vector<COLORREF> reads;

  World() : window(static_cast<size_t>(kW) * kH, 0) {
    // 0, 1: pictures; 2: a mask black all over; 3: monochrome, black;
    // 4: a DIB section the test writes directly; 5: a target.
    for (int i = 0; i < 6; ++i) dcs[i] = CreateCompatibleDC(nullptr);
    for (int i = 0; i < 6; ++i) {
      if (i == 3) {
        bitmaps[i] = CreateCompatibleBitmap(dcs[i], kW, kH);  // a new memory context: monochrome
      } else if (i == 4) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = kW;
        info.bmiHeader.biHeight = -kH;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        bitmaps[i] = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        dibBits = static_cast<uint32_t*>(bits);
      } else {
        bitmaps[i] = MakeColorBitmap();
      }
      previous[i] = SelectObject(dcs[i], bitmaps[i]);
    }
    windowSurface = kv::PixelSurface{window.data(), kW, kH, kW};
    windowDC = kv::gdi::CreateSurfaceDC(windowSurface);
  }
  ~World() {
    DeleteDC(windowDC);
    for (int i = 0; i < 6; ++i) {
      SelectObject(dcs[i], previous[i]);
      DeleteObject(bitmaps[i]);
      DeleteDC(dcs[i]);
    }
  }

  // Compatible with the screen: the display's colour format, black.
  static HBITMAP MakeColorBitmap() { return CreateCompatibleBitmap(nullptr, kW, kH); }

  std::vector<uint32_t> Pixels(int i) const {
    kv::PixelSurface s = kv::gdi::BitmapPixels(bitmaps[i]);
    std::vector<uint32_t> out;
    for (int y = 0; y < s.height; ++y)
      for (int x = 0; x < s.width; ++x) out.push_back(s.pixels[static_cast<ptrdiff_t>(y) * s.stride + x]);
    return out;
  }
};

void Scribble(std::mt19937& r, World& w, int i) {
  kv::PixelSurface s = kv::gdi::BitmapPixels(w.bitmaps[i]);
  for (int y = 0; y < s.height; ++y)
    for (int x = 0; x < s.width; ++x)
      s.pixels[static_cast<ptrdiff_t>(y) * s.stride + x] = r() & 0x00FFFFFF;
}

// One random step; the same seed gives the same steps whatever the mode.
void Step(std::mt19937& r, World& w) {
  auto pick = [&r](int n) { return static_cast<int>(r() % static_cast<unsigned>(n)); };
  // Rectangles that may hang over any edge, or cover everything exactly.
  auto place = [&](int* x, int* y, int* cw, int* ch) {
    if (pick(3) == 0) {
      *x = 0, *y = 0, *cw = kW, *ch = kH;
    } else {
      *x = pick(kW + 20) - 10, *y = pick(kH + 20) - 10;
      *cw = pick(kW + 5), *ch = pick(kH + 5);
    }
  };
  const int target = pick(4) == 0 ? pick(6) : (pick(2) ? 5 : 0);
  int x, y, cw, ch;
  place(&x, &y, &cw, &ch);
  switch (pick(9)) {
    case 0:
    case 1:
    case 2: {  // a masked draw, the mask mostly the black one
      const int mask = pick(3) ? 2 : pick(6);
      const int picture = pick(2);
      BitBlt(w.dcs[target], x, y, cw, ch, w.dcs[mask], 0, 0, SRCAND);
      if (pick(5) == 0) w.reads.push_back(GetPixel(w.dcs[target], pick(kW), pick(kH)));
      if (pick(5) == 0) place(&x, &y, &cw, &ch);  // the OR lands elsewhere
      BitBlt(w.dcs[target], x, y, cw, ch, w.dcs[picture], pick(3), pick(3), SRCPAINT);
      break;
    }
    case 3:  // any operation from any source, the target itself included
      BitBlt(w.dcs[target], x, y, cw, ch, w.dcs[pick(6)], pick(9) - 4, pick(9) - 4,
             kOps[pick(8)]);
      break;
    case 4:  // present: the target copied to a window's pixels
      BitBlt(w.windowDC, x, y, cw, ch, w.dcs[target], 0, 0, SRCCOPY);
      break;
    case 5: {  // a filled rectangle, black (a mask black again) or coloured
      HBRUSH brush = CreateSolidBrush(pick(2) ? 0 : (r() & 0x00FFFFFF));
      HGDIOBJ old = SelectObject(w.dcs[target], brush);
      HGDIOBJ oldPen = SelectObject(w.dcs[target], GetStockObject(pick(2) ? NULL_PEN : BLACK_PEN));
      Rectangle(w.dcs[target], x, y, x + cw, y + ch);
      SelectObject(w.dcs[target], old);
      SelectObject(w.dcs[target], oldPen);
      DeleteObject(brush);
      break;
    }
    case 6:
      SetPixel(w.dcs[target], pick(kW), pick(kH), pick(2) ? 0 : (r() & 0x00FFFFFF));
      break;
    case 7:  // the DIB section's memory changed behind the layer's back
      if (pick(2))
        w.dibBits[pick(kW * kH)] = r() & 0x00FFFFFF;
      else
        std::fill(w.dibBits, w.dibBits + kW * kH, 0u);
      break;
    default: {
      SetBkMode(w.dcs[target], pick(2) ? TRANSPARENT : OPAQUE);
      SetTextColor(w.dcs[target], r() & 0x00FFFFFF);
      const wchar_t* text = L"Score: 42";
      TextOutW(w.dcs[target], x, y, text, 9);
      break;
    }
  }
  if (pick(4) == 0) w.reads.push_back(GetPixel(w.dcs[pick(6)], pick(kW), pick(kH)));
}

// Runs `steps` random steps from `seed`; returns every pixel and every read.
std::vector<uint32_t> Draw(uint32_t seed, int steps, bool fast) {
  kv::gdi::SetFastPaths(fast);
  std::mt19937 r(seed);
  World w;
  Scribble(r, w, 0);
  Scribble(r, w, 1);
  Scribble(r, w, 5);
  for (int i = 0; i < steps; ++i) Step(r, w);
  std::vector<uint32_t> all = w.window;
  for (int i = 0; i < 6; ++i) {
    std::vector<uint32_t> p = w.Pixels(i);
    all.insert(all.end(), p.begin(), p.end());
  }
  all.insert(all.end(), w.reads.begin(), w.reads.end());
  kv::gdi::SetFastPaths(true);
  return all;
}

TEST(FastVersusPlain, RandomDrawingGivesTheSamePixelsAndReads) {
  for (uint32_t seed = 1; seed <= 40; ++seed) {
    const std::vector<uint32_t> fast = Draw(seed, 60, true);
    const std::vector<uint32_t> plain = Draw(seed, 60, false);
    ASSERT_EQ(fast.size(), plain.size()) << "seed " << seed;
    size_t firstDiff = fast.size();
    for (size_t i = 0; i < fast.size(); ++i)
      if (fast[i] != plain[i]) {
        firstDiff = i;
        break;
      }
    EXPECT_EQ(firstDiff, fast.size()) << "seed " << seed << ": value " << firstDiff << " is 0x"
                                      << std::hex << fast[firstDiff] << " fast, 0x"
                                      << plain[firstDiff] << " plain";
  }
}

}  // namespace
