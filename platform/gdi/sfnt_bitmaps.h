// The bitmap strikes embedded in a TrueType file (its EBLC and EBDT tables)
// and its Unicode character map: what a font engine draws at a size the
// file has a strike for, rather than scaling the outlines. Wine's Tahoma has
// strikes from 8 to 16 pixels, so the dialog face at 8 points is bitmap
// text natively (FreeType uses the strikes); the browser's glyph source
// draws those sizes from them too. Read from bytes that may be anything:
// every offset is checked where it is used, and what cannot be read is
// reported as missing, never guessed at.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/gdi/font_cache.h"

namespace kv {
namespace gdi {

struct SfntStrike {
  int ppemX = 0, ppemY = 0;
  size_t indexArray = 0;  // the strike's index subtable array, in the file
  uint32_t subtables = 0;
};

struct SfntFont {
  std::vector<uint8_t> bytes;
  size_t cmap = 0, cmapSize = 0;  // the Unicode subtable chosen, 0 size when none
  size_t eblc = 0, eblcSize = 0;
  size_t ebdt = 0, ebdtSize = 0;
  // The outlines' advances (hmtx), for a strike's glyph that gives none.
  size_t hmtx = 0, hmtxSize = 0;
  uint32_t longMetrics = 0;  // hhea's number of advances given
  uint32_t unitsPerEm = 0;
  std::vector<SfntStrike> strikes;  // monochrome strikes only
};

// Reads the table directory, the character map and the strikes' records.
// False with the reason when the bytes are no TrueType file; a file without
// strikes or character map reads, with none.
bool ReadSfntFont(const uint8_t* data, size_t size, SfntFont* font, std::string* error);

// The glyph of a code point through the Unicode character map; 0 (the
// missing glyph) when it has none.
int SfntGlyphIndex(const SfntFont& font, uint32_t codePoint);

// The strike of `ppem` pixels each way, or null.
const SfntStrike* FindSfntStrike(const SfntFont& font, int ppem);

// The pixels per em a font engine takes an em of `em` pixels to be when it
// looks for a strike: the size in 26.6 fixed point, rounded to a pixel.
int StrikePpem(double em);

// Draws a glyph from the strike as coverage (0 or 255), placed as the
// strike's metrics say; a glyph whose strike gives no advance takes its
// outline's, scaled to the strike as FreeType scales it. False when the strike has no image of the glyph or
// holds it in a form not read here (composites): the outline stands in then.
bool RenderSfntGlyph(const SfntFont& font, const SfntStrike& strike, int glyphIndex, Glyph* glyph,
                     std::unique_ptr<uint8_t[]>* storage);

}  // namespace gdi
}  // namespace kv
