// Compares two pixel dumps of the drawing probe, case by case.
//   kv_probe_compare <expected dump> <actual dump> [folder for images]
// Prints how many cases and pixels were compared; for each case that
// differs, how many pixels differ and the first few of them, and (with a
// folder) writes both pictures there as PPM files. Exit status: 0 when both
// dumps hold the same cases with the same pixels, 1 when they differ, 2 when
// a dump cannot be read or is malformed.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

const char kMagic[] = "KVGDIPROBE1\n";

struct Case {
  std::string name;
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;
};

// Reads a whole dump; false with a message when it is malformed.
bool ReadDump(const char* path, std::vector<Case>* out) {
  FILE* f = std::fopen(path, "rb");
  if (!f) {
    std::fprintf(stderr, "cannot open %s\n", path);
    return false;
  }
  char magic[sizeof kMagic - 1];
  bool ok = std::fread(magic, 1, sizeof magic, f) == sizeof magic &&
            std::string(magic, sizeof magic) == std::string(kMagic, sizeof magic);
  if (!ok) std::fprintf(stderr, "%s: not a probe dump\n", path);
  while (ok) {
    uint32_t header[3];
    const size_t got = std::fread(header, sizeof(uint32_t), 3, f);
    if (got == 0 && std::feof(f)) break;
    // Sizes are bounded so that a corrupt header cannot ask for gigabytes.
    if (got != 3 || header[0] == 0 || header[0] > 4096 || header[1] > 4096 || header[2] > 4096) {
      std::fprintf(stderr, "%s: malformed case header after %zu cases\n", path, out->size());
      ok = false;
      break;
    }
    Case c;
    c.name.resize(header[0]);
    c.width = static_cast<int>(header[1]);
    c.height = static_cast<int>(header[2]);
    c.pixels.resize(static_cast<size_t>(c.width) * c.height);
    if (std::fread(&c.name[0], 1, c.name.size(), f) != c.name.size() ||
        (!c.pixels.empty() &&
         std::fread(c.pixels.data(), sizeof(uint32_t), c.pixels.size(), f) != c.pixels.size())) {
      std::fprintf(stderr, "%s: case %zu is cut short\n", path, out->size() + 1);
      ok = false;
      break;
    }
    out->push_back(std::move(c));
  }
  std::fclose(f);
  return ok;
}

std::string FileName(const std::string& caseName) {
  std::string s = caseName;
  for (char& ch : s) {
    const bool plain = (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z') || (ch >= '0' && ch <= '9') ||
                       ch == '_' || ch == '-' || ch == '.';
    if (!plain) ch = '_';
  }
  return s;
}

void WritePpm(const std::string& path, const Case& c) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return;
  std::fprintf(f, "P6\n%d %d\n255\n", c.width, c.height);
  for (uint32_t p : c.pixels) {
    const unsigned char rgb[3] = {static_cast<unsigned char>(p >> 16), static_cast<unsigned char>(p >> 8),
                                  static_cast<unsigned char>(p)};
    std::fwrite(rgb, 1, 3, f);
  }
  std::fclose(f);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3 && argc != 4) {
    std::fprintf(stderr, "usage: kv_probe_compare <expected> <actual> [image folder]\n");
    return 2;
  }
  std::vector<Case> expected, actual;
  if (!ReadDump(argv[1], &expected) || !ReadDump(argv[2], &actual)) return 2;
  if (expected.empty()) {
    std::fprintf(stderr, "%s holds no cases\n", argv[1]);
    return 2;
  }

  int differing = 0;
  uint64_t pixels = 0, differingPixels = 0;
  const size_t common = expected.size() < actual.size() ? expected.size() : actual.size();
  if (expected.size() != actual.size()) {
    std::printf("case counts differ: %zu expected, %zu actual\n", expected.size(), actual.size());
    ++differing;
  }
  for (size_t i = 0; i < common; ++i) {
    const Case& e = expected[i];
    const Case& a = actual[i];
    if (e.name != a.name || e.width != a.width || e.height != a.height) {
      std::printf("case %zu: expected %s (%dx%d), actual %s (%dx%d)\n", i + 1, e.name.c_str(), e.width,
                  e.height, a.name.c_str(), a.width, a.height);
      ++differing;
      continue;
    }
    pixels += e.pixels.size();
    uint64_t bad = 0;
    for (size_t p = 0; p < e.pixels.size(); ++p) {
      if (e.pixels[p] == a.pixels[p]) continue;
      if (bad < 5) {
        std::printf("  %s: pixel (%zu, %zu) expected %06X, actual %06X\n", e.name.c_str(),
                    p % static_cast<size_t>(e.width), p / static_cast<size_t>(e.width), e.pixels[p],
                    a.pixels[p]);
      }
      ++bad;
    }
    if (bad == 0) continue;
    ++differing;
    differingPixels += bad;
    std::printf("case %s: %llu of %zu pixels differ\n", e.name.c_str(), static_cast<unsigned long long>(bad),
                e.pixels.size());
    if (argc == 4) {
      const std::string base = std::string(argv[3]) + "/" + FileName(e.name);
      WritePpm(base + ".expected.ppm", e);
      WritePpm(base + ".actual.ppm", a);
    }
  }
  std::printf("compared %zu cases, %llu pixels: %d cases differ (%llu pixels)\n", common,
              static_cast<unsigned long long>(pixels), differing,
              static_cast<unsigned long long>(differingPixels));
  return differing == 0 ? 0 : 1;
}
