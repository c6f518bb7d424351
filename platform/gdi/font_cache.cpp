// Faces sized as the interface asks, with their rendered glyphs; the glyph
// source (glyph_source.h) opens and renders them.
#include "platform/gdi/font_cache.h"

#include <cwctype>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/gdi/bitmap_faces.h"
#include "platform/gdi/glyph_source.h"
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
  BitmapFace bitmap;   // one of the interface's bitmap faces, or else
  SourceFace* source = nullptr;
  std::string family;
  FontMetrics metrics;

  CachedGlyph ascii[128];
  bool asciiDone[128] = {};
  std::unordered_map<uint32_t, CachedGlyph> others;
  int64_t glyphBytes = 0;  // coverage maps held by the two caches above

  int users = 0;          // fonts that use it; stock fonts never let go
  uint64_t released = 0;  // when the last user let go, for the oldest unused
};

namespace {

bool Loaded(const FontFace* f) { return f->bitmap.strike || f->source; }

void Load(FontFace* f) {
  f->tried = true;
  f->metrics.antialias = f->antialias;
  const std::string name = rt::WideToUtf8(f->name);
  if (FindBitmapFace(name, f->height > 0 ? f->height : 0, &f->bitmap)) {
    // The strike's own ascent and descent are the cell.
    f->metrics.ascent = f->bitmap.strike->ascent;
    f->metrics.descent = f->bitmap.strike->pixelHeight - f->bitmap.strike->ascent;
    f->family = f->bitmap.strike->face;
    return;
  }
  // The face asked for, else any scalable sans-serif.
  f->source = OpenSourceFace(name, f->height, f->weight, &f->metrics, &f->family);
  if (!f->source)
    f->source = OpenSourceFace("sans-serif", f->height, f->weight, &f->metrics, &f->family);
  if (!f->source) f->metrics.ascent = f->metrics.descent = 0;
}

bool Render(FontFace* f, uint32_t codePoint, CachedGlyph* out) {
  if (f->bitmap.strike) {
    RenderStrikeGlyph(*f->bitmap.font, *f->bitmap.strike, codePoint, &out->glyph, &out->storage);
  } else if (!RenderSourceGlyph(f->source, codePoint, f->antialias, &out->glyph, &out->storage))
    return false;
  f->glyphBytes += static_cast<int64_t>(out->glyph.width) * out->glyph.rows;
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
    if (f->source) CloseSourceFace(f->source);
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
  return Loaded(face);
}

const Glyph* FaceGlyph(FontFace* face, uint32_t codePoint) {
  if (!face->tried) Load(face);
  if (!Loaded(face)) return nullptr;
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
