// What the entry tells the platform about the program: its names and
// version, and the match's score read from the game itself.
#include <gtest/gtest.h>

#include "app/command_line.h"
#include "platform/entry/program.h"
#include "platform/record/score.h"
#include "platform/rt/program.h"
#include "tests/render/headless_game.h"

namespace {

TEST(Program, IsDescribedWithTheGamesOwnNamesAndVersion) {
  kv::entry::InstallProgram();
  const kv::rt::ProgramDescription& program = kv::rt::Program();
  EXPECT_STREQ(program.name, "kelvara");
  EXPECT_STREQ(program.title, "Kelvara");
  EXPECT_STREQ(program.version, kProgramVersion);
  EXPECT_STRNE(program.version, "");
}

class MatchScore : public crafted::HeadlessGame {};

// The score is the match's numbers, whatever the scene draws of them, and
// it outlives the match: the window is gone by the time a session ends.
TEST_F(MatchScore, IsReadFromTheMatchAndKeptOnceItIsGone) {
  kv::entry::InstallProgram();
  kv::record::Score score;
  ASSERT_NE(gMatch, nullptr);
  kv::record::ReadScore(&score);
  EXPECT_EQ(kv::record::ScoreText(score), "score 0-0");

  gMatch->leftScore = 3;
  gMatch->rightScore = 12;
  kv::record::ReadScore(&score);
  EXPECT_EQ(score.left, 3);
  EXPECT_EQ(score.right, 12);

  DestroyWindow(gWindow);
  crafted::DispatchPending();
  ASSERT_EQ(gMatch, nullptr);
  kv::record::ReadScore(&score);
  EXPECT_EQ(kv::record::ScoreText(score), "score 3-12");
}

}  // namespace
