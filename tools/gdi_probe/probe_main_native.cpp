// The probe on our own layer: its crafted pictures come from its own
// embedded resource script, the game's from the program's resources.
#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "platform/rt/resources.h"
#include "probe.h"

extern "C" const uint8_t kv_probe_resource_image[];
extern "C" const uint8_t kv_probe_resource_image_end[];

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: gdi_probe <dump file>\n");
    return 2;
  }
  const size_t size = static_cast<size_t>(kv_probe_resource_image_end - kv_probe_resource_image);
  HINSTANCE crafted = kv::rt::CreateInstanceFromRes(kv_probe_resource_image, size);
  if (!crafted) {
    std::fprintf(stderr, "gdi_probe: the embedded resources do not parse\n");
    return 1;
  }
  const int result = RunProbe(crafted, kv::rt::ProgramInstance(), argv[1]);
  kv::rt::DestroyInstance(crafted);
  return result;
}
