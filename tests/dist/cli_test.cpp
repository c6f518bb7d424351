// The command line of the real program: texts, exit statuses, and that help,
// version and errors never open a window (no display is given at all).
#include <gtest/gtest.h>

#include <string>

#include "process.h"

namespace {

using kv_e2e::CommandResult;
using kv_e2e::Run;

CommandResult Kelvara(std::vector<std::string> args) {
  args.insert(args.begin(), KV_KELVARA_PATH);
  // Without a display a window could not open: the program would end with
  // its window-creation failure instead of these answers.
  return Run(args, {{"DISPLAY", std::nullopt}, {"WAYLAND_DISPLAY", std::nullopt},
                    {"KELVARA_BACKEND", std::nullopt}}, 20000);
}

TEST(CommandLine, HelpAndVersionAnswerOnStandardOutput) {
  CommandResult help = Kelvara({"--help"});
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_NE(help.out.find("Usage: kelvara [OPTION]...\n"), std::string::npos) << help.out;
  for (const char* option : {"--pace N ", "--record FILE ", "--replay FILE ", "--verify ",
                             "--scale N ", "-h, --help ", "-V, --version "})
    EXPECT_NE(help.out.find(option), std::string::npos) << option << "\n" << help.out;
  EXPECT_EQ(help.err, "");
  EXPECT_EQ(Kelvara({"-h"}).out, help.out);

  CommandResult version = Kelvara({"--version"});
  EXPECT_EQ(version.exitCode, 0);
  EXPECT_EQ(version.out, "Kelvara " KV_VERSION "\n");
  EXPECT_EQ(version.err, "");
  EXPECT_EQ(Kelvara({"-V"}).out, version.out);
}

// Without a display the game cannot start: a failed start is 1, and the
// platform's message wears the program's name like every other.
TEST(CommandLine, NoDisplayIsAFailedStartWithOne) {
  CommandResult r = Kelvara({"--pace", "500"});
  EXPECT_EQ(r.exitCode, 1) << r.err;
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err.rfind("kelvara: cannot open display \"\" (DISPLAY is not set)\n", 0), 0u)
      << r.err;
}

TEST(CommandLine, BadOptionsAndValuesExitTwoWithOneLineAndAHint) {
  struct Case {
    std::vector<std::string> args;
    std::string firstLine;
  };
  const Case cases[] = {
      {{"--bogus"}, "kelvara: unknown option '--bogus'"},
      {{"--pace", "49"}, "kelvara: invalid value '49' for --pace: a whole number from 50 to 10000"},
      {{"--pace=fast"},
       "kelvara: invalid value 'fast' for --pace: a whole number from 50 to 10000"},
      {{"--pace"}, "kelvara: option '--pace' needs a value N"},
      {{"two words"}, "kelvara: unexpected argument 'two words'"},
      {{"-x"}, "kelvara: unknown option '-x'"},
  };
  for (const Case& c : cases) {
    CommandResult r = Kelvara(c.args);
    EXPECT_EQ(r.exitCode, 2) << c.firstLine;
    EXPECT_EQ(r.out, "") << c.firstLine;
    EXPECT_EQ(r.err, c.firstLine + "\nTry 'kelvara --help' for more information.\n");
  }
}

}  // namespace
