// The embedded strikes of a TrueType file as FreeType draws them: Wine's
// Tahoma, plain and bold, at every strike it has, glyph for glyph; and the
// file refused or read without strikes where it is not what it claims.
#include <ft2build.h>
#include FT_FREETYPE_H

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/gdi/sfnt_bitmaps.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

TEST(SfntBitmaps, EveryStrikeOfTahomaIsDrawnAsFreeTypeDrawsIt) {
  FT_Library library = nullptr;
  ASSERT_EQ(FT_Init_FreeType(&library), 0);
  for (const char* name : {"tahoma.ttf", "tahomabd.ttf"}) {
    const std::string path = std::string("/usr/share/wine/fonts/") + name;
    const Bytes file = ReadFile(path);
    ASSERT_FALSE(file.empty()) << path << " is missing (fonts-wine)";
    kv::gdi::SfntFont font;
    std::string error;
    ASSERT_TRUE(kv::gdi::ReadSfntFont(file.data(), file.size(), &font, &error)) << error;
    ASSERT_GE(font.strikes.size(), 7u) << name;
    FT_Face face = nullptr;
    ASSERT_EQ(FT_New_Face(library, path.c_str(), 0, &face), 0);
    int drawnFromStrikes = 0;
    for (const kv::gdi::SfntStrike& strike : font.strikes) {
      // As the native glyph source sizes a face: an em in 26.6 at 72 dpi.
      ASSERT_EQ(FT_Set_Char_Size(face, 0, strike.ppemY * 64, 72, 72), 0);
      for (uint32_t c = 0x20; c < 0x250; ++c) {
        const int index = kv::gdi::SfntGlyphIndex(font, c);
        ASSERT_EQ(index, static_cast<int>(FT_Get_Char_Index(face, c))) << std::hex << c;
        ASSERT_EQ(FT_Load_Char(face, c, FT_LOAD_TARGET_LIGHT), 0);
        const bool bitmap = face->glyph->format == FT_GLYPH_FORMAT_BITMAP;
        kv::gdi::Glyph g;
        std::unique_ptr<uint8_t[]> storage;
        const bool ours = kv::gdi::RenderSfntGlyph(font, strike, index, &g, &storage);
        ASSERT_EQ(ours, bitmap) << name << " " << strike.ppemY << " px, " << std::hex << c;
        if (!bitmap) continue;
        ++drawnFromStrikes;
        const FT_Bitmap& bm = face->glyph->bitmap;
        ASSERT_EQ(bm.pixel_mode, FT_PIXEL_MODE_MONO);
        ASSERT_EQ(g.width, static_cast<int>(bm.width));
        ASSERT_EQ(g.rows, static_cast<int>(bm.rows));
        EXPECT_EQ(g.left, face->glyph->bitmap_left);
        EXPECT_EQ(g.top, face->glyph->bitmap_top);
        EXPECT_EQ(g.advance, (face->glyph->advance.x + 32) >> 6)
            << name << " " << strike.ppemY << " px, " << std::hex << c;
        for (int y = 0; y < g.rows; ++y)
          for (int x = 0; x < g.width; ++x)
            ASSERT_EQ(g.coverage[y * g.width + x] == 255,
                      ((bm.buffer[y * bm.pitch + x / 8] >> (7 - x % 8)) & 1) != 0)
                << name << " " << strike.ppemY << " px, " << std::hex << c << " at " << x << "," << y;
      }
    }
    EXPECT_GT(drawnFromStrikes, 1000) << name;
    FT_Done_Face(face);
  }
  FT_Done_FreeType(library);
}

TEST(SfntBitmaps, TheDialogFacesSizeFindsItsStrike) {
  const Bytes file = ReadFile("/usr/share/wine/fonts/tahoma.ttf");
  kv::gdi::SfntFont font;
  ASSERT_TRUE(kv::gdi::ReadSfntFont(file.data(), file.size(), &font, nullptr));
  // 8 points at 96 dpi: an em of 11 pixels, and cells that round to it.
  EXPECT_EQ(kv::gdi::StrikePpem(11.0), 11);
  EXPECT_EQ(kv::gdi::StrikePpem(10.5), 11);
  EXPECT_EQ(kv::gdi::StrikePpem(11.49), 11);
  EXPECT_EQ(kv::gdi::StrikePpem(11.5), 12);
  ASSERT_NE(kv::gdi::FindSfntStrike(font, 11), nullptr);
  EXPECT_EQ(kv::gdi::FindSfntStrike(font, 14), nullptr);  // Tahoma has none at 14
  EXPECT_EQ(kv::gdi::FindSfntStrike(font, 42), nullptr);
}

TEST(SfntBitmaps, FilesThatAreNotWhatTheyClaimAreRefusedOrHaveNoStrikes) {
  const Bytes file = ReadFile("/usr/share/wine/fonts/tahoma.ttf");
  ASSERT_FALSE(file.empty());
  kv::gdi::SfntFont font;
  std::string error;
  EXPECT_FALSE(kv::gdi::ReadSfntFont(file.data(), 8, &font, &error));
  EXPECT_EQ(error, "too short for a TrueType file");
  Bytes otf = file;
  otf[0] = 'O';
  EXPECT_FALSE(kv::gdi::ReadSfntFont(otf.data(), otf.size(), &font, &error));
  EXPECT_EQ(error, "not a TrueType file");
  EXPECT_FALSE(kv::gdi::ReadSfntFont(file.data(), 40, &font, &error));
  EXPECT_EQ(error, "the table directory is cut short");

  // Cut anywhere past the directory: it reads, and every glyph it still
  // claims to have draws from inside the file, or is missing.
  for (size_t cut : {size_t{500}, file.size() / 3, file.size() / 2, file.size() - 7}) {
    ASSERT_TRUE(kv::gdi::ReadSfntFont(file.data(), cut, &font, &error)) << cut << ": " << error;
    for (const kv::gdi::SfntStrike& strike : font.strikes)
      for (int glyph = 0; glyph < 800; ++glyph) {
        kv::gdi::Glyph g;
        std::unique_ptr<uint8_t[]> storage;
        if (kv::gdi::RenderSfntGlyph(font, strike, glyph, &g, &storage)) {
          EXPECT_LE(g.width * g.rows, 1024 * 1024);
        }
      }
    for (uint32_t c = 0; c < 0x300; ++c) EXPECT_GE(kv::gdi::SfntGlyphIndex(font, c), 0);
  }
}

}  // namespace
