// FreeType faces sized as the interface asks, with their rendered glyphs.
#include "platform/gdi/font_cache.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_TRUETYPE_TABLES_H

#include <cmath>
#include <cwctype>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/gdi/font_match.h"
#include "platform/gdi/font_substitutes.h"
#include "platform/rt/utf8.h"

namespace kv {
namespace gdi {

constexpr int kFaceNameLength = 32;  // as LOGFONT's face name, terminator included
// Faces no font uses any more that are kept for the next font asking for one.
constexpr int kUnusedFacesKept = 8;
// Rendered glyphs a face holds at most; past it the face starts over. The
// program's own text needs a few kilobytes.
constexpr int64_t kGlyphBytesPerFace = int64_t{4} << 20;

struct CachedGlyph {
  Glyph glyph;
  std::unique_ptr<uint8_t[]> storage;
};

struct FontFace {
  // What was asked for: the key of the cache.
  int height = 0;
  int weight = 0;
  bool antialias = true;
  wchar_t name[kFaceNameLength] = {};

  bool tried = false;  // loading was attempted
  FT_Face ft = nullptr;
  std::string family;
  FontMetrics metrics;
  FT_Pos embolden = 0;  // 26.6 outline strength when the file is not bold

  CachedGlyph ascii[128];
  bool asciiDone[128] = {};
  std::unordered_map<uint32_t, CachedGlyph> others;
  int64_t glyphBytes = 0;  // coverage maps held by the two caches above

