// rescheck FILE.res: checks a compiled resource file against what the game
// expects, prints every check, and exits 1 when one fails (2 when the file
// cannot be read).
#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

#include "platform/rt/resources.h"
#include "tools/rescheck/rescheck.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s FILE.res\n", argc > 0 ? argv[0] : "rescheck");
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "%s: cannot read %s\n", argv[0], argv[1]);
    return 2;
  }
  const std::vector<uint8_t> image((std::istreambuf_iterator<char>(in)),
                                   std::istreambuf_iterator<char>());
  HINSTANCE module = kv::rt::CreateInstanceFromRes(image.data(), image.size());
  kv::rescheck::Report report;
  kv::rescheck::CheckAll(module, &report);
  kv::rt::DestroyInstance(module);
  for (const std::string& line : report.checked) std::printf("%s\n", line.c_str());
  std::printf("%zu checks, %zu failed\n", report.checked.size(), report.failures.size());
  return report.ok() ? 0 : 1;
}
