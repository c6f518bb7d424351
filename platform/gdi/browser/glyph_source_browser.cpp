// The browser's glyph source: the page's font engine draws each glyph into
// an offscreen canvas and the coverage is read back (web/glyphs.js).
#include <emscripten.h>

#include <cstring>

#include "platform/gdi/glyph_source.h"

namespace {

EM_JS(int, kv_glyphs_open, (const char* family, int height, int weight, int* out, char* resolved,
                            int resolvedSize), {
  const fields = new Int32Array(2);
  const face = kvGlyphs.open(UTF8ToString(family), height, weight, fields);
  HEAP32.set(fields, out >> 2);
  stringToUTF8(face.family, resolved, resolvedSize);
  return face.id;
});

// The coverage of the glyph last rendered waits in `kvGlyphs.last` for
// kv_glyphs_take, once the module has room for it.
EM_JS(int, kv_glyphs_render, (int face, int codePoint, int antialias, int* out), {
  const fields = new Int32Array(5);
  const coverage = kvGlyphs.render(face, codePoint, antialias != 0, fields);
  if (!coverage) return 0;
  HEAP32.set(fields, out >> 2);
  kvGlyphs.last = coverage;
  return 1;
});

EM_JS(void, kv_glyphs_take, (uint8_t* dst), {
  HEAPU8.set(kvGlyphs.last, dst);
  kvGlyphs.last = null;
});

}  // namespace

namespace kv {
namespace gdi {

struct SourceFace {
  int id = 0;
};

SourceFace* OpenSourceFace(const std::string& family, int height, int weight,
                           FontMetrics* metrics, std::string* resolvedFamily) {
  int fields[2] = {};
  char resolved[128] = {};
  const int id = kv_glyphs_open(family.c_str(), height, weight, fields, resolved, sizeof resolved);
  if (id <= 0) return nullptr;
  metrics->ascent = fields[0];
  metrics->descent = fields[1];
  *resolvedFamily = resolved;
  return new SourceFace{id};
}

// The page keeps only the face's name and size, so the module's record is
// all there is to free.
void CloseSourceFace(SourceFace* face) { delete face; }

bool RenderSourceGlyph(SourceFace* face, uint32_t codePoint, bool antialias, Glyph* glyph,
                       std::unique_ptr<uint8_t[]>* storage) {
  int fields[5] = {};
  if (!kv_glyphs_render(face->id, static_cast<int>(codePoint), antialias ? 1 : 0, fields))
    return false;
  glyph->left = fields[0];
  glyph->top = fields[1];
  glyph->width = fields[2];
  glyph->rows = fields[3];
  glyph->advance = fields[4];
  const size_t size = static_cast<size_t>(glyph->width) * glyph->rows;
  storage->reset(size ? new uint8_t[size] : nullptr);
  if (size) kv_glyphs_take(storage->get());
  glyph->coverage = storage->get();
  return true;
}

}  // namespace gdi
}  // namespace kv
