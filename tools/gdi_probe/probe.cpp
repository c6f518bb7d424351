// The drawing probe's cases. Written against platform/win32.h alone, so the
// same file builds on our layer and against the real <windows.h>.
//
// Every case draws into a fresh 32-bit device-independent bitmap (the same
// format on both sides, whatever the display) that starts as deterministic
// noise, so a pixel that is wrongly left alone, wrongly written or written
// with the wrong bits shows. Pictures are loaded with LoadBitmapW, which
// converts them to the display's format, exactly as the game's are.
//
// Text is left out: the fonts differ between the two systems, so drawn
// text could never match pixel for pixel.
#include "probe.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "probe_resources.h"
#include "resource.h"

namespace {

// The fourth byte of a 32-bit pixel is unused by the interface; only colour
// is compared.
const uint32_t kColourBits = 0x00FFFFFF;

uint32_t Mix(uint32_t v) {
  v ^= v >> 16;
  v *= 0x7feb352dU;
  v ^= v >> 15;
  v *= 0x846ca68bU;
  v ^= v >> 16;
  return v;
}

class Dump {
 public:
  explicit Dump(const char* path) : file_(std::fopen(path, "wb")) {
    if (file_) std::fputs("KVGDIPROBE1\n", file_);
  }
  ~Dump() {
    if (file_) std::fclose(file_);
  }
  Dump(const Dump&) = delete;
  Dump& operator=(const Dump&) = delete;

  bool ok() const { return file_ != nullptr && ok_; }

  // A case: its name, its size and its pixels (0x00RRGGBB, top row first).
  void Write(const std::string& name, int width, int height, const std::vector<uint32_t>& pixels) {
    if (!file_) return;
    uint32_t header[3] = {static_cast<uint32_t>(name.size()), static_cast<uint32_t>(width),
                          static_cast<uint32_t>(height)};
    ok_ &= std::fwrite(header, sizeof header, 1, file_) == 1;
    ok_ &= std::fwrite(name.data(), 1, name.size(), file_) == name.size();
    if (!pixels.empty()) {
      ok_ &= std::fwrite(pixels.data(), sizeof(uint32_t), pixels.size(), file_) == pixels.size();
    }
    ++cases_;
  }

  int cases() const { return cases_; }

  bool Close() {
    if (!file_) return false;
    ok_ &= std::fclose(file_) == 0;
    file_ = nullptr;
    return ok_;
  }

 private:
  FILE* file_;
  bool ok_ = true;
  int cases_ = 0;
};

BITMAPINFO Info32(int width, int height) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;  // bottom-up, the ordinary layout
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  return info;
}

// The pixels of a bitmap that no device context holds, through GetDIBits.
// Empty when the call fails.
std::vector<uint32_t> ReadPixels(HDC dc, HBITMAP bitmap, int width, int height) {
  BITMAPINFO info = Info32(width, height);
  std::vector<uint32_t> bottomUp(static_cast<size_t>(width) * height);
  const int lines = GetDIBits(dc, bitmap, 0, static_cast<UINT>(height), bottomUp.data(), &info,
                              DIB_RGB_COLORS);
  if (lines != height) return {};
  std::vector<uint32_t> out(bottomUp.size());
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      out[static_cast<size_t>(y) * width + x] =
          bottomUp[static_cast<size_t>(height - 1 - y) * width + x] & kColourBits;
    }
  }
  return out;
}

// A destination filled with noise and selected into its own memory device
// context: a 32-bit DIB section, or a bitmap in the display's format as the
// game's back buffer is (made compatible with `screen`).
struct Canvas {
  int width = 0;
  int height = 0;
  HBITMAP bitmap = nullptr;
  HDC dc = nullptr;
  HGDIOBJ previous = nullptr;
};

