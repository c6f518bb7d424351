// The interface's bitmap faces, the same in every build: the stock System
// font is the 16-pixel strike of Wine's vgasys.fon, read by our own reader
// (bitmap_font.h) from the bytes the glyph source finds for that file, so
// its text is the same pixels natively and in the browser.
#pragma once

#include <string>

#include "platform/gdi/bitmap_font.h"

namespace kv {
namespace gdi {

struct BitmapFace {
  const BitmapFont* font = nullptr;
  const BitmapStrike* strike = nullptr;
};

// The strike that stands for `family` (UTF-8) at a cell of `cellHeight`
// pixels (0 when the size is given as an em); false when the family is no
// bitmap face of the interface at that size, or its file is missing or
// unreadable (scalable faces stand in then). A file is read once.
bool FindBitmapFace(const std::string& family, int cellHeight, BitmapFace* face);

}  // namespace gdi
}  // namespace kv
