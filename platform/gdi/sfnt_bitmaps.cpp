#include "platform/gdi/sfnt_bitmaps.h"

#include <algorithm>
#include <cmath>

namespace kv {
namespace gdi {

namespace {

// Big-endian reads at an offset, checked against the end: a failed read
// gives 0 and leaves `ok` false.
class Reader {
 public:
  Reader(const std::vector<uint8_t>& bytes) : data_(bytes.data()), size_(bytes.size()) {}
  bool ok() const { return ok_; }
  uint32_t U8(size_t at) { return Have(at, 1) ? data_[at] : 0; }
  int32_t I8(size_t at) { return static_cast<int8_t>(U8(at)); }
  uint32_t U16(size_t at) { return Have(at, 2) ? (data_[at] << 8) | data_[at + 1] : 0; }
  uint32_t U32(size_t at) {
    return Have(at, 4) ? (static_cast<uint32_t>(data_[at]) << 24) | (data_[at + 1] << 16) |
                             (data_[at + 2] << 8) | data_[at + 3]
                       : 0;
  }
  bool Have(size_t at, size_t n) {
    if (at > size_ || n > size_ - at) ok_ = false;
    return ok_;
  }

 private:
  const uint8_t* data_;
  size_t size_;
  bool ok_ = true;
};

constexpr uint32_t Tag(const char (&t)[5]) {
  return (static_cast<uint32_t>(t[0]) << 24) | (t[1] << 16) | (t[2] << 8) | t[3];
}

// At most this many strikes and index subtables are looked at.
constexpr uint32_t kMostStrikes = 64;
constexpr uint32_t kMostSubtables = 4096;
// A glyph image no larger than this: a strike's glyphs are small.
constexpr int kLargestSide = 1024;

// The best Unicode subtable: the full repertoire (3,10) in format 12, else
// the basic plane (3,1 or Unicode's own platform) in format 4 or 12.
void ChooseCharacterMap(Reader& r, size_t cmap, size_t cmapSize, SfntFont* font) {
  const uint32_t count = r.U16(cmap + 2);
  int best = 0;
  for (uint32_t i = 0; i < count && i < 256; ++i) {
    const size_t record = cmap + 4 + 8 * i;
    const uint32_t platform = r.U16(record), encoding = r.U16(record + 2);
    const size_t at = cmap + r.U32(record + 4);
    if (!r.ok() || at >= cmap + cmapSize) return;
    const uint32_t format = r.U16(at);
    int rank = 0;
    if (platform == 3 && encoding == 10 && format == 12) rank = 3;
    else if ((platform == 3 && encoding == 1) || platform == 0) rank = format == 4 || format == 12 ? 2 : 0;
    if (rank <= best || !r.ok()) continue;
    const size_t length = format == 4 ? r.U16(at + 2) : r.U32(at + 4);
    if (!r.Have(at, length)) return;
    best = rank;
    font->cmap = at;
    font->cmapSize = length;
  }
}

// Where a glyph's image is in the EBDT table, and in which form.
struct Image {
  size_t at = 0, size = 0;
  uint32_t format = 0;
  bool sharedMetrics = false;  // formats 2 and 5 of the index hold the metrics
  size_t metricsAt = 0;        // ...here (big metrics)
};

bool FindImage(Reader& r, const SfntFont& font, const SfntStrike& strike, int glyph, Image* image) {
  const size_t array = strike.indexArray;
  for (uint32_t i = 0; i < strike.subtables && i < kMostSubtables; ++i) {
    const size_t entry = array + 8 * i;
    const int first = static_cast<int>(r.U16(entry)), last = static_cast<int>(r.U16(entry + 2));
    const size_t table = array + r.U32(entry + 4);
    if (!r.ok()) return false;
    if (glyph < first || glyph > last) continue;
    const uint32_t indexFormat = r.U16(table);
    image->format = r.U16(table + 2);
    const size_t data = font.ebdt + r.U32(table + 4);
    const size_t n = static_cast<size_t>(glyph - first);
    size_t from = 0, to = 0;
    switch (indexFormat) {
      case 1:
        from = r.U32(table + 8 + 4 * n);
        to = r.U32(table + 8 + 4 * (n + 1));
        break;
      case 3:
        from = r.U16(table + 8 + 2 * n);
        to = r.U16(table + 8 + 2 * (n + 1));
        break;
      case 2: {
        const size_t size = r.U32(table + 8);
        from = n * size;
        to = from + size;
        image->sharedMetrics = true;
        image->metricsAt = table + 12;
        break;
      }
      case 4: {
        const uint32_t count = r.U32(table + 8);
        for (uint32_t k = 0; k < count && r.ok(); ++k) {
          const size_t pair = table + 12 + 4 * k;
          if (static_cast<int>(r.U16(pair)) != glyph) continue;
          from = r.U16(pair + 2);
          to = r.U16(pair + 6);
          break;
        }
        break;
      }
      case 5: {
        const size_t size = r.U32(table + 8);
        const uint32_t count = r.U32(table + 20);
        bool found = false;
        for (uint32_t k = 0; k < count && r.ok() && !found; ++k) {
          if (static_cast<int>(r.U16(table + 24 + 2 * k)) != glyph) continue;
          from = k * size;
          to = from + size;
          found = true;
        }
        if (!found) return false;
        image->sharedMetrics = true;
        image->metricsAt = table + 12;
        break;
      }
      default:
        return false;
    }
    if (!r.ok() || to <= from) return false;  // an empty range: no image
    image->at = data + from;
    image->size = to - from;
    return image->at >= font.ebdt && image->at - font.ebdt <= font.ebdtSize &&
           image->size <= font.ebdtSize - (image->at - font.ebdt);
  }
  return false;
}

// A glyph's advance in the outlines, scaled to `ppem` and rounded as
// FreeType does (16.16 scale, 26.6 result, rounded to the pixel); 0 when
// the file does not give it.
int OutlineAdvance(const SfntFont& font, int glyph, int ppem) {
  if (font.unitsPerEm == 0 || font.longMetrics == 0) return 0;
  Reader r(font.bytes);
  const uint32_t entry = std::min<uint32_t>(static_cast<uint32_t>(glyph), font.longMetrics - 1);
  if (4 * static_cast<size_t>(entry) + 2 > font.hmtxSize) return 0;
  const int64_t units = r.U16(font.hmtx + 4 * static_cast<size_t>(entry));
  if (!r.ok()) return 0;
  const int64_t scale = ((int64_t{ppem} << 22) + font.unitsPerEm / 2) / font.unitsPerEm;
  const int64_t advance26 = (units * scale + 0x8000) >> 16;
  return static_cast<int>((advance26 + 32) >> 6);
}

}  // namespace

bool ReadSfntFont(const uint8_t* data, size_t size, SfntFont* font, std::string* error) {
  std::string ignored;
  if (!error) error = &ignored;
  *font = SfntFont{};
  if (!data || size < 12) return *error = "too short for a TrueType file", false;
  font->bytes.assign(data, data + size);
  Reader r(font->bytes);
  const uint32_t version = r.U32(0);
  if (version != 0x00010000 && version != Tag("true"))
    return *error = "not a TrueType file", false;
  const uint32_t tables = r.U16(4);
  for (uint32_t i = 0; i < tables; ++i) {
    const size_t record = 12 + 16 * i;
    const uint32_t tag = r.U32(record);
    const size_t at = r.U32(record + 8), length = r.U32(record + 12);
    if (!r.ok()) return *error = "the table directory is cut short", false;
    if (!r.Have(at, length)) {
      // A table past the end is left out, as if the file had none.
      r = Reader(font->bytes);
      continue;
    }
    if (tag == Tag("cmap")) font->cmap = at, font->cmapSize = length;
    if (tag == Tag("EBLC")) font->eblc = at, font->eblcSize = length;
    if (tag == Tag("EBDT")) font->ebdt = at, font->ebdtSize = length;
    if (tag == Tag("hmtx")) font->hmtx = at, font->hmtxSize = length;
    if (tag == Tag("head") && length >= 20) font->unitsPerEm = r.U16(at + 18);
    if (tag == Tag("hhea") && length >= 36) font->longMetrics = r.U16(at + 34);
  }
  const size_t cmap = font->cmap, cmapSize = font->cmapSize;
  font->cmap = font->cmapSize = 0;
  if (cmapSize >= 4) ChooseCharacterMap(r, cmap, cmapSize, font);
  r = Reader(font->bytes);
  if (font->eblcSize >= 8 && font->ebdtSize >= 4) {
    const uint32_t count = r.U32(font->eblc + 4);
    for (uint32_t i = 0; i < count && i < kMostStrikes; ++i) {
      const size_t record = font->eblc + 8 + 48 * i;
      if (!r.Have(record, 48) || record + 48 > font->eblc + font->eblcSize) break;
      SfntStrike s;
      s.indexArray = font->eblc + r.U32(record);
      s.subtables = r.U32(record + 8);
      s.ppemX = static_cast<int>(r.U8(record + 44));
      s.ppemY = static_cast<int>(r.U8(record + 45));
      const uint32_t bitDepth = r.U8(record + 46);
      if (bitDepth == 1 && s.indexArray < font->eblc + font->eblcSize) font->strikes.push_back(s);
    }
  }
  return true;
}

int SfntGlyphIndex(const SfntFont& font, uint32_t codePoint) {
  if (font.cmapSize == 0) return 0;
  Reader r(font.bytes);
  const size_t at = font.cmap;
  if (r.U16(at) == 12) {
    const uint32_t groups = r.U32(at + 12);
    for (uint32_t g = 0; g < groups && r.ok(); ++g) {
      const size_t group = at + 16 + 12 * g;
      if (group + 12 > at + font.cmapSize) break;
      const uint32_t start = r.U32(group), end = r.U32(group + 4);
      if (codePoint >= start && codePoint <= end) {
        const uint32_t glyph = r.U32(group + 8) + (codePoint - start);
        return r.ok() && glyph < 65536 ? static_cast<int>(glyph) : 0;
      }
    }
    return 0;
  }
  // Format 4: segments of the basic plane.
  if (codePoint > 0xFFFF) return 0;
  const uint32_t segments = r.U16(at + 6) / 2;
  const size_t ends = at + 14, starts = ends + 2 * segments + 2;
  const size_t deltas = starts + 2 * segments, ranges = deltas + 2 * segments;
  for (uint32_t s = 0; s < segments && r.ok(); ++s) {
    if (r.U16(ends + 2 * s) < codePoint) continue;
    const uint32_t start = r.U16(starts + 2 * s);
    if (codePoint < start) return 0;
    const uint32_t delta = r.U16(deltas + 2 * s), range = r.U16(ranges + 2 * s);
    uint32_t glyph;
    if (range == 0) {
      glyph = codePoint + delta;
    } else {
      const size_t where = ranges + 2 * s + range + 2 * (codePoint - start);
      if (where + 2 > at + font.cmapSize) return 0;
      glyph = r.U16(where);
      if (glyph != 0) glyph += delta;
    }
    return r.ok() ? static_cast<int>(glyph & 0xFFFF) : 0;
  }
  return 0;
}

const SfntStrike* FindSfntStrike(const SfntFont& font, int ppem) {
  for (const SfntStrike& s : font.strikes)
    if (s.ppemX == ppem && s.ppemY == ppem) return &s;
  return nullptr;
}

int StrikePpem(double em) {
  const long size26 = std::lround(em * 64);
  return static_cast<int>((size26 + 32) >> 6);
}

bool RenderSfntGlyph(const SfntFont& font, const SfntStrike& strike, int glyphIndex, Glyph* glyph,
                     std::unique_ptr<uint8_t[]>* storage) {
  Reader r(font.bytes);
  Image image;
  if (!FindImage(r, font, strike, glyphIndex, &image)) return false;
  // The metrics: small (5 bytes) or big (8) before the bits, or shared.
  size_t metrics = image.at, bits = image.at;
  bool bitAligned;
  switch (image.format) {
    case 1: bitAligned = false; bits += 5; break;
    case 2: bitAligned = true; bits += 5; break;
    case 5: bitAligned = true; break;
    case 6: bitAligned = false; bits += 8; break;
    case 7: bitAligned = true; bits += 8; break;
    default: return false;  // composites and colour are not read
  }
  if (image.format == 5) {
    if (!image.sharedMetrics) return false;
    metrics = image.metricsAt;
  }
  const int height = static_cast<int>(r.U8(metrics)), width = static_cast<int>(r.U8(metrics + 1));
  const int bearingX = r.I8(metrics + 2), bearingY = r.I8(metrics + 3);
  const int advance = static_cast<int>(r.U8(metrics + 4));
  if (!r.ok() || width > kLargestSide || height > kLargestSide) return false;
  const size_t rowBytes = (static_cast<size_t>(width) + 7) / 8;
  const size_t needed = bitAligned ? (static_cast<size_t>(width) * height + 7) / 8 : rowBytes * height;
  const size_t end = image.at + image.size;
  if (bits > end || needed > end - bits) return false;

  Glyph& g = *glyph;
  g.left = bearingX;
  g.top = bearingY;
  g.width = width;
  g.rows = height;
  g.advance = advance ? advance : OutlineAdvance(font, glyphIndex, strike.ppemX);
  const size_t size = static_cast<size_t>(width) * height;
  storage->reset(size ? new uint8_t[size] : nullptr);
  const uint8_t* src = font.bytes.data() + bits;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const size_t bit = bitAligned ? static_cast<size_t>(y) * width + x : y * rowBytes * 8 + x;
      storage->get()[static_cast<size_t>(y) * width + x] = (src[bit / 8] >> (7 - bit % 8)) & 1 ? 255 : 0;
    }
  g.coverage = storage->get();
  return true;
}

}  // namespace gdi
}  // namespace kv
