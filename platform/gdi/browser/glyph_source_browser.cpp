// The browser's glyph source: the page's font engine draws each glyph into
// an offscreen canvas and the coverage is read back (web/glyphs.js). The
// faces the desktop uses (Tahoma for the dialog face, Liberation Sans for
// Arial) are shipped beside the page and loaded before the program starts;
// they are sized here by the same rule as natively, from the numbers of
// their files, and at a size a file has a bitmap strike for (Tahoma at 8
// points), the glyphs come from the strike, as FreeType draws them
// natively. The System face's file is built into the module.
#include <emscripten.h>

#include <cstring>
#include <map>

#include "platform/gdi/face_size.h"
#include "platform/gdi/glyph_source.h"
#include "platform/gdi/sfnt_bitmaps.h"

// The bytes of Wine's vgasys.fon (web/font_file.cpp.in).
extern "C" const uint8_t kv_system_font[];
extern "C" const uint8_t kv_system_font_end[];

namespace {

// A face id, its family in `resolved`, its em size and Windows ascent and
// descent in font units in `units`, and the shipped file it comes from in
// `file` (-1 for none).
EM_JS(int, kv_glyphs_open, (const char* family, int weight, double* units, char* resolved,
                            int resolvedSize, int* file), {
  const face = kvGlyphs.open(UTF8ToString(family), weight);
  HEAPF64.set(face.units, units >> 3);
  stringToUTF8(face.family, resolved, resolvedSize);
  HEAP32[file >> 2] = face.file;
  return face.id;
});

// A shipped file's size, and its bytes copied into the module.
EM_JS(int, kv_glyphs_file_size, (int file), {
  const bytes = kvGlyphs.fileBytes(file);
  return bytes ? bytes.length : 0;
});
EM_JS(void, kv_glyphs_file_copy, (int file, uint8_t* dst), {
  HEAPU8.set(kvGlyphs.fileBytes(file), dst);
});

EM_JS(void, kv_glyphs_size, (int face, double em), { kvGlyphs.size(face, em); });

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
  const SfntFont* file = nullptr;
  const SfntStrike* strike = nullptr;  // the file's strike at the face's size
};

namespace {

// A shipped file as read for its strikes, once; null when the page has no
// such file.
const SfntFont* ShippedFile(int index) {
  static auto* files = new std::map<int, std::unique_ptr<SfntFont>>();
  auto found = files->find(index);
  if (found != files->end()) return found->second.get();
  std::unique_ptr<SfntFont> font;
  const int size = index >= 0 ? kv_glyphs_file_size(index) : 0;
  if (size > 0) {
    std::vector<uint8_t> bytes(static_cast<size_t>(size));
    kv_glyphs_file_copy(index, bytes.data());
    font = std::make_unique<SfntFont>();
    if (!ReadSfntFont(bytes.data(), bytes.size(), font.get(), nullptr)) font.reset();
  }
  return files->emplace(index, std::move(font)).first->second.get();
}

}  // namespace

SourceFace* OpenSourceFace(const std::string& family, int height, int weight,
                           FontMetrics* metrics, std::string* resolvedFamily) {
  double units[3] = {};
  char resolved[128] = {};
  int file = -1;
  const int id = kv_glyphs_open(family.c_str(), weight, units, resolved, sizeof resolved, &file);
  if (id <= 0) return nullptr;
  const FaceSize size = SizeFace(height, FaceUnits{units[0], units[1], units[2]});
  kv_glyphs_size(id, size.em);
  metrics->ascent = size.ascent;
  metrics->descent = size.descent;
  *resolvedFamily = resolved;
  auto* face = new SourceFace{id};
  face->file = ShippedFile(file);
  if (face->file) face->strike = FindSfntStrike(*face->file, StrikePpem(size.em));
  return face;
}

// The page keeps only the face's name and size, so the module's record is
// all there is to free.
void CloseSourceFace(SourceFace* face) { delete face; }

bool RenderSourceGlyph(SourceFace* face, uint32_t codePoint, bool antialias, Glyph* glyph,
                       std::unique_ptr<uint8_t[]>* storage) {
  // A glyph the strike lacks is drawn from the outline, as natively.
  if (face->strike && RenderSfntGlyph(*face->file, *face->strike,
                                      SfntGlyphIndex(*face->file, codePoint), glyph, storage))
    return true;
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

bool ReadInterfaceFontFile(const std::string& fileName, std::vector<uint8_t>* bytes) {
  if (fileName != "vgasys.fon") return false;
  bytes->assign(kv_system_font, kv_system_font_end);
  return true;
}

}  // namespace gdi
}  // namespace kv
