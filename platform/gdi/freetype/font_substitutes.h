// The interface's own fonts, where a generic match would get the metrics
// wrong: the stock System font and the dialog font ("MS Shell Dlg").
#pragma once

#include <string>

#include "platform/gdi/freetype/font_match.h"

namespace kv {
namespace gdi {

// The file that stands for `family` at `weight` and at a cell of
// `cellHeight` pixels (0 when the size is given as an em), or false when
// the family is none of those fonts or its file is not installed.
// `strikeHeight` is set for a bitmap face: the strike to use.
bool SubstituteFontFile(const std::string& family, int weight, int cellHeight, FontFile* out,
                        int* strikeHeight);

// Where those files are looked for (Wine's font folder unless changed; a
// test of a machine without fonts points it elsewhere). Ends with '/'.
void SetSubstituteFontDir(const std::string& dir);

}  // namespace gdi
}  // namespace kv
