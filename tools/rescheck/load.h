// Loading a bitmap resource for the checks.
#pragma once

#include <string>

#include "tools/rescheck/dib.h"
#include "tools/rescheck/rescheck.h"

namespace kv {
namespace rescheck {

// Finds and decodes bitmap `id`; records a failed check when it cannot.
bool LoadBitmap(HINSTANCE module, int id, Dib* out, Report* report);

std::string Num(long long v);

}  // namespace rescheck
}  // namespace kv
