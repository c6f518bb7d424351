// Where the font cache gets its faces and glyphs from. Natively FreeType
// renders font files that fontconfig finds (freetype/); in
// the browser the page's own font engine draws them (browser/). The
// cache above (font_cache.cpp) shares faces and keeps the rendered glyphs;
// the interface's bitmap faces it reads itself (bitmap_faces.h), from the
// bytes that the source finds for their files.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/gdi/font_cache.h"

namespace kv {
namespace gdi {

// A face opened at one size; what it is depends on the source. The cache
// closes it when no font has used it for a while.
struct SourceFace;

// Opens `family` (UTF-8) at `height` (positive: the cell, ascent plus
// descent; negative: the em size) and `weight` (100..900). A family the
// source does not have, and that has no metric-compatible stand-in there
// (as "Liberation Sans" is for "Arial"), gives the source's sans-serif.
// Null when nothing could be opened. On success fills the metrics
// (antialias is left to the caller) and the family the face resolved to.
SourceFace* OpenSourceFace(const std::string& family, int height, int weight,
                           FontMetrics* metrics, std::string* resolvedFamily);

// Lets go of a face OpenSourceFace gave; null is harmless.
void CloseSourceFace(SourceFace* face);

// Renders one glyph as coverage (0..255, or only 0 and 255 without
// antialiasing) into `glyph`, whose coverage points into `storage`. False
// when the face cannot render it.
bool RenderSourceGlyph(SourceFace* face, uint32_t codePoint, bool antialias, Glyph* glyph,
                       std::unique_ptr<uint8_t[]>* storage);

// The bytes of one of the interface's own font files by its name in Wine's
// font folder ("vgasys.fon"): read from that folder natively, built into the
// module in the browser. False when the source has no such file.
bool ReadInterfaceFontFile(const std::string& fileName, std::vector<uint8_t>* bytes);

}  // namespace gdi
}  // namespace kv
