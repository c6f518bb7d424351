// The System font and the dialog font come from the files that Wine ships
// (Debian's fonts-wine), because only they have the interface's metrics:
// System is a 16-pixel bitmap face in which "Right Player Score: 99" is 154
// pixels wide, and "MS Shell Dlg" at 8 points is Tahoma, whose dialog base
// units are 6 and 13. The nearest faces fontconfig offers are much wider
// (DejaVu Sans Bold puts the right score line across the goal line).
#include "platform/gdi/freetype/font_substitutes.h"

#include <strings.h>
#include <unistd.h>

namespace kv {
namespace gdi {

namespace {

std::string& FontDir() {
  static auto* dir = new std::string("/usr/share/wine/fonts/");
  return *dir;
}
constexpr int kSystemStrike = 16;

bool Installed(const std::string& path) { return access(path.c_str(), R_OK) == 0; }

bool Is(const std::string& family, const char* name) {
  return strcasecmp(family.c_str(), name) == 0;
}

}  // namespace

void SetSubstituteFontDir(const std::string& dir) { FontDir() = dir; }

bool SubstituteFontFile(const std::string& family, int weight, int cellHeight, FontFile* out,
                        int* strikeHeight) {
  *strikeHeight = 0;
  FontFile file;
  if (Is(family, "System")) {
    // One strike only; other sizes go to the scalable faces.
    if (cellHeight != kSystemStrike) return false;
    file.path = FontDir() + "vgasys.fon";
    file.family = "System";
    file.bold = true;  // drawn heavy already: never emboldened
    *strikeHeight = kSystemStrike;
  } else if (Is(family, "MS Shell Dlg") || Is(family, "MS Shell Dlg 2") || Is(family, "Tahoma")) {
    const bool bold = weight >= 600;
    file.path = FontDir() + (bold ? "tahomabd.ttf" : "tahoma.ttf");
    file.family = "Tahoma";
    file.bold = bold;
  } else {
    return false;
  }
  if (!Installed(file.path)) {
    *strikeHeight = 0;
    return false;
  }
  *out = file;
  return true;
}

}  // namespace gdi
}  // namespace kv