Canvas OpenCanvas(int width, int height, uint32_t seed, HDC screen = nullptr, bool display = false) {
  Canvas c;
  c.width = width;
  c.height = height;
  BITMAPINFO info = Info32(width, height);
  void* bits = nullptr;
  c.bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (c.bitmap && bits) {
    uint32_t* rows = static_cast<uint32_t*>(bits);
    for (int y = 0; y < height; ++y) {
      // Memory row 0 is the bottom row of the picture.
      uint32_t* row = rows + static_cast<size_t>(height - 1 - y) * width;
      for (int x = 0; x < width; ++x) {
        row[x] = Mix(seed * 0x9E3779B9U + static_cast<uint32_t>(y) * 65537U + static_cast<uint32_t>(x)) &
                 kColourBits;
      }
    }
  }
  c.dc = CreateCompatibleDC(nullptr);
  if (c.dc && c.bitmap) c.previous = SelectObject(c.dc, c.bitmap);
  if (display && c.bitmap) {
    // The noise goes over by a plain copy; the DIB section is then dropped.
    HBITMAP ddb = CreateCompatibleBitmap(screen, width, height);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ previous = ddb && dc ? SelectObject(dc, ddb) : nullptr;
    if (previous) BitBlt(dc, 0, 0, width, height, c.dc, 0, 0, SRCCOPY);
    SelectObject(c.dc, c.previous);
    DeleteDC(c.dc);
    DeleteObject(c.bitmap);
    c.bitmap = previous ? ddb : nullptr;
    c.dc = dc;
    c.previous = previous;
    if (!previous && ddb) DeleteObject(ddb);
  }
  return c;
}

// Writes the canvas's pixels as one case and releases it.
void CloseCanvas(Canvas& c, const std::string& name, Dump& dump, bool* failed) {
  std::vector<uint32_t> pixels;
  if (c.dc && c.previous) SelectObject(c.dc, c.previous);
  if (c.bitmap && c.dc) pixels = ReadPixels(c.dc, c.bitmap, c.width, c.height);
  if (pixels.empty()) {
    std::fprintf(stderr, "gdi_probe: case %s: no canvas or no pixels read back\n", name.c_str());
    *failed = true;
    pixels.assign(static_cast<size_t>(c.width) * c.height, 0xFFFFFFFFu);
  }
  dump.Write(name, c.width, c.height, pixels);
  if (c.dc) DeleteDC(c.dc);
  if (c.bitmap) DeleteObject(c.bitmap);
  c = Canvas{};
}

struct Picture {
  std::string name;
  HBITMAP bitmap = nullptr;
  int width = 0;
  int height = 0;
};

struct Probe {
  Dump dump;
  bool failed = false;
  HDC source = nullptr;  // the scratch source context, as the game's sprite context
  HDC screen = nullptr;  // what display-format bitmaps are made compatible with
  uint32_t seed = 1;

  explicit Probe(const char* path) : dump(path) {}

  Picture Load(HINSTANCE module, int id, const std::string& name) {
    Picture p{name, LoadBitmapW(module, MAKEINTRESOURCEW(id)), 0, 0};
    BITMAP info{};
    if (p.bitmap && GetObjectW(p.bitmap, sizeof info, &info) == static_cast<int>(sizeof info)) {
      p.width = info.bmWidth;
      p.height = info.bmHeight;
    } else {
      std::fprintf(stderr, "gdi_probe: picture %s (%d) did not load\n", name.c_str(), id);
      failed = true;
    }
    return p;
  }

  // The loaded picture itself, as the display format holds it.
  void LoadCase(const Picture& p) {
    if (!p.bitmap) return;
    std::vector<uint32_t> pixels = ReadPixels(source, p.bitmap, p.width, p.height);
    if (pixels.empty()) {
      std::fprintf(stderr, "gdi_probe: picture %s: no pixels read back\n", p.name.c_str());
      failed = true;
      return;
    }
    dump.Write("load/" + p.name, p.width, p.height, pixels);
  }

  // One BitBlt from `p` at source (sx, sy) to (x, y) over noise.
  void BlitCase(const std::string& name, const Picture& p, int canvasW, int canvasH, int x, int y,
                int w, int h, int sx, int sy, DWORD rop, bool display = false) {
    Canvas c = OpenCanvas(canvasW, canvasH, seed++, screen, display);
    HGDIOBJ kept = SelectObject(source, p.bitmap);
    BitBlt(c.dc, x, y, w, h, source, sx, sy, rop);
    SelectObject(source, kept);
    CloseCanvas(c, name, dump, &failed);
  }

  // A sprite as the game draws one: centred on a float position that is
  // truncated toward zero, size halved by integer division, AND the mask,
  // then OR the picture.
  void DrawSprite(HDC target, const Picture& image, const Picture& mask, float px, float py) {
    const int w = image.width, h = image.height;
    const int left = static_cast<int>(px) - w / 2;
    const int top = static_cast<int>(py) - h / 2;
    HGDIOBJ kept = SelectObject(source, mask.bitmap);
    BitBlt(target, left, top, w, h, source, 0, 0, SRCAND);
    SelectObject(source, image.bitmap);
    BitBlt(target, left, top, w, h, source, 0, 0, SRCPAINT);
    SelectObject(source, kept);
  }

