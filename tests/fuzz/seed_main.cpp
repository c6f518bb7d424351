// Writes the seeds of the fuzz targets from a compiled resource file: the
// whole image for the reader, and each menu, dialog and bitmap resource for
// its own target.
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/rt/resources.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s file.res seed-dir\n", argv[0]);
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  std::vector<uint8_t> image((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  HINSTANCE module = kv::rt::CreateInstanceFromRes(image.data(), image.size());
  if (!module) {
    std::fprintf(stderr, "%s: not a resource file\n", argv[1]);
    return 1;
  }
  const std::string dir = argv[2];
  auto write = [](const std::string& path, const uint8_t* data, size_t size) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    return static_cast<bool>(out);
  };
  bool ok = write(dir + "/res_reader/kelvara.res", image.data(), image.size());
  int written = 1;
  for (const kv::rt::ResourceInfo& r : kv::rt::ListResources(module)) {
    if (!r.typeIsOrdinal || !r.nameIsOrdinal) continue;
    const char* target = r.type == 2 ? "dib" : r.type == 4 ? "menu_template"
                       : r.type == 5 ? "dialog_template" : nullptr;
    if (!target) continue;
    ok = write(dir + "/" + target + "/res-" + std::to_string(r.id), r.data.data, r.data.size) && ok;
    ++written;
  }
  kv::rt::DestroyInstance(module);
  std::printf("%d seeds written\n", written);
  return ok ? 0 : 1;
}
