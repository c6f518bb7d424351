// The command line: splitting WinMain's string as Windows does, the joining
// on Linux that must give the same arguments back, and the options.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/command_line.h"
#include "platform/rt/command_line_join.h"

namespace {

using Args = std::vector<std::string>;

std::string Join(const Args& args) {
  std::vector<const char*> argv{"kelvara"};
  for (const std::string& a : args) argv.push_back(a.c_str());
  return kv::rt::JoinCommandLine(static_cast<int>(argv.size()), argv.data());
}

TEST(SplitCommandLine, FollowsTheWindowsRules) {
  EXPECT_EQ(SplitCommandLine(nullptr), Args{});
  EXPECT_EQ(SplitCommandLine(""), Args{});
  EXPECT_EQ(SplitCommandLine("  \t "), Args{});
  EXPECT_EQ(SplitCommandLine("--pace  500\t--help"), (Args{"--pace", "500", "--help"}));
  EXPECT_EQ(SplitCommandLine("\"a b\" c"), (Args{"a b", "c"}));
  EXPECT_EQ(SplitCommandLine("\"\""), Args{""});
  // Backslashes are literal unless a quote follows.
  EXPECT_EQ(SplitCommandLine("a\\\\b"), Args{"a\\\\b"});
  EXPECT_EQ(SplitCommandLine("a\\\"b"), Args{"a\"b"});            // a\"b
  EXPECT_EQ(SplitCommandLine("a\\\\\"b c\""), Args{"a\\b c"});     // a\\"b c"
  EXPECT_EQ(SplitCommandLine("a\\\\\\\"b"), Args{"a\\\"b"});       // a\\\"b
  EXPECT_EQ(SplitCommandLine("\"a\"\"b\""), Args{"a\"b"});         // "" inside a group
  EXPECT_EQ(SplitCommandLine("\"unclosed group"), Args{"unclosed group"});
}

TEST(JoinCommandLine, SplitsBackIntoTheSameArguments) {
  const std::vector<Args> cases = {
      {},
      {"--pace", "500"},
      {""},
      {"with space", "tab\there"},
      {"quote\"inside", "\"", "\"\""},
      {"trailing\\", "trailing space\\", "C:\\dir with space\\"},
      {"back\\\\\"slashes", "\\\\server\\share", "\\"},
      {"--record=/tmp/a b/c.rec", "ünïcode bytes"},
  };
  for (const Args& args : cases) {
    const std::string line = Join(args);
    EXPECT_EQ(SplitCommandLine(line.c_str()), args) << "joined as [" << line << "]";
  }
  EXPECT_EQ(Join({"--pace", "500"}), "--pace 500");
}

CommandLineResult Parse(const Args& args) { return ParseArguments(args); }

TEST(ParseArguments, PaceTakesAWholeNumberFrom50To10000) {
  EXPECT_EQ(Parse({}).action, CommandLineAction::kRun);
  EXPECT_EQ(Parse({}).options.pace, 0);
  for (auto [text, value] : {std::pair<const char*, int>{"50", 50}, {"500", 500},
                             {"10000", 10000}, {"0500", 500}}) {
    CommandLineResult r = Parse({"--pace", text});
    EXPECT_EQ(r.action, CommandLineAction::kRun) << text;
    EXPECT_EQ(r.options.pace, value) << text;
    r = Parse({std::string("--pace=") + text});
    EXPECT_EQ(r.options.pace, value) << text;
  }
  EXPECT_EQ(Parse({"--pace", "60", "--pace", "70"}).options.pace, 70);

  for (const char* bad : {"49", "10001", "0", "-500", "+500", "5e2", "500x", " 500", "",
                          "99999999999999999999", "abc"}) {
    CommandLineResult r = Parse({"--pace", bad});
    EXPECT_EQ(r.action, CommandLineAction::kUsageError) << bad;
    EXPECT_EQ(r.error, std::string("kelvara: invalid value '") + bad +
                           "' for --pace: a whole number from 50 to 10000");
  }
  CommandLineResult missing = Parse({"--pace"});
  EXPECT_EQ(missing.action, CommandLineAction::kUsageError);
  EXPECT_EQ(missing.error, "kelvara: option '--pace' needs a value N");
}

TEST(ParseArguments, NamesWhatItDoesNotKnow) {
  EXPECT_EQ(Parse({"--bogus"}).error, "kelvara: unknown option '--bogus'");
  EXPECT_EQ(Parse({"--bogus=3"}).error, "kelvara: unknown option '--bogus'");
  EXPECT_EQ(Parse({"-x"}).error, "kelvara: unknown option '-x'");
  EXPECT_EQ(Parse({"--"}).error, "kelvara: unknown option '--'");
  EXPECT_EQ(Parse({"match.rec"}).error, "kelvara: unexpected argument 'match.rec'");
  EXPECT_EQ(Parse({"--help=yes"}).error, "kelvara: option '--help' takes no value");
  EXPECT_EQ(Parse({"-"}).error, "kelvara: unknown option '-'");
  EXPECT_EQ(Parse({""}).error, "kelvara: unexpected argument ''");
  // The first problem is the one reported, and it stops the parse.
  EXPECT_EQ(Parse({"--pace", "1", "--bogus"}).error,
            "kelvara: invalid value '1' for --pace: a whole number from 50 to 10000");
}

TEST(ParseArguments, HelpAndVersionEndTheParse) {
  EXPECT_EQ(Parse({"--help"}).action, CommandLineAction::kHelp);
  EXPECT_EQ(Parse({"--version"}).action, CommandLineAction::kVersion);
  EXPECT_EQ(Parse({"--pace", "500", "--version", "--bogus"}).action, CommandLineAction::kVersion);
  EXPECT_EQ(Parse({"--bogus", "--help"}).action, CommandLineAction::kUsageError);
  EXPECT_EQ(VersionText(), std::string("Kelvara ") + kProgramVersion + "\n");
}

// The two short spellings people try first; nothing else is short, and a
// short option stands alone.
TEST(ParseArguments, TakesDashHForHelpAndDashCapitalVForVersion) {
  EXPECT_EQ(Parse({"-h"}).action, CommandLineAction::kHelp);
  EXPECT_EQ(Parse({"-V"}).action, CommandLineAction::kVersion);
  EXPECT_EQ(Parse({"--pace", "500", "-V"}).action, CommandLineAction::kVersion);
  EXPECT_EQ(Parse({"-H"}).error, "kelvara: unknown option '-H'");
  EXPECT_EQ(Parse({"-v"}).error, "kelvara: unknown option '-v'");
  EXPECT_EQ(Parse({"-hV"}).error, "kelvara: unknown option '-hV'");
  EXPECT_EQ(Parse({"-h=1"}).error, "kelvara: unknown option '-h=1'");
  EXPECT_EQ(Parse({"--h"}).error, "kelvara: unknown option '--h'");
  EXPECT_EQ(Parse({"--V"}).error, "kelvara: unknown option '--V'");
}

TEST(UsageText, ListsEveryOptionInItsColumns) {
  const std::string usage = UsageText();
  EXPECT_EQ(usage.rfind("Usage: kelvara [OPTION]...\n", 0), 0u) << usage;
  // Long names line up, after the short name where there is one.
  EXPECT_NE(usage.find("\n      --pace N       run at most N frames per second"),
            std::string::npos)
      << usage;
  EXPECT_NE(usage.find("\n      --record FILE  play, and write"), std::string::npos) << usage;
  EXPECT_NE(usage.find("\n  -h, --help         show this help and exit\n"), std::string::npos)
      << usage;
  EXPECT_NE(usage.find("\n  -V, --version      show the version and exit\n"), std::string::npos)
      << usage;
  // Continuation lines of a help text start in the same column.
  EXPECT_NE(usage.find("\n                     10000; without it"), std::string::npos) << usage;
}

// A refused command line is answered in two lines, not the whole usage.
TEST(UsageErrorText, IsTheProblemAndWhereToLook) {
  EXPECT_EQ(UsageErrorText(Parse({"--bogus"}).error),
            "kelvara: unknown option '--bogus'\n"
            "Try 'kelvara --help' for more information.\n");
}

}  // namespace

