#include "platform/record/score.h"

namespace kv {
namespace record {

namespace {
ScoreReader gReader = nullptr;
}  // namespace

void SetScoreReader(ScoreReader reader) { gReader = reader; }

void ReadScore(Score* score) {
  int64_t left = 0, right = 0;
  if (gReader && gReader(&left, &right)) {
    score->left = left;
    score->right = right;
  }
}

std::string ScoreText(const Score& score) {
  if (score.left < 0 || score.right < 0) return "score unknown";
  return "score " + std::to_string(score.left) + "-" + std::to_string(score.right);
}

}  // namespace record
}  // namespace kv
