// Draws every picture of the game into the folder given as the only
// argument (normally res/). The output is the same bytes on every run.
#include <cstdio>
#include <string>

#include "pictures.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT_DIR\n", argc > 0 ? argv[0] : "kv_pictures");
    return 2;
  }
  const std::string dir = argv[1];
  bool ok = true;
  ok = art::MakePitch(dir) && ok;
  ok = art::MakeBall(dir) && ok;
  ok = art::MakePlayers(dir) && ok;
  ok = art::MakeTrophy(dir) && ok;
  if (!ok) {
    std::fprintf(stderr, "%s: some pictures could not be made\n", argv[0]);
    return 1;
  }
  return 0;
}