  void SpriteCase(const std::string& name, const Picture& image, const Picture& mask, int canvasW,
                  int canvasH, float px, float py, bool display = false) {
    Canvas c = OpenCanvas(canvasW, canvasH, seed++, screen, display);
    DrawSprite(c.dc, image, mask, px, py);
    char where[64];
    std::snprintf(where, sizeof where, "@%.2f,%.2f", static_cast<double>(px), static_cast<double>(py));
    CloseCanvas(c, name + where, dump, &failed);
  }

  // Rectangle with the stock black brush and the context's default pen.
  void RectangleCase(int left, int top, int right, int bottom, bool display = false) {
    Canvas c = OpenCanvas(24, 16, seed++, screen, display);
    HGDIOBJ kept = SelectObject(c.dc, GetStockObject(BLACK_BRUSH));
    Rectangle(c.dc, left, top, right, bottom);
    SelectObject(c.dc, kept);
    char name[64];
    std::snprintf(name, sizeof name, "%srectangle/%d,%d,%d,%d", display ? "display/" : "", left, top,
                  right, bottom);
    CloseCanvas(c, name, dump, &failed);
  }
};

struct Rop {
  const char* name;
  DWORD code;
};
const Rop kRops[] = {{"srccopy", SRCCOPY}, {"srcand", SRCAND}, {"srcpaint", SRCPAINT}};

