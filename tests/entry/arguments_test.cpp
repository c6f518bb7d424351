// The entry reads the arguments with the game's own parser and hands the
// platform plain settings; the platform names no option the parser lacks.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "platform/entry/arguments.h"

namespace kv {
namespace entry {
namespace {

using record::Mode;

ProgramArguments Read(std::vector<const char*> args) {
  args.insert(args.begin(), "kelvara");
  return ReadProgramArguments(static_cast<int>(args.size()), args.data());
}

TEST(ProgramArguments, GiveEachPartOfThePlatformItsSettings) {
  ProgramArguments a = Read({});
  EXPECT_EQ(a.parsed.action, CommandLineAction::kRun);
  EXPECT_EQ(a.session.mode, Mode::kOff);
  EXPECT_EQ(a.displayScale, 0);

  for (auto args : {std::vector<const char*>{"--record", "a b.kvr"}, {"--record=a b.kvr"},
                    {"--pace", "500", "--record", "a b.kvr", "--scale=2"}}) {
    a = Read(args);
    EXPECT_EQ(a.session.mode, Mode::kRecord) << args[0];
    EXPECT_EQ(a.session.path, "a b.kvr") << args[0];
  }
  EXPECT_EQ(a.displayScale, 2);
  // A recording keeps the command line the program is given (its pace).
  EXPECT_EQ(a.session.commandLine, "--pace 500 --record \"a b.kvr\" --scale=2");

  a = Read({"--replay", "m.kvr"});
  EXPECT_EQ(a.session.mode, Mode::kReplayWindow);
  EXPECT_EQ(a.session.path, "m.kvr");
  a = Read({"--verify", "--replay=m.kvr", "--scale", "3"});
  EXPECT_EQ(a.session.mode, Mode::kReplayVerify);
  EXPECT_EQ(a.session.path, "m.kvr");
  EXPECT_EQ(a.displayScale, 3);

  // The value of an option is never read as an option of its own.
  a = Read({"--record", "--verify"});
  EXPECT_EQ(a.session.mode, Mode::kRecord);
  EXPECT_EQ(a.session.path, "--verify");
}

// A command line the program will refuse, or --help and --version, starts
// nothing: no file is read or made, no display is set up.
TEST(ProgramArguments, ARefusedLineOrHelpStartsNothing) {
  for (auto args : {std::vector<const char*>{"--record", "a.kvr", "--bogus"},
                    {"--replay", "a.kvr", "--pace", "3"},
                    {"--replay", "a.kvr", "--record", "b.kvr"},
                    {"--scale", "2", "--replay"},
                    {"--record", "a.kvr", "-h"},
                    {"--replay=a.kvr", "--scale=4", "--version"}}) {
    const ProgramArguments a = Read(args);
    EXPECT_NE(a.parsed.action, CommandLineAction::kRun) << args[0] << " " << args[1];
    EXPECT_EQ(a.session.mode, Mode::kOff) << args[0] << " " << args[1];
    EXPECT_EQ(a.displayScale, 0) << args[0] << " " << args[1];
  }
}

std::string Slurp(const std::filesystem::path& path) {
  std::ifstream in(path);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The string literals of a C++ source, comments skipped (a comment may quote
// an option of another program's syntax, or one that is gone).
std::vector<std::string> StringLiterals(const std::string& text) {
  std::vector<std::string> literals;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text.compare(i, 2, "//") == 0) {
      i = text.find('\n', i);
      if (i == std::string::npos) break;
    } else if (text.compare(i, 2, "/*") == 0) {
      i = text.find("*/", i + 2);
      if (i == std::string::npos) break;
      ++i;
    } else if (text[i] == '"' || text[i] == '\'') {
      const char quote = text[i];
      std::string literal;
      for (++i; i < text.size() && text[i] != quote; ++i) {
        if (text[i] == '\\' && i + 1 < text.size()) literal += text[i++];
        literal += text[i];
      }
      if (quote == '"') literals.push_back(literal);
    }
  }
  return literals;
}

// What the platform says to a person may name options ("needs --replay",
// "with --pace"): each must be one the parser accepts, spelled the same, so
// that renaming an option cannot leave the platform speaking of the old one.
TEST(PlatformMessages, NameOnlyOptionsTheParserAccepts) {
  std::set<std::string> accepted;
  for (const OptionSpelling& option : OptionSpellings()) accepted.insert(option.name);

  const std::regex option(R"((^|[^-\w])(--[a-z][a-z-]*))");
  int files = 0;
  for (const auto& entry :
       std::filesystem::recursive_directory_iterator(KV_SOURCE_DIR "/platform")) {
    const std::string ext = entry.path().extension().string();
    if (ext != ".cpp" && ext != ".h") continue;
    ++files;
    for (const std::string& quoted : StringLiterals(Slurp(entry.path()))) {
      for (std::sregex_iterator o(quoted.begin(), quoted.end(), option), end; o != end; ++o) {
        EXPECT_TRUE(accepted.count((*o)[2])) << entry.path() << " names " << (*o)[2]
                                             << ", which the parser does not accept";
      }
    }
  }
  EXPECT_GT(files, 50);
}

}  // namespace
}  // namespace entry
}  // namespace kv
