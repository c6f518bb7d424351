// Finding a font file for a face name and weight.
#pragma once

#include <string>

namespace kv {
namespace gdi {

struct FontFile {
  std::string path;
  int index = 0;
  std::string family;
  bool bold = false;  // the file itself is bold (no emboldening needed)
};

// The file for `family` (UTF-8) at `weight` (100..900). A family the system
// does not have, and that is no alias of one it has (as "Arial" is of
// "Liberation Sans"), gives the nearest sans-serif of that weight instead.
// False when no scalable font is found at all.
bool MatchFontFile(const std::string& family, int weight, FontFile* out);

}  // namespace gdi
}  // namespace kv
