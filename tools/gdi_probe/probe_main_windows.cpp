// The probe on Windows: both scripts are compiled into the program itself.
#include <cstdio>

#include "probe.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: gdi_probe <dump file>\n");
    return 2;
  }
  HINSTANCE self = GetModuleHandleW(nullptr);
  return RunProbe(self, self, argv[1]);
}