// The recorder's options are checked here although the platform acts on them:
// a file name each, --verify only with a replay, never both at once.
TEST(RecorderOptions, AreCheckedWithTheRest) {
  CommandLineResult r = Parse({"--record", "match.kvr", "--pace=500"});
  ASSERT_EQ(r.action, CommandLineAction::kRun);
  EXPECT_EQ(r.options.record, "match.kvr");
  EXPECT_EQ(r.options.pace, 500);
  r = Parse({"--replay=match.kvr", "--verify"});
  ASSERT_EQ(r.action, CommandLineAction::kRun);
  EXPECT_EQ(r.options.replay, "match.kvr");
  EXPECT_TRUE(r.options.verify);
  EXPECT_EQ(Parse({"--verify"}).error, "kelvara: --verify needs --replay FILE");
  EXPECT_EQ(Parse({"--record", "a", "--replay", "b"}).error,
            "kelvara: --record and --replay cannot be given together");
  EXPECT_EQ(Parse({"--record="}).error, "kelvara: invalid value '' for --record: a file name");
  EXPECT_EQ(Parse({"--replay"}).error, "kelvara: option '--replay' needs a value FILE");
}

// A platform that cannot record refuses the recorder's options by name (a
// recording that writes no file would be a failure said as success), and
// still takes the rest; --scale among them, which it may ignore.
TEST(RecorderOptions, AreRefusedWhereThePlatformCannotRecord) {
  PlatformAbilities windows;
  windows.records = false;
  for (const std::vector<std::string>& args :
       std::vector<std::vector<std::string>>{{"--record", "m.kvr"},
                                             {"--pace", "500", "--replay=m.kvr"},
                                             {"--replay", "m.kvr", "--verify"}}) {
    const CommandLineResult r = ParseArguments(args, windows);
    EXPECT_EQ(r.action, CommandLineAction::kUsageError) << args[0];
    EXPECT_EQ(r.error, "kelvara: option '" + std::string(args[0] == "--pace" ? "--replay" : args[0]) +
                           "' is not available in this build: recordings are made and replayed "
                           "by the Linux build");
  }
  EXPECT_EQ(ParseArguments({"--verify"}, windows).action, CommandLineAction::kUsageError);
  const CommandLineResult r = ParseArguments({"--scale", "2", "--pace", "60"}, windows);
  ASSERT_EQ(r.action, CommandLineAction::kRun) << r.error;
  EXPECT_EQ(r.options.scale, 2);
  Options options;
  int status = -1;
  EXPECT_FALSE(ReadCommandLine("--record m.kvr", windows, &options, &status));
  EXPECT_EQ(status, kExitUsage);
  EXPECT_TRUE(ReadCommandLine("--record m.kvr", PlatformAbilities(), &options, &status));
}

// --scale is acted on by the platform; here a factor from 1 to 4 is taken
// and anything else refused, as the platform reads it.
TEST(ScaleOption, TakesAFactorFrom1To4) {
  EXPECT_EQ(Parse({}).options.scale, 0);
  for (int factor = 1; factor <= 4; ++factor) {
    const std::string text = std::to_string(factor);
    EXPECT_EQ(Parse({"--scale", text}).options.scale, factor);
    EXPECT_EQ(Parse({"--scale=" + text}).options.scale, factor);
  }
  for (const char* bad : {"0", "5", "-1", "2.0", "02", "x", "", " 2", "10"}) {
    CommandLineResult r = Parse({"--scale", bad});
    EXPECT_EQ(r.action, CommandLineAction::kUsageError) << bad;
    EXPECT_EQ(r.error, std::string("kelvara: invalid value '") + bad +
                           "' for --scale: a whole number from 1 to 4");
  }
  Options options;
  int status = -1;
  EXPECT_FALSE(ReadCommandLine("--scale 5", PlatformAbilities(), &options, &status));
  EXPECT_EQ(status, kExitUsage);
  EXPECT_NE(UsageText().find("Windows build ignores it"), std::string::npos);
}
