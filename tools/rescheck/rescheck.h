// Checks a module's resources against what the game expects of them: the
// identifiers with their types and language, the bitmaps' formats and the
// picture/mask convention pixel by pixel, the pitch's markings, the menu,
// the About box template and the manifest.
#pragma once

#include <string>
#include <vector>

#include "platform/win32.h"

namespace kv {
namespace rescheck {

struct Report {
  std::vector<std::string> checked;   // one line per check, passed or not
  std::vector<std::string> failures;  // the lines of the failed checks

  // Records one check; returns `passed` so that callers can stop early.
  bool Expect(bool passed, const std::string& what);
  bool ok() const { return failures.empty(); }
};

void CheckInventory(HINSTANCE module, Report* report);
void CheckBitmapFormats(HINSTANCE module, Report* report);
void CheckPictures(HINSTANCE module, Report* report);
void CheckPitch(HINSTANCE module, Report* report);
void CheckMenu(HINSTANCE module, Report* report);
void CheckDialog(HINSTANCE module, Report* report);
void CheckManifest(HINSTANCE module, Report* report);

// All of the above.
void CheckAll(HINSTANCE module, Report* report);

}  // namespace rescheck
}  // namespace kv
