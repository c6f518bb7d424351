#include "platform/gdi/bitmap_font.h"

#include <algorithm>
#include <cstdio>

#include "platform/rt/byte_reader.h"

namespace kv {
namespace gdi {

namespace {

constexpr uint16_t kFontResource = 0x8008;  // RT_FONT, as a number
// A header of version 2 ends at 118 bytes, one of version 3 at 148; the
// character table follows, with 4-byte entries in version 2 and 6-byte ones
// in version 3.
constexpr size_t kHeader2 = 118, kHeader3 = 148;
// Bounds that no real strike comes near, so that an absurd one costs
// nothing: a face name, the cell, and the strikes read from one file.
constexpr size_t kLongestFaceName = 64;
constexpr int kTallestStrike = 1024;
constexpr size_t kMostStrikes = 64;
// dfFlags of version 3: colour strikes and the ABC character tables are
// laid out otherwise.
constexpr uint32_t kColourOrAbc = 0x04 | 0x08 | 0x20 | 0x40 | 0x80;

// Code page 1252 from 0x80 to 0x9F; 0 where it has no character.
constexpr uint16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// One FONT resource, `size` bytes at `at` in the file.
bool ReadStrike(const std::vector<uint8_t>& file, size_t at, size_t size, BitmapStrike* strike,
                std::string* error) {
  const uint8_t* base = file.data() + at;
  rt::ByteReader r(base, size);
  const uint16_t version = r.U16();
  if (!r.ok()) return *error = "a font resource is empty", false;
  if (version != 0x200 && version != 0x300) {
    char text[64];
    std::snprintf(text, sizeof text, "font version 0x%x is not read (only 2 and 3)", version);
    return *error = text, false;
  }
  const size_t headerSize = version == 0x300 ? kHeader3 : kHeader2;
  if (size < headerSize) return *error = "a font header is cut short", false;
  r.Skip(4 + 60);  // size, copyright
  const uint16_t type = r.U16();
  strike->points = r.U16();
  r.Skip(4);  // resolutions
  strike->ascent = r.U16();
  r.Skip(4);  // leadings
  strike->italic = r.U8() != 0;
  r.Skip(2);  // underline, strike-out
  strike->weight = r.U16();
  strike->charSet = r.U8();
  r.Skip(2);  // pixel width: 0 for a proportional face, and the table says it anyway
  strike->pixelHeight = r.U16();
  r.Skip(1 + 2 + 2);  // pitch and family, average and widest glyph
  strike->firstChar = r.U8();
  strike->lastChar = r.U8();
  const int defaultChar = r.U8();
  r.Skip(1 + 2 + 4);  // break character, row bytes, device
  const uint32_t faceAt = r.U32();
  r.Skip(4 + 4 + 1);  // bits pointer, bits offset, reserved
  const uint32_t flags = version == 0x300 ? r.U32() : 0;
  if (!r.ok()) return *error = "a font header is cut short", false;
  if (type & 1) return *error = "a vector font is not read", false;
  if (flags & kColourOrAbc) return *error = "a colour or ABC-spaced strike is not read", false;
  if (strike->pixelHeight < 1 || strike->pixelHeight > kTallestStrike)
    return *error = "a strike's height is out of range", false;
  if (strike->ascent > strike->pixelHeight) return *error = "a strike's ascent exceeds its height", false;
  if (strike->firstChar > strike->lastChar)
    return *error = "a strike's first character comes after its last", false;

  // Windows gives the default character relative to the first.
  strike->defaultChar = strike->firstChar + defaultChar;
  if (strike->defaultChar > strike->lastChar) strike->defaultChar = strike->firstChar;

  rt::ByteReader table(base + headerSize, size - headerSize);
  const int count = strike->lastChar - strike->firstChar + 1;
  strike->chars.resize(static_cast<size_t>(count));
  const size_t rows = static_cast<size_t>(strike->pixelHeight);
  for (BitmapStrike::Char& c : strike->chars) {
    c.width = table.U16();
    const size_t offset = version == 0x300 ? table.U32() : table.U16();
    if (!table.ok()) return *error = "a character table is cut short", false;
    const size_t columns = (static_cast<size_t>(c.width) + 7) / 8;
    if (offset > size || columns * rows > size - offset)
      return *error = "a glyph's bitmap lies past the end of its font", false;
    c.offset = at + offset;
  }

  if (faceAt > 0 && faceAt < size) {
    const uint8_t* name = base + faceAt;
    const size_t limit = std::min(size - faceAt, kLongestFaceName);
    for (size_t i = 0; i < limit && name[i]; ++i) strike->face.push_back(static_cast<char>(name[i]));
  }
  return true;
}

// The FONT resources of an NE executable, as (offset, size) in the file.
bool FontResources(const std::vector<uint8_t>& file, std::vector<std::pair<size_t, size_t>>* out,
                   std::string* error) {
  rt::ByteReader mz(file.data(), file.size());
  mz.Skip(0x3C);
  const size_t neAt = mz.U32();
  if (!mz.ok() || neAt > file.size() - 2) return *error = "no executable header", false;
  if (file[neAt] == 'P' && file[neAt + 1] == 'E')
    return *error = "a 32-bit font file is not read (only the 16-bit kind)", false;
  if (file[neAt] != 'N' || file[neAt + 1] != 'E') return *error = "no 16-bit executable header", false;
  rt::ByteReader ne(file.data() + neAt, file.size() - neAt);
  ne.Skip(0x24);
  const size_t tableAt = neAt + ne.U16();
  if (!ne.ok() || tableAt >= file.size()) return *error = "the resource table is missing", false;

  rt::ByteReader table(file.data() + tableAt, file.size() - tableAt);
  const unsigned shift = table.U16();
  if (shift > 16) return *error = "the resource table's alignment is out of range", false;
  for (;;) {
    const uint16_t typeId = table.U16();
    if (!table.ok()) return *error = "the resource table is cut short", false;
    if (typeId == 0) break;
    const uint16_t count = table.U16();
    table.Skip(4);
    for (uint16_t i = 0; i < count && table.ok(); ++i) {
      const size_t offset = static_cast<size_t>(table.U16()) << shift;
      const size_t length = static_cast<size_t>(table.U16()) << shift;
      table.Skip(2 + 2 + 4);  // flags, id, reserved
      // The length is rounded up to the alignment: the file may end sooner.
      if (typeId == kFontResource && table.ok() && offset < file.size() &&
          out->size() < kMostStrikes)
        out->emplace_back(offset, std::min(length, file.size() - offset));
    }
  }
  if (out->empty()) return *error = "the file holds no font resource", false;
  return true;
}

}  // namespace

bool ReadBitmapFont(const uint8_t* data, size_t size, BitmapFont* font, std::string* error) {
  std::string ignored;
  if (!error) error = &ignored;
  *font = BitmapFont{};
  if (!data || size < 2) return *error = "too short for a font file", false;
  font->bytes.assign(data, data + size);
  std::vector<std::pair<size_t, size_t>> resources;
  if (data[0] == 'M' && data[1] == 'Z') {
    if (!FontResources(font->bytes, &resources, error)) return false;
  } else {
    resources.emplace_back(0, size);  // a bare strike
  }
  for (const auto& [at, length] : resources) {
    BitmapStrike strike;
    if (!ReadStrike(font->bytes, at, length, &strike, error)) {
      font->strikes.clear();
      return false;
    }
    font->strikes.push_back(std::move(strike));
  }
  return true;
}

const BitmapStrike* FindStrike(const BitmapFont& font, int pixelHeight) {
  for (const BitmapStrike& s : font.strikes)
    if (s.pixelHeight == pixelHeight) return &s;
  return nullptr;
}

int StrikeCharacter(const BitmapStrike& strike, uint32_t codePoint) {
  int code = -1;
  if (codePoint < 0x80 || (codePoint >= 0xA0 && codePoint <= 0xFF)) {
    code = static_cast<int>(codePoint);
  } else if (strike.charSet != 0) {
    if (codePoint <= 0xFF) code = static_cast<int>(codePoint);
  } else {
    for (int i = 0; i < 32; ++i)
      if (kCp1252High[i] == codePoint) code = 0x80 + i;
  }
  if (code < strike.firstChar || code > strike.lastChar) return strike.defaultChar;
  return code;
}

void RenderStrikeGlyph(const BitmapFont& font, const BitmapStrike& strike, uint32_t codePoint,
                       Glyph* glyph, std::unique_ptr<uint8_t[]>* storage) {
  const BitmapStrike::Char& c =
      strike.chars[static_cast<size_t>(StrikeCharacter(strike, codePoint) - strike.firstChar)];
  Glyph& g = *glyph;
  g.left = 0;
  g.top = strike.ascent;
  g.width = c.width;
  g.rows = strike.pixelHeight;
  g.advance = c.width;
  const size_t size = static_cast<size_t>(g.width) * g.rows;
  storage->reset(size ? new uint8_t[size] : nullptr);
  // Column bytes of 8 pixels, the leftmost in the high bit, a column's rows
  // one after the other (the reader checked that they are all there).
  const uint8_t* bits = font.bytes.data() + c.offset;
  for (int y = 0; y < g.rows; ++y) {
    uint8_t* row = storage->get() + static_cast<size_t>(y) * g.width;
    for (int x = 0; x < g.width; ++x) {
      const uint8_t byte = bits[static_cast<size_t>(x / 8) * g.rows + y];
      row[x] = (byte >> (7 - x % 8)) & 1 ? 255 : 0;
    }
  }
  g.coverage = storage->get();
}

}  // namespace gdi
}  // namespace kv
