// The .res reader on arbitrary bytes: the module either refuses the image or
// lists and finds its entries without reading outside it.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/rt/resources.h"
#include "tests/fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // A copy of exactly the input's length, so any read past it is caught.
  std::vector<uint8_t> image(data, data + size);
  HINSTANCE module = kv::rt::CreateInstanceFromRes(image.data(), image.size());
  if (!module) return 0;
  const uint8_t* begin = image.data();
  const uint8_t* end = begin + image.size();
  for (const kv::rt::ResourceInfo& info : kv::rt::ListResources(module)) {
    kvfuzz::Require(info.data.size == 0 || (info.data.data >= begin && info.data.data <= end &&
                                            info.data.size <= size_t(end - info.data.data)),
                    "a listed resource lies outside the image");
    if (!info.typeIsOrdinal || !info.nameIsOrdinal) continue;
    kv::rt::ResourceData found;
    kvfuzz::Require(kv::rt::FindResource(module, info.type, info.id, &found),
                    "a listed resource is not found");
    volatile uint8_t sum = 0;
    for (size_t i = 0; i < found.size; ++i) sum = sum + found.data[i];
  }
  kv::rt::ResourceData none;
  kv::rt::FindResource(module, 2, uint16_t{1}, &none);
  kv::rt::DestroyInstance(module);
  return 0;
}
