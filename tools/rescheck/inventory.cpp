// The resource set holds exactly the ten bitmaps, the menu, the About box
// and the manifest, each once, in US English; the About box's picture
// (118) is named by the dialog but deliberately absent.
#include <map>
#include <utility>

#include "platform/rt/resources.h"
#include "res/resource.h"
#include "tools/rescheck/rescheck.h"

namespace kv {
namespace rescheck {

void CheckInventory(HINSTANCE module, Report* r) {
  const std::map<std::pair<int, int>, const char*> expected = {
      {{RT_BITMAP_ID, IDB_BALL}, "bitmap 120 (ball)"},
      {{RT_BITMAP_ID, IDB_BALL_MASK}, "bitmap 121 (ball mask)"},
      {{RT_BITMAP_ID, IDB_PITCH}, "bitmap 130 (pitch)"},
      {{RT_BITMAP_ID, IDB_PITCH_MASK}, "bitmap 131 (pitch mask)"},
      {{RT_BITMAP_ID, IDB_LEFT_PLAYER}, "bitmap 140 (left player)"},
      {{RT_BITMAP_ID, IDB_LEFT_PLAYER_MASK}, "bitmap 141 (left player mask)"},
      {{RT_BITMAP_ID, IDB_RIGHT_PLAYER}, "bitmap 150 (right player)"},
      {{RT_BITMAP_ID, IDB_RIGHT_PLAYER_MASK}, "bitmap 151 (right player mask)"},
      {{RT_BITMAP_ID, IDB_TROPHY}, "bitmap 170 (trophy)"},
      {{RT_BITMAP_ID, IDB_TROPHY_MASK}, "bitmap 171 (trophy mask)"},
      {{RT_MENU_ID, IDR_MAIN_MENU}, "menu 106"},
      {{RT_DIALOG_ID, IDD_ABOUT}, "dialog 116"},
      {{RT_MANIFEST_ID, 1}, "manifest 1"},
  };
  std::map<std::pair<int, int>, int> seen;
  for (const rt::ResourceInfo& e : rt::ListResources(module)) {
    const bool ordinals = e.typeIsOrdinal && e.nameIsOrdinal;
    const std::string label = ordinals
                                  ? "type " + std::to_string(e.type) + " id " + std::to_string(e.id)
                                  : std::string("a resource named by string");
    if (!r->Expect(ordinals, label + " is named by number")) continue;
    const auto key = std::make_pair(int(e.type), int(e.id));
    const auto it = expected.find(key);
    r->Expect(it != expected.end(), label + " is one of the expected resources");
    r->Expect(e.language == 1033,
              label + " has language 1033 (got " + std::to_string(e.language) + ")");
    ++seen[key];
  }
  for (const auto& [key, name] : expected)
    r->Expect(seen[key] == 1,
              std::string(name) + " is present once (found " + std::to_string(seen[key]) + ")");
  rt::ResourceData none;
  r->Expect(!rt::FindResource(module, RT_BITMAP_ID, IDB_ABOUT_PICTURE, &none),
            "bitmap 118 (the About box's picture) is absent");
}

}  // namespace rescheck
}  // namespace kv
