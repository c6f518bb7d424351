// The match's score, as a recording's end and a replay's summary give it.
// The platform cannot know what a program's score is: the program's entry
// installs a reader, and a session asks it as the program runs.
#pragma once

#include <cstdint>
#include <string>

namespace kv {
namespace record {

struct Score {
  int64_t left = -1, right = -1;  // -1: never read
};

// True with the score when the program has one now (a match under way),
// false before the first and after the last.
using ScoreReader = bool (*)(int64_t* left, int64_t* right);
void SetScoreReader(ScoreReader reader);

// Updates `*score` from the reader; leaves it as it was when there is no
// reader or no score now, so that it keeps the last score the program had.
void ReadScore(Score* score);

// "score 3-1", or "score unknown" when it was never read: a session whose
// reader never answered says so rather than print a made-up number.
std::string ScoreText(const Score& score);

}  // namespace record
}  // namespace kv
