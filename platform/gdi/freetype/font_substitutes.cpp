// The System font and the dialog font come from the files that Wine ships
// (Debian's fonts-wine), because only they have the interface's metrics:
// System is a 16-pixel bitmap face (read by bitmap_faces.cpp), and
// "MS Shell Dlg" at 8 points is Tahoma, whose dialog base units are 6 and
// 13. The nearest faces fontconfig offers are much wider, enough to push a
// line of text drawn near the window's edge past it.
#include "platform/gdi/freetype/font_substitutes.h"

#include <strings.h>
#include <unistd.h>

#include <fstream>
#include <iterator>

#include "platform/gdi/glyph_source.h"

namespace kv {
namespace gdi {

namespace {

std::string& FontDir() {
  static auto* dir = new std::string("/usr/share/wine/fonts/");
  return *dir;
}
// Wine's font files are small; anything larger is not one of them.
constexpr std::streamoff kLargestFontFile = 16 << 20;

bool Installed(const std::string& path) { return access(path.c_str(), R_OK) == 0; }

bool Is(const std::string& family, const char* name) {
  return strcasecmp(family.c_str(), name) == 0;
}

}  // namespace

void SetSubstituteFontDir(const std::string& dir) { FontDir() = dir; }

bool SubstituteFontFile(const std::string& family, int weight, FontFile* out) {
  FontFile file;
  if (Is(family, "MS Shell Dlg") || Is(family, "MS Shell Dlg 2") || Is(family, "Tahoma")) {
    const bool bold = weight >= 600;
    file.path = FontDir() + (bold ? "tahomabd.ttf" : "tahoma.ttf");
    file.family = "Tahoma";
    file.bold = bold;
  } else {
    return false;
  }
  if (!Installed(file.path)) return false;
  *out = file;
  return true;
}

bool ReadInterfaceFontFile(const std::string& fileName, std::vector<uint8_t>* bytes) {
  if (fileName.empty() || fileName.find('/') != std::string::npos) return false;
  std::ifstream in(FontDir() + fileName, std::ios::binary | std::ios::ate);
  if (!in) return false;
  const std::streamoff size = in.tellg();
  if (size <= 0 || size > kLargestFontFile) return false;
  bytes->resize(static_cast<size_t>(size));
  in.seekg(0);
  return static_cast<bool>(in.read(reinterpret_cast<char*>(bytes->data()), size));
}

}  // namespace gdi
}  // namespace kv
