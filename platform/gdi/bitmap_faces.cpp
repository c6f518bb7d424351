#include "platform/gdi/bitmap_faces.h"

#include <strings.h>

#include <map>
#include <vector>

#include "platform/gdi/glyph_source.h"

namespace kv {
namespace gdi {

namespace {

struct StockStrike {
  const char* family;
  const char* file;
  int cellHeight;
};
// The System face has one strike; other sizes go to the scalable faces.
constexpr StockStrike kStockStrikes[] = {{"System", "vgasys.fon", 16}};

// Each file's font as first read, or null when it could not be; kept for
// the run (fonts are few and small).
const BitmapFont* FontOfFile(const char* file) {
  static auto* fonts = new std::map<std::string, std::unique_ptr<BitmapFont>>();
  auto found = fonts->find(file);
  if (found != fonts->end()) return found->second.get();
  std::unique_ptr<BitmapFont> font;
  std::vector<uint8_t> bytes;
  if (ReadInterfaceFontFile(file, &bytes)) {
    font = std::make_unique<BitmapFont>();
    if (!ReadBitmapFont(bytes.data(), bytes.size(), font.get(), nullptr)) font.reset();
  }
  return fonts->emplace(file, std::move(font)).first->second.get();
}

}  // namespace

bool FindBitmapFace(const std::string& family, int cellHeight, BitmapFace* face) {
  for (const StockStrike& s : kStockStrikes) {
    if (strcasecmp(family.c_str(), s.family) != 0 || cellHeight != s.cellHeight) continue;
    const BitmapFont* font = FontOfFile(s.file);
    const BitmapStrike* strike = font ? FindStrike(*font, s.cellHeight) : nullptr;
    if (!strike) return false;
    *face = BitmapFace{font, strike};
    return true;
  }
  return false;
}

}  // namespace gdi
}  // namespace kv
