// The committed pictures are exactly what the picture sources draw, so a
// change to either cannot go unnoticed.
#include "res/art/pictures.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

namespace {

std::vector<char> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<char>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

TEST(Pictures, CommittedFilesMatchTheirSources) {
  char dir[] = "/tmp/kv_pictures_XXXXXX";
  ASSERT_NE(mkdtemp(dir), nullptr);
  const std::string out = dir;
  ASSERT_TRUE(art::MakePitch(out));
  ASSERT_TRUE(art::MakeBall(out));
  ASSERT_TRUE(art::MakePlayers(out));
  ASSERT_TRUE(art::MakeTrophy(out));
  for (const char* name :
       {"ball", "ball_mask", "pitch", "pitch_mask", "left_player", "left_player_mask",
        "right_player", "right_player_mask", "trophy", "trophy_mask"}) {
    const std::string file = std::string(name) + ".bmp";
    const std::vector<char> drawn = ReadFile(out + "/" + file);
    const std::vector<char> committed = ReadFile(std::string(KV_SOURCE_DIR) + "/res/" + file);
    EXPECT_FALSE(drawn.empty()) << file;
    EXPECT_TRUE(drawn == committed) << file << " differs from its source; run `make pictures`";
    std::remove((out + "/" + file).c_str());
  }
  rmdir(dir);
}

}  // namespace
