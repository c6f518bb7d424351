// Windows bitmap fonts: a .fon file (a 16-bit NE executable whose FONT
// resources are bitmap strikes) or one bare strike (.fnt), read from bytes
// that may be anything: every offset, count and size is checked against the
// data, and a file that does not hold what it claims is refused with the
// reason. Only monochrome raster strikes of versions 2 and 3 are read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/gdi/font_cache.h"

namespace kv {
namespace gdi {

// One strike: every glyph is `pixelHeight` rows high and as wide as the
// character table says; glyphs are stored column by column of 8 pixels.
struct BitmapStrike {
  std::string face;     // the name the strike gives its face ("System")
  int points = 0;
  int pixelHeight = 0;  // the cell: ascent plus descent
  int ascent = 0;       // rows above the baseline
  int weight = 0;
  int charSet = 0;      // 0 the Windows code page 1252, 255 OEM, 2 symbol...
  bool italic = false;
  int firstChar = 0, lastChar = 0;
  int defaultChar = 0;  // the character drawn for one the strike lacks
  struct Char {
    int width = 0;
    size_t offset = 0;  // in `bytes` of the font
  };
  std::vector<Char> chars;  // firstChar .. lastChar
};

struct BitmapFont {
  std::vector<uint8_t> bytes;  // the whole file; the strikes point into it
  std::vector<BitmapStrike> strikes;
};

// Reads a .fon or .fnt file. False with a one-line reason when the bytes are
// no bitmap font this reader takes, or hold no strike at all.
bool ReadBitmapFont(const uint8_t* data, size_t size, BitmapFont* font, std::string* error);

// The strike `pixelHeight` rows high, or null.
const BitmapStrike* FindStrike(const BitmapFont& font, int pixelHeight);

// The strike's character for a Unicode code point, through its character
// set (code page 1252 for an ANSI strike, the first 256 code points else);
// the default character when the strike has no such character.
int StrikeCharacter(const BitmapStrike& strike, uint32_t codePoint);

// The glyph of a code point as coverage (0 or 255), its top-left corner at
// the pen position's column and `ascent` rows above the baseline; the
// advance is the glyph's width. The coverage is placed in `storage`.
void RenderStrikeGlyph(const BitmapFont& font, const BitmapStrike& strike, uint32_t codePoint,
                       Glyph* glyph, std::unique_ptr<uint8_t[]>* storage);

}  // namespace gdi
}  // namespace kv
