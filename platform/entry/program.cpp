#include "platform/entry/program.h"

#include "app/command_line.h"
#include "platform/record/score.h"
#include "platform/rt/program.h"
#include "sim/match.h"
#include "state/globals.h"

namespace kv {
namespace entry {

namespace {

// The match's own numbers, not the text drawn from them: a score line
// worded differently changes nothing here. There is no match before the
// window is made and none once it is destroyed.
bool ReadMatchScore(int64_t* left, int64_t* right) {
  if (!gMatch) return false;
  *left = gMatch->leftScore;
  *right = gMatch->rightScore;
  return true;
}

}  // namespace

void InstallProgram() {
  rt::ProgramDescription program;
  program.name = kProgramName;
  program.title = kProgramTitle;
  program.version = kProgramVersion;
  rt::SetProgramDescription(program);
  record::SetScoreReader(&ReadMatchScore);
}

}  // namespace entry
}  // namespace kv
