// Sized font faces with their glyph caches. A face is shared by every HFONT
// that asks for the same (face name, height, weight, quality). When no font
// uses it any more it is kept among a few recently released ones, so a font
// created and deleted every frame finds its glyphs already rendered; older
// unused faces are freed, and each face's glyphs are capped in bytes.
#pragma once

#include <cstdint>

#include "platform/win32.h"

namespace kv {
namespace gdi {

struct FontFace;

// A rendered glyph: a coverage map (0..255) placed relative to the pen
// position on the baseline.
struct Glyph {
  int left = 0;     // map's left column relative to the pen position
  int top = 0;      // rows of the map above the baseline
  int width = 0;
  int rows = 0;
  int advance = 0;  // pixels to the next pen position
  const uint8_t* coverage = nullptr;  // width x rows, row after row
};

struct FontMetrics {
  int ascent = 0;
  int descent = 0;
  bool antialias = true;
};

// The shared face for these arguments (never null; loaded on first use),
// with one more user.
FontFace* AcquireFace(int height, int weight, DWORD quality, const wchar_t* faceName);
// One user fewer (a font was deleted).
void ReleaseFace(FontFace* face);

// The font's metrics; false when no font file could be loaded at all.
bool FaceMetrics(FontFace* face, FontMetrics* out);

// The glyph of a code point; null when the face did not load. Valid until the
// next call for the same face.
const Glyph* FaceGlyph(FontFace* face, uint32_t codePoint);

// The family name that the face resolved to (UTF-8; empty when none).
const char* FaceFamily(FontFace* face);

// What the cache holds now (faces, and bytes of rendered glyphs), so tests
// can prove that it stays bounded whatever fonts a program asks for.
struct FontCacheUsage {
  int faces = 0;
  int64_t glyphBytes = 0;
  int64_t largestFaceBytes = 0;  // glyph bytes of the face that holds most
};
FontCacheUsage FontCacheNow();

}  // namespace gdi
}  // namespace kv
