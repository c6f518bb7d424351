// The native glyph source: font files found by fontconfig, rendered by
// FreeType at the sizes the interface asks for.
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_TRUETYPE_TABLES_H

#include <cmath>

#include "platform/gdi/freetype/font_match.h"
#include "platform/gdi/face_size.h"
#include "platform/gdi/freetype/font_substitutes.h"
#include "platform/gdi/glyph_source.h"

namespace kv {
namespace gdi {

struct SourceFace {
  FT_Face ft = nullptr;
  FT_Pos embolden = 0;  // 26.6 outline strength when the file is not bold
};

namespace {

FT_Library Library() {
  static FT_Library library = [] {
    FT_Library lib = nullptr;
    return FT_Init_FreeType(&lib) == 0 ? lib : nullptr;
  }();
  return library;
}

SourceFace* OpenAndSize(const FontFile& file, int height, int weight, FontMetrics* metrics) {
  FT_Face ft = nullptr;
  if (!Library() || FT_New_Face(Library(), file.path.c_str(), file.index, &ft) != 0) return nullptr;
  if (!FT_IS_SCALABLE(ft) || ft->units_per_EM == 0) {
    FT_Done_Face(ft);
    return nullptr;
  }
  // The cell is the platform's: the OS/2 table's Windows ascent and descent,
  // falling back to the horizontal header.
  FaceUnits units{static_cast<double>(ft->units_per_EM), static_cast<double>(ft->ascender),
                  static_cast<double>(-ft->descender)};
  if (auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(ft, FT_SFNT_OS2))) {
    if (os2->version != 0xFFFF && os2->usWinAscent + os2->usWinDescent > 0) {
      units.ascent = os2->usWinAscent;
      units.descent = os2->usWinDescent;
    }
  }
  const FaceSize size = SizeFace(height, units);
  const double em = size.em;
  metrics->ascent = size.ascent;
  metrics->descent = size.descent;
  if (FT_Set_Char_Size(ft, 0, static_cast<FT_F26Dot6>(std::lround(em * 64)), 72, 72) != 0) {
    FT_Done_Face(ft);
    return nullptr;
  }
  auto* face = new SourceFace;
  face->ft = ft;
  if (weight >= 600 && !file.bold) face->embolden = static_cast<FT_Pos>(std::lround(em * 64 / 24));
  return face;
}

}  // namespace

SourceFace* OpenSourceFace(const std::string& family, int height, int weight,
                           FontMetrics* metrics, std::string* resolvedFamily) {
  FontFile file;
  // The interface's own fonts first (their metrics matter to the layout),
  // then whatever fontconfig offers for the family.
  if (SubstituteFontFile(family, weight, &file)) {
    SourceFace* face = OpenAndSize(file, height, weight, metrics);
    if (face) {
      *resolvedFamily = file.family;
      return face;
    }
  }
  if (!MatchFontFile(family, weight, &file)) return nullptr;
  SourceFace* face = OpenAndSize(file, height, weight, metrics);
  if (face) *resolvedFamily = file.family;
  return face;
}

void CloseSourceFace(SourceFace* face) {
  if (!face) return;
  if (face->ft) FT_Done_Face(face->ft);
  delete face;
}

bool RenderSourceGlyph(SourceFace* face, uint32_t codePoint, bool antialias, Glyph* glyph,
                       std::unique_ptr<uint8_t[]>* storage) {
  const FT_Int32 flags =
      antialias ? FT_LOAD_TARGET_LIGHT : (FT_LOAD_TARGET_MONO | FT_LOAD_MONOCHROME);
  if (FT_Load_Char(face->ft, codePoint, flags) != 0) return false;
  FT_GlyphSlot slot = face->ft->glyph;
  FT_Pos extra = 0;
  if (face->embolden && slot->format == FT_GLYPH_FORMAT_OUTLINE) {
    FT_Outline_Embolden(&slot->outline, face->embolden);
    extra = face->embolden;
  }
  if (FT_Render_Glyph(slot, antialias ? FT_RENDER_MODE_NORMAL : FT_RENDER_MODE_MONO) != 0)
    return false;
  const FT_Bitmap& bm = slot->bitmap;
  Glyph& g = *glyph;
  g.left = slot->bitmap_left;
  g.top = slot->bitmap_top;
  g.width = static_cast<int>(bm.width);
  g.rows = static_cast<int>(bm.rows);
  g.advance = static_cast<int>((slot->advance.x + extra + 32) >> 6);
  const size_t size = static_cast<size_t>(g.width) * g.rows;
  storage->reset(size ? new uint8_t[size] : nullptr);
  for (int y = 0; y < g.rows; ++y) {
    const uint8_t* src = bm.buffer + static_cast<ptrdiff_t>(y) * bm.pitch;
    uint8_t* dst = storage->get() + static_cast<size_t>(y) * g.width;
    for (int x = 0; x < g.width; ++x) {
      if (bm.pixel_mode == FT_PIXEL_MODE_MONO)
        dst[x] = ((src[x >> 3] >> (7 - (x & 7))) & 1) ? 255 : 0;
      else if (bm.pixel_mode == FT_PIXEL_MODE_GRAY)
        dst[x] = src[x];
      else
        dst[x] = 0;
    }
  }
  g.coverage = storage->get();
  return true;
}

}  // namespace gdi
}  // namespace kv
