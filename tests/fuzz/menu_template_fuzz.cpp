// Menu templates on arbitrary bytes: parsed, then loaded as the program's
// menu would be, read back item by item, and destroyed.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/gdi/gdi_internal.h"
#include "platform/rt/resources.h"
#include "platform/rt/resource_templates.h"
#include "platform/win32.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

size_t CountItems(const std::vector<kv::rt::MenuItemTemplate>& items, int depth) {
  kvfuzz::Require(depth < 64, "a parsed menu nests without end");
  size_t n = items.size();
  for (const auto& item : items) n += CountItems(item.items, depth + 1);
  return n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<uint8_t> copy(data, data + size);
  std::vector<kv::rt::MenuItemTemplate> parsed;
  const bool ok = kv::rt::ParseMenuTemplate(copy.data(), copy.size(), &parsed);
  if (!ok) kvfuzz::Require(parsed.empty(), "a refused template left items behind");
  CountItems(parsed, 0);

  std::vector<uint8_t> image = kvfuzz::OneResource(4 /* RT_MENU */, 106, data, size);
  HINSTANCE module = kv::rt::CreateInstanceFromRes(image.data(), image.size());
  kvfuzz::Require(module != nullptr, "a one-entry image is refused");
  if (HMENU menu = LoadMenuW(module, MAKEINTRESOURCEW(106))) {
    for (UINT id = 0; id < 300; id += 7) CheckMenuItem(menu, id, MF_CHECKED);
    DestroyMenu(menu);
  }
  kv::rt::DestroyInstance(module);
  return 0;
}
