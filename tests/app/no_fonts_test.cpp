// With not one font on the machine the game still plays a whole match: the
// text is left out and everything else is drawn. Fontconfig reads its
// configuration once per process, so the match runs in a child started
// afresh with a configuration that names no fonts.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>

#include "platform/gdi/freetype/font_match.h"
#include "platform/gdi/freetype/font_substitutes.h"
#include "render/banner.h"
#include "tests/render/headless_game.h"

namespace {

using crafted::At;

class NoFontsTest : public crafted::HeadlessGame {
 protected:
  // Plays a match to its verdict (a tie) and one frame past it, and counts
  // the pixels that are neither the pitch nor a sprite: the text.
  static int PlayAndCountText() {
    Frame();
    ClickLeft();
    Frame(45000);
    if (!gMatch->stopped || std::wcscmp(gBannerText, L"TOO BAD, A TIE ...") != 0) return -1;
    Frame(5);
    const kv::PixelSurface s = Buffer();
    int text = 0;
    for (int y = 0; y < 600; ++y)
      for (int x = 0; x < 1000; ++x) {
        const uint32_t p = At(s, x, y);
        text += p != crafted::PitchPixel(x, y) && p != crafted::kHuman &&
                p != crafted::kComputer && p != crafted::kBall && p != crafted::kTrophy;
      }
    return text;
  }

  // The child's verdict, as its exit code.
  static int ChildWithoutFonts() {
    kv::gdi::FontFile file;
    if (kv::gdi::MatchFontFile("Arial", FW_BOLD, &file)) return 2;  // fonts were found after all
    const int text = PlayAndCountText();
    if (text < 0) return 3;
    if (text > 0) return 4;
    HDC dc = CreateCompatibleDC(nullptr);
    const BOOL drawn = TextOutW(dc, 0, 0, L"0 : 0", 5);
    DeleteDC(dc);
    return drawn ? 5 : 0;
  }
};

TEST_F(NoFontsTest, AMatchPlaysThroughWithTheTextLeftOut) {
  // The child runs this body afresh: there, Wine's System and Tahoma files
  // are missing too, from the start.
  if (std::getenv("KV_NO_FONTS_CHILD")) kv::gdi::SetSubstituteFontDir("/nonexistent/");
  // With fonts, the same match leaves text on the pitch: the count can fail.
  EXPECT_GT(PlayAndCountText(), 100);

  const std::string config = testing::TempDir() + "kv_no_fonts_" + std::to_string(getpid()) + ".conf";
  FILE* f = std::fopen(config.c_str(), "w");
  ASSERT_NE(f, nullptr);
  std::fputs("<?xml version=\"1.0\"?>\n<fontconfig></fontconfig>\n", f);
  std::fclose(f);
  const char* previous = std::getenv("FONTCONFIG_FILE");
  const std::string saved = previous ? previous : "";
  setenv("FONTCONFIG_FILE", config.c_str(), 1);
  setenv("KV_NO_FONTS_CHILD", "1", 1);

  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(std::exit(ChildWithoutFonts()), testing::ExitedWithCode(0), "");

  if (previous)
    setenv("FONTCONFIG_FILE", saved.c_str(), 1);
  else
    unsetenv("FONTCONFIG_FILE");
  unsetenv("KV_NO_FONTS_CHILD");
  std::remove(config.c_str());
}

}  // namespace
