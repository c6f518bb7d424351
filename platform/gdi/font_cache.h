// Sized font faces with their glyph caches. A face is shared by every HFONT
// that asks for the same (face name, height, weight, quality), and lives as
// long as the program, so a font created and deleted every frame finds its
// glyphs already rendered.
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

// The shared face for these arguments (never null; loaded on first use).
FontFace* AcquireFace(int height, int weight, DWORD quality, const wchar_t* faceName);

// The font's metrics; false when no font file could be loaded at all.
bool FaceMetrics(FontFace* face, FontMetrics* out);

// The glyph of a code point; null when the face did not load.
const Glyph* FaceGlyph(FontFace* face, uint32_t codePoint);

// The family name that the face resolved to (UTF-8; empty when none).
const char* FaceFamily(FontFace* face);

}  // namespace gdi
}  // namespace kv