void CraftedCases(Probe& probe, HINSTANCE module) {
  const Picture rgb13 = probe.Load(module, IDB_PROBE_RGB24_13X7, "rgb24_13x7");
  const Picture rgb2 = probe.Load(module, IDB_PROBE_RGB24_2X3, "rgb24_2x3");
  const Picture rgb1 = probe.Load(module, IDB_PROBE_RGB24_1X1, "rgb24_1x1");
  const Picture pal11 = probe.Load(module, IDB_PROBE_PAL8_11X6, "pal8_11x6");
  const Picture pal9 = probe.Load(module, IDB_PROBE_PAL8_SHORT_9X5, "pal8_short_9x5");
  const Picture discMask = probe.Load(module, IDB_PROBE_DISC_MASK, "disc_mask");
  const Picture discPicture = probe.Load(module, IDB_PROBE_DISC_PICTURE, "disc_picture");
  const Picture discMask8 = probe.Load(module, IDB_PROBE_DISC_MASK8, "disc_mask8");
  const Picture all[] = {rgb13, rgb2, rgb1, pal11, pal9, discMask, discPicture, discMask8};
  for (const Picture& p : all) {
    if (!p.bitmap) return;
  }

  for (const Picture& p : all) probe.LoadCase(p);

  // Each raster operation with each picture, wholly inside.
  for (const Rop& rop : kRops) {
    for (const Picture& p : all) {
      probe.BlitCase(std::string("rop/") + rop.name + "/" + p.name, p, 24, 20, 3, 4, p.width,
                     p.height, 0, 0, rop.code);
    }
  }

  // Clipping at every edge and corner, just touching, and wholly outside,
  // on a 24 x 16 canvas with the 13 x 7 picture.
  struct Place {
    const char* name;
    int x, y;
  };
  const Place places[] = {
      {"left", -5, 4},          {"top", 4, -3},           {"right", 18, 4},
      {"bottom", 4, 12},        {"top_left", -6, -4},     {"top_right", 20, -2},
      {"bottom_left", -3, 13},  {"bottom_right", 19, 11}, {"touch_left", -12, 4},
      {"touch_right", 23, 4},   {"touch_top", 4, -6},     {"touch_bottom", 4, 15},
      {"out_left", -13, 4},     {"out_right", 24, 4},     {"out_top", 4, -7},
      {"out_bottom", 4, 16},    {"out_far", 100000, -100000}, {"covering", -40, -40},
  };
  for (const Rop& rop : kRops) {
    for (const Place& at : places) {
      int w = rgb13.width, h = rgb13.height;
      // One case whose rectangle is larger than the canvas on every side;
      // its source runs past the picture too.
      if (std::string(at.name) == "covering") w = h = 100;
      probe.BlitCase(std::string("clip/") + rop.name + "/" + at.name, rgb13, 24, 16, at.x, at.y, w, h,
                     0, 0, rop.code);
    }
  }

  // Source rectangles that start before the picture or run past it: only
  // the part that lies on the picture is drawn.
  struct Source {
    const char* name;
    int x, y, w, h, sx, sy;
  };
  const Source sources[] = {
      {"negative_x", 5, 5, 13, 7, -3, 0},      {"negative_y", 5, 5, 13, 7, 0, -2},
      {"negative_xy", 5, 5, 13, 7, -4, -3},    {"past_right", 5, 5, 13, 7, 6, 0},
      {"past_bottom", 5, 5, 13, 7, 0, 4},      {"past_both", 2, 2, 20, 12, 5, 3},
      {"wholly_before", 5, 5, 13, 7, -13, 0},  {"wholly_after", 5, 5, 13, 7, 13, 0},
      {"negative_and_clipped", -2, -1, 13, 7, -3, -2}, {"bigger_than_picture", 0, 0, 24, 16, -5, -4},
  };
  for (const Rop& rop : kRops) {
    for (const Source& s : sources) {
      probe.BlitCase(std::string("source/") + rop.name + "/" + s.name, rgb13, 24, 16, s.x, s.y, s.w,
                     s.h, s.sx, s.sy, rop.code);
      probe.BlitCase(std::string("source/") + rop.name + "/pal8/" + s.name, pal11, 24, 16, s.x, s.y,
                     s.w, s.h, s.sx, s.sy, rop.code);
    }
  }

  // Rectangles: inside, clipped at each side, thin, empty and inverted. A
  // 1 x 1 rectangle is left out: Wine draws nothing there although it draws
  // the outline of every larger one, and what Windows itself does there
  // could not be checked. The game only ever fills its whole surface.
  const int rects[][4] = {
      {2, 3, 10, 9},   {0, 0, 24, 16},   {-5, -5, 4, 4},  {20, 12, 30, 30}, {-3, 5, 30, 8},
      {5, 5, 7, 7},    {5, 5, 8, 6},     {5, 5, 6, 9},    {5, 5, 5, 9},     {5, 5, 9, 5},
      {10, 9, 2, 3},   {30, 30, 40, 40}, {-9, -9, -1, -1},
  };
  for (const auto& r : rects) probe.RectangleCase(r[0], r[1], r[2], r[3]);

  // Sprites at whole, fractional and negative positions, partly and wholly
  // off the canvas, with a 24-bit and with an 8-bit mask.
  const float positions[][2] = {
      {12.0f, 8.0f},  {7.5f, 7.5f},    {14.99f, 3.2f},  {-0.5f, 8.0f},   {-0.99f, -0.99f},
      {-3.7f, -2.2f}, {23.9f, 15.99f}, {30.5f, 8.0f},   {-7.5f, 8.0f},   {12.0f, -7.01f},
  };
  for (const auto& at : positions) {
    probe.SpriteCase("sprite/disc", discPicture, discMask, 24, 16, at[0], at[1]);
    probe.SpriteCase("sprite/disc_mask8", discPicture, discMask8, 24, 16, at[0], at[1]);
  }

  // Some of the same on a bitmap in the display's format, as the game's back
  // buffer is: its rows may be laid out unlike a DIB section's.
  for (const Rop& rop : kRops) {
    const std::string prefix = std::string("display/") + rop.name;
    probe.BlitCase(prefix + "/inside", rgb13, 24, 16, 3, 4, rgb13.width, rgb13.height, 0, 0, rop.code,
                   true);
    probe.BlitCase(prefix + "/top_left", rgb13, 24, 16, -6, -4, rgb13.width, rgb13.height, 0, 0,
                   rop.code, true);
    probe.BlitCase(prefix + "/bottom_right", rgb13, 24, 16, 19, 11, rgb13.width, rgb13.height, 0, 0,
                   rop.code, true);
    probe.BlitCase(prefix + "/pal8/negative_xy", pal11, 24, 16, 5, 5, 13, 7, -4, -3, rop.code, true);
  }
  probe.RectangleCase(2, 3, 10, 9, true);
  probe.RectangleCase(-5, -5, 4, 4, true);
  probe.SpriteCase("display/sprite/disc", discPicture, discMask, 24, 16, 14.99f, 3.2f, true);
  probe.SpriteCase("display/sprite/disc_mask8", discPicture, discMask8, 24, 16, -3.7f, 15.99f, true);

  for (const Picture& p : all) DeleteObject(p.bitmap);
}

