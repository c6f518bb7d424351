// The interface's own fonts, where a generic match would get the metrics
// wrong: the dialog font ("MS Shell Dlg"), and the folder the bitmap faces'
// files are read from (ReadInterfaceFontFile, glyph_source.h).
#pragma once

#include <string>

#include "platform/gdi/freetype/font_match.h"

namespace kv {
namespace gdi {

// The file that stands for `family` at `weight`, or false when the family
// is none of those fonts or its file is not installed.
bool SubstituteFontFile(const std::string& family, int weight, FontFile* out);

// Where those files are looked for (Wine's font folder unless changed; a
// test of a machine without fonts points it elsewhere). Ends with '/'.
void SetSubstituteFontDir(const std::string& dir);

}  // namespace gdi
}  // namespace kv
