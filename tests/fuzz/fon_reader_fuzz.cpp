// The bitmap-font reader on arbitrary bytes (a .fon or .fnt file), and every
// glyph of every strike it accepts rendered: what it accepts it must be able
// to draw, within the strike's own bounds.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/gdi/bitmap_font.h"
#include "tests/fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  kv::gdi::BitmapFont font;
  std::string error;
  if (!kv::gdi::ReadBitmapFont(data, size, &font, &error)) {
    kvfuzz::Require(!error.empty(), "a refused font without a reason");
    kvfuzz::Require(font.strikes.empty(), "a refused font with strikes");
    return 0;
  }
  kvfuzz::Require(!font.strikes.empty(), "a font without a strike");
  for (const kv::gdi::BitmapStrike& strike : font.strikes) {
    kvfuzz::Require(kv::gdi::FindStrike(font, strike.pixelHeight) != nullptr, "a strike not found");
    // Every character the strike can be asked for, and a few it cannot.
    for (uint32_t c : {0u, 0x20u, 0x7Fu, 0x80u, 0xFFu, 0x20ACu, 0x2603u, 0x10FFFFu}) {
      const int code = kv::gdi::StrikeCharacter(strike, c);
      kvfuzz::Require(code >= strike.firstChar && code <= strike.lastChar, "a character outside the strike");
    }
    for (uint32_t c = 0; c < 0x100; ++c) {
      kv::gdi::Glyph glyph;
      std::unique_ptr<uint8_t[]> storage;
      kv::gdi::RenderStrikeGlyph(font, strike, c, &glyph, &storage);
      kvfuzz::Require(glyph.rows == strike.pixelHeight && glyph.advance == glyph.width,
                      "a glyph of another size than its strike");
      uint32_t ink = 0;
      for (size_t i = 0; i < static_cast<size_t>(glyph.width) * glyph.rows; ++i) ink += glyph.coverage[i];
      kvfuzz::Require(ink % 255 == 0, "a bitmap glyph with grey in it");
    }
  }
  return 0;
}
