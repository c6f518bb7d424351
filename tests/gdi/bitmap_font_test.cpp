// The bitmap-font reader: Wine's System font read glyph for glyph as
// FreeType reads it, small fonts made here read to the pixel, and every kind
// of damaged file refused with its reason.
#include <ft2build.h>
#include FT_FREETYPE_H

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/gdi/bitmap_font.h"

namespace {

using kv::gdi::BitmapFont;
using kv::gdi::BitmapStrike;
using kv::gdi::Glyph;
using Bytes = std::vector<uint8_t>;

const char kSystemFile[] = "/usr/share/wine/fonts/vgasys.fon";

Bytes ReadFile(const char* path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void Put16(Bytes& b, size_t at, uint16_t v) {
  b[at] = static_cast<uint8_t>(v);
  b[at + 1] = static_cast<uint8_t>(v >> 8);
}
void Put32(Bytes& b, size_t at, uint32_t v) {
  Put16(b, at, static_cast<uint16_t>(v));
  Put16(b, at + 2, static_cast<uint16_t>(v >> 16));
}

// A strike of `version` (0x200 or 0x300) for the characters from `first`,
// each glyph given as rows of '#' and '.', all of one height.
Bytes MakeStrike(uint16_t version, uint8_t first, const std::vector<std::vector<std::string>>& glyphs,
                 int ascent, uint8_t defaultChar = 0, uint8_t charSet = 0) {
  const size_t header = version == 0x300 ? 148 : 118;
  const size_t entry = version == 0x300 ? 6 : 4;
  const int rows = static_cast<int>(glyphs.front().size());
  Bytes b(header + entry * (glyphs.size() + 1), 0);
  Put16(b, 0, version);
  Put16(b, 74, static_cast<uint16_t>(ascent));
  Put16(b, 83, 700);
  b[85] = charSet;
  Put16(b, 88, static_cast<uint16_t>(rows));
  b[95] = first;
  b[96] = static_cast<uint8_t>(first + glyphs.size() - 1);
  b[97] = defaultChar;
  for (size_t i = 0; i < glyphs.size(); ++i) {
    const int width = static_cast<int>(glyphs[i].front().size());
    const size_t at = header + entry * i;
    Put16(b, at, static_cast<uint16_t>(width));
    if (version == 0x300)
      Put32(b, at + 2, static_cast<uint32_t>(b.size()));
    else
      Put16(b, at + 2, static_cast<uint16_t>(b.size()));
    for (int column = 0; column < (width + 7) / 8; ++column)
      for (int y = 0; y < rows; ++y) {
        uint8_t byte = 0;
        for (int bit = 0; bit < 8 && column * 8 + bit < width; ++bit)
          if (glyphs[i][y][column * 8 + bit] == '#') byte |= 0x80 >> bit;
        b.push_back(byte);
      }
  }
  const uint32_t faceAt = static_cast<uint32_t>(b.size());
  for (char c : std::string("Tiny")) b.push_back(static_cast<uint8_t>(c));
  b.push_back(0);
  Put32(b, 105, faceAt);
  Put32(b, 2, static_cast<uint32_t>(b.size()));
  return b;
}

// An NE executable holding `fonts` as FONT resources, aligned to 16 bytes.
Bytes MakeFon(const std::vector<Bytes>& fonts, uint16_t typeId = 0x8008) {
  Bytes b(0x80 + 0x40, 0);
  b[0] = 'M';
  b[1] = 'Z';
  Put32(b, 0x3C, 0x80);
  b[0x80] = 'N';
  b[0x81] = 'E';
  Put16(b, 0x80 + 0x24, 0x40);  // the resource table, from the NE header
  const size_t table = b.size();
  b.resize(table + 2 + 8 + 12 * fonts.size() + 2, 0);
  Put16(b, table, 4);
  Put16(b, table + 2, typeId);
  Put16(b, table + 4, static_cast<uint16_t>(fonts.size()));
  for (size_t i = 0; i < fonts.size(); ++i) {
    b.resize((b.size() + 15) / 16 * 16, 0);
    const size_t entry = table + 10 + 12 * i;
    Put16(b, entry, static_cast<uint16_t>(b.size() >> 4));
    Put16(b, entry + 2, static_cast<uint16_t>((fonts[i].size() + 15) >> 4));
    b.insert(b.end(), fonts[i].begin(), fonts[i].end());
  }
  return b;
}

std::vector<std::string> Picture(const Glyph& g) {
  std::vector<std::string> rows;
  for (int y = 0; y < g.rows; ++y) {
    std::string row;
    for (int x = 0; x < g.width; ++x) row += g.coverage[y * g.width + x] == 255 ? '#' : '.';
    rows.push_back(row);
  }
  return rows;
}

// The glyph's picture; `g` and `storage` keep the glyph itself when given.
std::vector<std::string> Render(const BitmapFont& font, uint32_t codePoint, Glyph* g = nullptr,
                                std::unique_ptr<uint8_t[]>* storage = nullptr) {
  Glyph glyph;
  std::unique_ptr<uint8_t[]> own;
  kv::gdi::RenderStrikeGlyph(font, font.strikes.front(), codePoint, &glyph, storage ? storage : &own);
  if (g) *g = glyph;
  return Picture(glyph);
}

const std::vector<std::vector<std::string>> kTwoGlyphs = {
    {"#.........", "##........", "#.#.......", "#..#......", "#########."},  // 10 wide: two columns
    {"...", ".#.", "###", ".#.", "..."}};

TEST(BitmapFont, TheSystemFontHasTheInterfacesMetrics) {
  const Bytes file = ReadFile(kSystemFile);
  ASSERT_FALSE(file.empty()) << kSystemFile << " is missing (fonts-wine)";
  BitmapFont font;
  std::string error;
  ASSERT_TRUE(kv::gdi::ReadBitmapFont(file.data(), file.size(), &font, &error)) << error;
  ASSERT_EQ(font.strikes.size(), 1u);
  const BitmapStrike* s = kv::gdi::FindStrike(font, 16);
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(kv::gdi::FindStrike(font, 13), nullptr);
  EXPECT_EQ(s->face, "System");
  EXPECT_EQ(s->ascent, 13);
  EXPECT_EQ(s->weight, 700);
  EXPECT_EQ(s->firstChar, 0x20);
  EXPECT_EQ(s->lastChar, 0xFF);
  // The widths the score lines are laid out by (Wine's face: Windows' own
  // System font is a few pixels wider).
  auto width = [&](const std::u32string& text) {
    int w = 0;
    for (char32_t c : text) w += s->chars[kv::gdi::StrikeCharacter(*s, c) - s->firstChar].width;
    return w;
  };
  EXPECT_EQ(width(U"Right Player Score: 99"), 145);
}

TEST(BitmapFont, EveryGlyphOfTheSystemFontIsFreeTypes) {
  const Bytes file = ReadFile(kSystemFile);
  ASSERT_FALSE(file.empty());
  BitmapFont font;
  ASSERT_TRUE(kv::gdi::ReadBitmapFont(file.data(), file.size(), &font, nullptr));
  FT_Library library = nullptr;
  ASSERT_EQ(FT_Init_FreeType(&library), 0);
  FT_Face face = nullptr;
  ASSERT_EQ(FT_New_Face(library, kSystemFile, 0, &face), 0);
  ASSERT_EQ(FT_Select_Size(face, 0), 0);
  FT_Set_Charmap(face, face->charmaps[0]);
  EXPECT_EQ(face->size->metrics.ascender >> 6, font.strikes[0].ascent);
  // Latin-1 is the same in code page 1252 and in FreeType's byte map.
  for (uint32_t c = 0x20; c <= 0xFF; ++c) {
    if (c >= 0x7F && c < 0xA0) continue;
    ASSERT_EQ(FT_Load_Char(face, c, FT_LOAD_TARGET_MONO | FT_LOAD_MONOCHROME | FT_LOAD_RENDER), 0);
    const FT_Bitmap& bm = face->glyph->bitmap;
    Glyph g;
    std::unique_ptr<uint8_t[]> storage;
    Render(font, c, &g, &storage);
    ASSERT_EQ(g.width, static_cast<int>(bm.width)) << std::hex << c;
    ASSERT_EQ(g.rows, static_cast<int>(bm.rows)) << std::hex << c;
    EXPECT_EQ(g.top, face->glyph->bitmap_top) << std::hex << c;
    EXPECT_EQ(g.advance, face->glyph->advance.x >> 6) << std::hex << c;
    for (int y = 0; y < g.rows; ++y)
      for (int x = 0; x < g.width; ++x) {
        const bool ft = (bm.buffer[y * bm.pitch + x / 8] >> (7 - x % 8)) & 1;
        ASSERT_EQ(g.coverage[y * g.width + x] == 255, ft) << std::hex << c << " at " << x << "," << y;
      }
  }
  FT_Done_Face(face);
  FT_Done_FreeType(library);
}

TEST(BitmapFont, ReadsBothVersionsBareAndInAFontFile) {
  for (uint16_t version : {0x200, 0x300}) {
    const Bytes strike = MakeStrike(version, 'A', kTwoGlyphs, 4);
    for (const Bytes& file : {strike, MakeFon({strike})}) {
      BitmapFont font;
      std::string error;
      ASSERT_TRUE(kv::gdi::ReadBitmapFont(file.data(), file.size(), &font, &error))
          << std::hex << version << ": " << error;
      ASSERT_EQ(font.strikes.size(), 1u);
      EXPECT_EQ(font.strikes[0].face, "Tiny");
      EXPECT_EQ(font.strikes[0].pixelHeight, 5);
      Glyph g;
      EXPECT_EQ(Render(font, 'A', &g), kTwoGlyphs[0]);
      EXPECT_EQ(g.top, 4);
      EXPECT_EQ(g.left, 0);
      EXPECT_EQ(g.advance, 10);
      EXPECT_EQ(Render(font, 'B'), kTwoGlyphs[1]);
    }
  }
}

TEST(BitmapFont, ASecondStrikeIsFoundByItsHeight) {
  const std::vector<std::vector<std::string>> tall = {{"#", "#", "#", "#", "#", "#", "#"}};
  const Bytes file = MakeFon({MakeStrike(0x300, 'A', kTwoGlyphs, 4), MakeStrike(0x200, 'A', tall, 6)});
  BitmapFont font;
  ASSERT_TRUE(kv::gdi::ReadBitmapFont(file.data(), file.size(), &font, nullptr));
  ASSERT_EQ(font.strikes.size(), 2u);
  const BitmapStrike* s = kv::gdi::FindStrike(font, 7);
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->ascent, 6);
  EXPECT_EQ(s->chars.size(), 1u);
}

TEST(BitmapFont, CharactersComeThroughTheCodePageOrAsTheDefault) {
  // 0x80 is the euro sign in code page 1252; 0x82 its low single quote.
  std::vector<std::vector<std::string>> glyphs(4, std::vector<std::string>{"..", ".."});
  glyphs[0] = {"#.", ".."};  // 0x80
  glyphs[2] = {".#", ".."};  // 0x82
  glyphs[3] = {"..", "##"};  // 0x83: the default
  const Bytes ansi = MakeStrike(0x300, 0x80, glyphs, 1, /*defaultChar=*/3);
  BitmapFont font;
  ASSERT_TRUE(kv::gdi::ReadBitmapFont(ansi.data(), ansi.size(), &font, nullptr));
  const BitmapStrike& s = font.strikes[0];
  EXPECT_EQ(kv::gdi::StrikeCharacter(s, 0x20AC), 0x80);
  EXPECT_EQ(kv::gdi::StrikeCharacter(s, 0x201A), 0x82);
  EXPECT_EQ(Render(font, 0x20AC), glyphs[0]);
  // Not in code page 1252, or not in the strike: the default character.
  for (uint32_t missing : {0x80u, 0x2603u, 0x41u, 0x110000u}) {
    EXPECT_EQ(kv::gdi::StrikeCharacter(s, missing), 0x83) << std::hex << missing;
    EXPECT_EQ(Render(font, missing), glyphs[3]);
  }

  // Another character set maps the first 256 code points straight through.
  const Bytes oem = MakeStrike(0x300, 0x80, glyphs, 1, 3, /*charSet=*/255);
  ASSERT_TRUE(kv::gdi::ReadBitmapFont(oem.data(), oem.size(), &font, nullptr));
  EXPECT_EQ(kv::gdi::StrikeCharacter(font.strikes[0], 0x82), 0x82);
  EXPECT_EQ(kv::gdi::StrikeCharacter(font.strikes[0], 0x201A), 0x83);

  // A default character past the last is taken as the first.
  const Bytes wild = MakeStrike(0x200, 'A', kTwoGlyphs, 4, /*defaultChar=*/200);
  ASSERT_TRUE(kv::gdi::ReadBitmapFont(wild.data(), wild.size(), &font, nullptr));
  EXPECT_EQ(kv::gdi::StrikeCharacter(font.strikes[0], 'z'), 'A');
}

TEST(BitmapFont, DamagedFilesAreRefusedWithTheirReason) {
  const Bytes good = MakeStrike(0x300, 'A', kTwoGlyphs, 4);
  auto refused = [](Bytes file) {
    BitmapFont font;
    std::string error;
    const bool read = kv::gdi::ReadBitmapFont(file.data(), file.size(), &font, &error);
    EXPECT_TRUE(font.strikes.empty());
    return read ? std::string("read") : error;
  };
  EXPECT_EQ(refused({}), "too short for a font file");
  EXPECT_EQ(refused(Bytes(good.begin(), good.begin() + 100)), "a font header is cut short");
  Bytes old = good;
  Put16(old, 0, 0x100);
  EXPECT_EQ(refused(old), "font version 0x100 is not read (only 2 and 3)");
  Bytes vector = good;
  vector[66] = 1;
  EXPECT_EQ(refused(vector), "a vector font is not read");
  Bytes colour = good;
  Put32(colour, 118, 0x20);
  EXPECT_EQ(refused(colour), "a colour or ABC-spaced strike is not read");
  Bytes flat = good;
  Put16(flat, 88, 0);
  EXPECT_EQ(refused(flat), "a strike's height is out of range");
  Bytes high = good;
  Put16(high, 74, 6);
  EXPECT_EQ(refused(high), "a strike's ascent exceeds its height");
  Bytes backwards = good;
  backwards[96] = 'A' - 1;
  EXPECT_EQ(refused(backwards), "a strike's first character comes after its last");
  Bytes manyChars = good;
  manyChars[96] = 0xFF;
  EXPECT_EQ(refused(manyChars), "a glyph's bitmap lies past the end of its font");
  Bytes shortTable = good;
  shortTable.resize(148 + 6);
  Put16(shortTable, 148, 0);  // a first glyph with no bitmap, then the table ends
  Put32(shortTable, 150, 0);
  EXPECT_EQ(refused(shortTable), "a character table is cut short");
  Bytes wide = good;
  Put16(wide, 148, 2000);
  EXPECT_EQ(refused(wide), "a glyph's bitmap lies past the end of its font");
  Bytes farAway = good;
  Put32(farAway, 150, 0xFFFFFFF0u);
  EXPECT_EQ(refused(farAway), "a glyph's bitmap lies past the end of its font");

  // The executable around the strikes.
  const Bytes fon = MakeFon({good});
  EXPECT_EQ(refused(Bytes(fon.begin(), fon.begin() + 0x40)), "no executable header");
  Bytes pe = fon;
  pe[0x80] = 'P';
  EXPECT_EQ(refused(pe), "a 32-bit font file is not read (only the 16-bit kind)");
  Bytes lost = fon;
  Put32(lost, 0x3C, 0x7FFFFFFF);
  EXPECT_EQ(refused(lost), "no executable header");
  EXPECT_EQ(refused(MakeFon({good}, 0x8002)), "the file holds no font resource");
  EXPECT_EQ(refused(Bytes(fon.begin(), fon.begin() + 0xC8)), "the resource table is cut short");
  Bytes shifted = fon;
  Put16(shifted, 0xC0, 40);
  EXPECT_EQ(refused(shifted), "the resource table's alignment is out of range");
  // A strike cut short inside the file spoils the whole file.
  Bytes cut = MakeFon({good, good});
  cut.resize(cut.size() - 20);
  EXPECT_EQ(refused(cut), "a glyph's bitmap lies past the end of its font");
}

}  // namespace
