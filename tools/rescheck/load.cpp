#include "tools/rescheck/load.h"

#include "platform/rt/resources.h"

namespace kv {
namespace rescheck {

std::string Num(long long v) { return std::to_string(v); }

bool LoadBitmap(HINSTANCE module, int id, Dib* out, Report* report) {
  rt::ResourceData data;
  if (!report->Expect(rt::FindResource(module, RT_BITMAP_ID, static_cast<uint16_t>(id), &data),
                      "bitmap " + Num(id) + " is found"))
    return false;
  std::string why;
  return report->Expect(DecodeDib(data.data, data.size, out, &why),
                        "bitmap " + Num(id) + " decodes" + (why.empty() ? "" : ": " + why));
}

}  // namespace rescheck
}  // namespace kv
