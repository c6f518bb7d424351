// A module of small, known pictures for pixel tests: every sprite of the game
// under its own id, each a flat colour (the pitch a fine pattern) with an
// all-black mask, plus probe sprites for the masked-draw rules. The menu and
// the About box are copied from the program's own resources when it has them.
// Header-only: the app tests use it as well.
#pragma once

#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <vector>

#include "platform/rt/resources.h"
#include "platform/win32.h"
#include "res/resource.h"
#include "tests/support/res_image_builder.h"

namespace crafted {

// Pixels are written 0x00RRGGBB here, as the drawing layer stores them.
using PixelFn = std::function<uint32_t(int x, int y)>;

// The pitch: channels below 0x80 everywhere, so that no sprite or text colour
// can be mistaken for it.
inline uint32_t PitchPixel(int x, int y) {
  return (static_cast<uint32_t>(x % 64) << 16) | (static_cast<uint32_t>(0x40 + y % 64) << 8) |
         0x10u;
}
constexpr uint32_t kHuman = 0x102090;
constexpr uint32_t kComputer = 0x901020;
constexpr uint32_t kBall = 0xC8C800;
constexpr uint32_t kTrophy = 0xD4AF37;

// A 30 x 30 opaque sprite whose every pixel tells where it came from.
constexpr WORD kProbe = 500;
constexpr WORD kProbeMask = 501;
inline uint32_t ProbePixel(int x, int y) {
  return (static_cast<uint32_t>(x * 8) << 16) | (static_cast<uint32_t>(y * 8) << 8) | 0x40u;
}

// A 30 x 30 sprite, opaque on its left half and transparent on its right,
// with a non-black picture pixel under white mask at (20, 10) and a grey
// mask pixel at (20, 20).
constexpr WORD kHalf = 510;
constexpr WORD kHalfMask = 511;
constexpr uint32_t kHalfColour = 0xE01010;
constexpr uint32_t kStray = 0x000080;
constexpr uint32_t kGrey = 0x808080;

// The crafted pictures in a .res image, beside copies of the program's own
// menu and dialog.
class ResImage {
 public:
  void AddEntry(uint16_t type, uint16_t id, const uint8_t* data, size_t size) {
    builder_.Add(type, id, kvtest::ResImageBuilder::kEnglish,
                 std::vector<uint8_t>(data, data + size));
  }

  void AddBitmap24(uint16_t id, int w, int h, const PixelFn& pixel) {
    const int rowBytes = (w * 3 + 3) & ~3;
    std::vector<uint8_t> dib = InfoHeader(w, h, 24, 0);
    for (int y = h - 1; y >= 0; --y) {  // bottom-up
      const size_t start = dib.size();
      for (int x = 0; x < w; ++x) {
        const uint32_t p = pixel(x, y);
        dib.push_back(static_cast<uint8_t>(p));
        dib.push_back(static_cast<uint8_t>(p >> 8));
        dib.push_back(static_cast<uint8_t>(p >> 16));
      }
      dib.resize(start + static_cast<size_t>(rowBytes), 0);
    }
    AddEntry(RT_BITMAP_ID, id, dib.data(), dib.size());
  }

  // Index 0 everywhere with a colour table whose entry 0 is black, as the
  // real pitch mask is stored.
  void AddBitmap8Black(uint16_t id, int w, int h) {
    std::vector<uint8_t> dib = InfoHeader(w, h, 8, 256);
    dib.resize(dib.size() + 256 * 4, 0);
    dib.resize(dib.size() + static_cast<size_t>((w + 3) & ~3) * static_cast<size_t>(h), 0);
    AddEntry(RT_BITMAP_ID, id, dib.data(), dib.size());
  }

  void CopyFrom(HINSTANCE module, uint16_t type, uint16_t id) {
    kv::rt::ResourceData found;
    if (kv::rt::FindResource(module, type, id, &found)) AddEntry(type, id, found.data, found.size);
  }

  const std::vector<uint8_t>& bytes() const { return builder_.bytes(); }

 private:
  static std::vector<uint8_t> InfoHeader(int w, int h, int bits, uint32_t colours) {
    BITMAPINFOHEADER header = {};
    header.biSize = sizeof header;
    header.biWidth = w;
    header.biHeight = h;
    header.biPlanes = 1;
    header.biBitCount = static_cast<WORD>(bits);
    header.biCompression = BI_RGB;
    header.biClrUsed = colours;
    std::vector<uint8_t> out(sizeof header);
    std::memcpy(out.data(), &header, sizeof header);
    return out;
  }
  kvtest::ResImageBuilder builder_;
};

// The module and the image behind it; the image must outlive the module.
class Module {
 public:
  Module() {
    const PixelFn black = [](int, int) { return 0u; };
    image_.AddBitmap24(IDB_PITCH, 1000, 600, PitchPixel);
    image_.AddBitmap8Black(IDB_PITCH_MASK, 1000, 600);
    image_.AddBitmap24(IDB_BALL, 30, 30, [](int, int) { return kBall; });
    image_.AddBitmap24(IDB_BALL_MASK, 30, 30, black);
    image_.AddBitmap24(IDB_LEFT_PLAYER, 80, 120, [](int, int) { return kHuman; });
    image_.AddBitmap24(IDB_LEFT_PLAYER_MASK, 80, 120, black);
    image_.AddBitmap24(IDB_RIGHT_PLAYER, 80, 120, [](int, int) { return kComputer; });
    image_.AddBitmap24(IDB_RIGHT_PLAYER_MASK, 80, 120, black);
    image_.AddBitmap24(IDB_TROPHY, 111, 299, [](int, int) { return kTrophy; });
    image_.AddBitmap24(IDB_TROPHY_MASK, 111, 299, black);
    image_.AddBitmap24(kProbe, 30, 30, ProbePixel);
    image_.AddBitmap24(kProbeMask, 30, 30, black);
    image_.AddBitmap24(kHalf, 30, 30, [](int x, int y) {
      if (x < 15) return kHalfColour;
      return (x == 20 && y == 10) ? kStray : 0u;
    });
    image_.AddBitmap24(kHalfMask, 30, 30, [](int x, int y) {
      if (x == 20 && y == 20) return kGrey;
      return x < 15 ? 0u : 0xFFFFFFu;
    });
    HINSTANCE program = kv::rt::ProgramInstance();
    image_.CopyFrom(program, RT_MENU_ID, IDR_MAIN_MENU);
    image_.CopyFrom(program, RT_DIALOG_ID, IDD_ABOUT);
    instance_ = kv::rt::CreateInstanceFromRes(image_.bytes().data(), image_.bytes().size());
  }
  ~Module() { kv::rt::DestroyInstance(instance_); }
  Module(const Module&) = delete;
  Module& operator=(const Module&) = delete;

  HINSTANCE instance() const { return instance_; }

 private:
  ResImage image_;
  HINSTANCE instance_ = nullptr;
};

}  // namespace crafted
