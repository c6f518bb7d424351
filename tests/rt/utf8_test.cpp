// Wide text to UTF-8: titles, font names and messages all go through it.
#include <gtest/gtest.h>

#include "platform/rt/utf8.h"

namespace {

using kv::rt::WideToUtf8;

TEST(Utf8, CoversEveryPlaneAndRepairsBrokenText) {
  EXPECT_EQ(WideToUtf8(nullptr), "");
  EXPECT_EQ(WideToUtf8(L"Kelvara - FPS: 60"), "Kelvara - FPS: 60");
  EXPECT_EQ(WideToUtf8(L"\u00e9\u07ff\u0800\u20ac\uffff"),
            "\xc3\xa9\xdf\xbf\xe0\xa0\x80\xe2\x82\xac\xef\xbf\xbf");
  EXPECT_EQ(WideToUtf8(L"\U0001F600\U0010FFFF"), "\xf0\x9f\x98\x80\xf4\x8f\xbf\xbf");
  // UTF-16 arriving as two wide characters is one code point.
  const wchar_t pair[] = {0xD83D, 0xDE00, 0};
  EXPECT_EQ(WideToUtf8(pair), "\xf0\x9f\x98\x80");
  // Lone surrogates and values past the last plane become U+FFFD.
  const wchar_t broken[] = {L'a', 0xD800, L'b', 0xDC00, static_cast<wchar_t>(0x110000),
                            static_cast<wchar_t>(-1), 0};
  EXPECT_EQ(WideToUtf8(broken), "a\xef\xbf\xbd" "b\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd");
  const wchar_t trailingHigh[] = {L'x', 0xD83D, 0};
  EXPECT_EQ(WideToUtf8(trailingHigh), "x\xef\xbf\xbd");
}

}  // namespace
