// The game's pictures, each drawn from scratch. Every function writes its
// picture and mask as .bmp files into `dir` and returns false on a failure.
#pragma once

#include <string>

namespace art {

bool MakePitch(const std::string& dir);
bool MakeBall(const std::string& dir);
bool MakePlayers(const std::string& dir);
bool MakeTrophy(const std::string& dir);

}  // namespace art
