#include "tools/rescheck/rescheck.h"

namespace kv {
namespace rescheck {

bool Report::Expect(bool passed, const std::string& what) {
  checked.push_back((passed ? "ok    " : "FAIL  ") + what);
  if (!passed) failures.push_back(what);
  return passed;
}

void CheckAll(HINSTANCE module, Report* report) {
  if (!report->Expect(module != nullptr, "the resource image parses")) return;
  CheckInventory(module, report);
  CheckBitmapFormats(module, report);
  CheckPictures(module, report);
  CheckPitch(module, report);
  CheckMenu(module, report);
  CheckDialog(module, report);
  CheckManifest(module, report);
}

}  // namespace rescheck
}  // namespace kv