void GameCases(Probe& probe, HINSTANCE module) {
  struct Pair {
    const char* name;
    int image, mask;
  };
  const Pair pairs[] = {
      {"ball", IDB_BALL, IDB_BALL_MASK},
      {"pitch", IDB_PITCH, IDB_PITCH_MASK},
      {"left_player", IDB_LEFT_PLAYER, IDB_LEFT_PLAYER_MASK},
      {"right_player", IDB_RIGHT_PLAYER, IDB_RIGHT_PLAYER_MASK},
      {"trophy", IDB_TROPHY, IDB_TROPHY_MASK},
  };
  const int kPairs = sizeof pairs / sizeof pairs[0];
  Picture images[kPairs], masks[kPairs];
  bool loaded = true;
  for (int i = 0; i < kPairs; ++i) {
    images[i] = probe.Load(module, pairs[i].image, pairs[i].name);
    masks[i] = probe.Load(module, pairs[i].mask, std::string(pairs[i].name) + "_mask");
    loaded = loaded && images[i].bitmap && masks[i].bitmap;
  }

  for (int i = 0; loaded && i < kPairs; ++i) {
    const Picture& image = images[i];
    const Picture& mask = masks[i];
    const std::string name = std::string("game/") + pairs[i].name;
    probe.LoadCase(image);
    probe.LoadCase(mask);
    if (image.width == 1000) {
      // The pitch fills the back buffer; drawn as each frame draws it.
      probe.SpriteCase(name, image, mask, 1000, 600, 500.0f, 300.0f);
      probe.SpriteCase(name, image, mask, 1000, 600, 499.7f, 300.9f);
    } else {
      // Over noise with room around it, then partly off the edges.
      const int cw = image.width + 40, ch = image.height + 40;
      const float cx = static_cast<float>(cw) / 2.0f, cy = static_cast<float>(ch) / 2.0f;
      probe.SpriteCase(name, image, mask, cw, ch, cx, cy);
      probe.SpriteCase(name, image, mask, cw, ch, cx + 0.99f, cy - 0.5f);
      probe.SpriteCase(name, image, mask, cw, ch, -0.5f, -0.5f);
      probe.SpriteCase(name, image, mask, cw, ch, static_cast<float>(cw) - 3.3f,
                       static_cast<float>(ch) + 1.75f);
    }
  }

  if (loaded) {
    // A whole frame as the game builds one, text aside: a display-format
    // surface cleared black with the stock brush and default pen, the pitch,
    // both players, the ball touching a player, and the trophy over it all.
    Canvas c = OpenCanvas(1000, 600, probe.seed++, probe.screen, true);
    HGDIOBJ kept = SelectObject(c.dc, GetStockObject(BLACK_BRUSH));
    Rectangle(c.dc, 0, 0, 1000, 600);
    SelectObject(c.dc, kept);
    const float at[kPairs][2] = {
        {262.4f, 301.9f}, {500.0f, 300.0f}, {200.5f, 300.2f}, {799.99f, 299.5f}, {500.0f, 300.0f}};
    const int order[] = {1, 2, 3, 0, 4};
    for (int i : order) probe.DrawSprite(c.dc, images[i], masks[i], at[i][0], at[i][1]);
    CloseCanvas(c, "game/frame", probe.dump, &probe.failed);
  }

  for (int i = 0; i < kPairs; ++i) {
    if (images[i].bitmap) DeleteObject(images[i].bitmap);
    if (masks[i].bitmap) DeleteObject(masks[i].bitmap);
  }
}

}  // namespace

int RunProbe(HINSTANCE crafted, HINSTANCE game, const char* outPath) {
  Probe probe(outPath);
  if (!probe.dump.ok()) {
    std::fprintf(stderr, "gdi_probe: cannot write %s\n", outPath);
    return 1;
  }
  probe.source = CreateCompatibleDC(nullptr);
  probe.screen = GetDC(nullptr);
  CraftedCases(probe, crafted);
#ifdef KV_PROBE_GAME_PICTURES
  GameCases(probe, game);
#else
  (void)game;
  (void)&GameCases;
#endif
  if (probe.screen) ReleaseDC(nullptr, probe.screen);
  DeleteDC(probe.source);
  const int cases = probe.dump.cases();
  if (!probe.dump.Close()) {
    std::fprintf(stderr, "gdi_probe: writing %s failed\n", outPath);
    return 1;
  }
  std::printf("gdi_probe: %d cases written to %s\n", cases, outPath);
  return probe.failed ? 1 : 0;
}