  int users = 0;          // fonts that use it; stock fonts never let go
  uint64_t released = 0;  // when the last user let go, for the oldest unused
};

namespace {

FT_Library Library() {
  static FT_Library library = [] {
    FT_Library lib = nullptr;
    return FT_Init_FreeType(&lib) == 0 ? lib : nullptr;
  }();
  return library;
}

// A bitmap face at its strike of `strikeHeight` rows: the strike's own
// ascent and descent are the cell.
bool OpenStrike(FontFace* f, const FontFile& file, int strikeHeight) {
  FT_Face ft = nullptr;
  if (!Library() || FT_New_Face(Library(), file.path.c_str(), file.index, &ft) != 0) return false;
  for (int i = 0; i < ft->num_fixed_sizes; ++i) {
    if (ft->available_sizes[i].height != strikeHeight || FT_Select_Size(ft, i) != 0) continue;
    f->metrics.ascent = static_cast<int>(ft->size->metrics.ascender >> 6);
    f->metrics.descent = strikeHeight - f->metrics.ascent;
    f->ft = ft;
    f->family = file.family;
    return true;
  }
  FT_Done_Face(ft);
  return false;
}

bool OpenAndSize(FontFace* f, const FontFile& file) {
  FT_Face ft = nullptr;
  if (!Library() || FT_New_Face(Library(), file.path.c_str(), file.index, &ft) != 0) return false;
  if (!FT_IS_SCALABLE(ft) || ft->units_per_EM == 0) {
    FT_Done_Face(ft);
    return false;
  }
  // The cell is the platform's: the OS/2 table's Windows ascent and descent,
  // falling back to the horizontal header.
  double ascentUnits = ft->ascender, descentUnits = -ft->descender;
  if (auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(ft, FT_SFNT_OS2))) {
    if (os2->version != 0xFFFF && os2->usWinAscent + os2->usWinDescent > 0) {
      ascentUnits = os2->usWinAscent;
      descentUnits = os2->usWinDescent;
    }
  }
  if (ascentUnits + descentUnits <= 0) {
    ascentUnits = ft->units_per_EM * 0.8;
    descentUnits = ft->units_per_EM * 0.2;
  }
  const double cellUnits = ascentUnits + descentUnits;
  double em;
  if (f->height > 0) {
    // A positive height is the cell: ascent plus descent come to exactly it.
    em = f->height * ft->units_per_EM / cellUnits;
    f->metrics.ascent = static_cast<int>(std::lround(f->height * ascentUnits / cellUnits));
    f->metrics.descent = f->height - f->metrics.ascent;
  } else {
    // A negative height is the em size.
    em = -f->height;
    f->metrics.ascent = static_cast<int>(std::lround(ascentUnits * em / ft->units_per_EM));
    f->metrics.descent = static_cast<int>(std::lround(descentUnits * em / ft->units_per_EM));
  }
  if (FT_Set_Char_Size(ft, 0, static_cast<FT_F26Dot6>(std::lround(em * 64)), 72, 72) != 0) {
    FT_Done_Face(ft);
    return false;
  }
  if (f->weight >= 600 && !file.bold) f->embolden = static_cast<FT_Pos>(std::lround(em * 64 / 24));
  f->ft = ft;
  f->family = file.family;
  return true;
}

void Load(FontFace* f) {
  f->tried = true;
  f->metrics.antialias = f->antialias;
  FontFile file;
  int strike = 0;
  const std::string family = rt::WideToUtf8(f->name);
  // The interface's own fonts first, then the face asked for, else any
  // scalable sans-serif.
  if (SubstituteFontFile(family, f->weight, f->height > 0 ? f->height : 0, &file, &strike) &&
      (strike ? OpenStrike(f, file, strike) : OpenAndSize(f, file)))
    return;
  if (MatchFontFile(family, f->weight, &file) && OpenAndSize(f, file)) return;
  if (MatchFontFile("sans-serif", f->weight, &file) && OpenAndSize(f, file)) return;
  f->metrics.ascent = f->metrics.descent = 0;
}

bool Render(FontFace* f, uint32_t codePoint, CachedGlyph* out) {
  const FT_Int32 flags =
      f->antialias ? FT_LOAD_TARGET_LIGHT : (FT_LOAD_TARGET_MONO | FT_LOAD_MONOCHROME);
  if (FT_Load_Char(f->ft, codePoint, flags) != 0) return false;
  FT_GlyphSlot slot = f->ft->glyph;
  FT_Pos extra = 0;
  if (f->embolden && slot->format == FT_GLYPH_FORMAT_OUTLINE) {
    FT_Outline_Embolden(&slot->outline, f->embolden);
    extra = f->embolden;
  }
  if (FT_Render_Glyph(slot, f->antialias ? FT_RENDER_MODE_NORMAL : FT_RENDER_MODE_MONO) != 0)
    return false;
  const FT_Bitmap& bm = slot->bitmap;
  Glyph& g = out->glyph;
  g.left = slot->bitmap_left;
  g.top = slot->bitmap_top;
  g.width = static_cast<int>(bm.width);
  g.rows = static_cast<int>(bm.rows);
  g.advance = static_cast<int>((slot->advance.x + extra + 32) >> 6);
  const size_t size = static_cast<size_t>(g.width) * g.rows;
  out->storage.reset(size ? new uint8_t[size] : nullptr);
  f->glyphBytes += static_cast<int64_t>(size);
  for (int y = 0; y < g.rows; ++y) {
    const uint8_t* src = bm.buffer + static_cast<ptrdiff_t>(y) * bm.pitch;
    uint8_t* dst = out->storage.get() + static_cast<size_t>(y) * g.width;
    for (int x = 0; x < g.width; ++x) {
      if (bm.pixel_mode == FT_PIXEL_MODE_MONO)
        dst[x] = ((src[x >> 3] >> (7 - (x & 7))) & 1) ? 255 : 0;
      else if (bm.pixel_mode == FT_PIXEL_MODE_GRAY)
        dst[x] = src[x];
      else
        dst[x] = 0;
    }
  }
  g.coverage = out->storage.get();
  return true;
}

bool SameName(const wchar_t* a, const wchar_t* b) {
  for (int i = 0; i < kFaceNameLength; ++i) {
    if (std::towlower(static_cast<wint_t>(a[i])) != std::towlower(static_cast<wint_t>(b[i])))
      return false;
    if (!a[i]) return true;
  }
  return true;
}

std::vector<FontFace*>& Faces() {
  static auto* faces = new std::vector<FontFace*>;
  return *faces;
}

void DropGlyphs(FontFace* f) {
  for (int i = 0; i < 128; ++i) {
    f->ascii[i] = CachedGlyph{};
    f->asciiDone[i] = false;
  }
  f->others.clear();
  f->glyphBytes = 0;
}

// Frees the oldest unused faces beyond the few kept.
void TrimUnused() {
  std::vector<FontFace*>& faces = Faces();
  for (;;) {
    int unused = 0;
    size_t oldest = faces.size();
    for (size_t i = 0; i < faces.size(); ++i) {
      if (faces[i]->users > 0) continue;
      ++unused;
      if (oldest == faces.size() || faces[i]->released < faces[oldest]->released) oldest = i;
    }
    if (unused <= kUnusedFacesKept) return;
    FontFace* f = faces[oldest];
    faces.erase(faces.begin() + static_cast<ptrdiff_t>(oldest));
    if (f->ft) FT_Done_Face(f->ft);
    delete f;
  }
}

}  // namespace

FontFace* AcquireFace(int height, int weight, DWORD quality, const wchar_t* faceName) {
  // Sizes beyond any screen are clamped: they would only cost memory.
  if (height == 0) height = 16;
  if (height > 2048) height = 2048;
  if (height < -2048) height = -2048;
  if (weight <= 0) weight = FW_NORMAL;
  const bool antialias = quality != NONANTIALIASED_QUALITY;
  wchar_t name[kFaceNameLength] = {};
  if (faceName)
    for (int i = 0; i < kFaceNameLength - 1 && faceName[i]; ++i) name[i] = faceName[i];
  for (FontFace* f : Faces())
    if (f->height == height && f->weight == weight && f->antialias == antialias &&
        SameName(f->name, name)) {
      ++f->users;
      return f;
    }
  auto* f = new FontFace;
  f->users = 1;
  f->height = height;
  f->weight = weight;
  f->antialias = antialias;
  std::copy(name, name + kFaceNameLength, f->name);
  Faces().push_back(f);
  return f;
}

void ReleaseFace(FontFace* face) {
  static uint64_t releases = 0;
  if (!face || face->users <= 0) return;
  if (--face->users == 0) {
    face->released = ++releases;
    TrimUnused();
  }
}

bool FaceMetrics(FontFace* face, FontMetrics* out) {
  if (!face->tried) Load(face);
  *out = face->metrics;
  return face->ft != nullptr;
}

const Glyph* FaceGlyph(FontFace* face, uint32_t codePoint) {
  if (!face->tried) Load(face);
  if (!face->ft) return nullptr;
  if (face->glyphBytes > kGlyphBytesPerFace) DropGlyphs(face);
  if (codePoint < 128) {
    CachedGlyph& g = face->ascii[codePoint];
    if (!face->asciiDone[codePoint]) {
      face->asciiDone[codePoint] = true;
      if (!Render(face, codePoint, &g)) g.glyph = Glyph{};
    }
    return &g.glyph;
  }
  auto it = face->others.find(codePoint);
  if (it == face->others.end()) {
    CachedGlyph g;
    if (!Render(face, codePoint, &g)) g.glyph = Glyph{};
    it = face->others.emplace(codePoint, std::move(g)).first;
  }
  return &it->second.glyph;
}

FontCacheUsage FontCacheNow() {
  FontCacheUsage usage;
  for (FontFace* f : Faces()) {
    ++usage.faces;
    usage.glyphBytes += f->glyphBytes;
    if (f->glyphBytes > usage.largestFaceBytes) usage.largestFaceBytes = f->glyphBytes;
  }
  return usage;
}

const char* FaceFamily(FontFace* face) {
  if (!face->tried) Load(face);
  return face->family.c_str();
}

}  // namespace gdi
}  // namespace kv
