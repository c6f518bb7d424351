// The program's command line: the options a player may give, read from the
// one string that WinMain receives (on Linux, platform/rt joins argv into it
// with the same quoting rules). Standard C++ only, so both builds share it.
#pragma once

#include <string>
#include <vector>

// What the options ask for. A field's zero value means "not given".
struct Options {
  int pace = 0;  // frames per second at most; 0 runs frames back to back
  std::string record;  // --record FILE
  std::string replay;  // --replay FILE
  bool verify = false; // with --replay: headless, check the outcome
  int scale = 0;        // --scale N: show windows N times larger (acted on by the platform)
};

enum class CommandLineAction {
  kRun,         // start the game with the options
  kHelp,        // print the help text, exit 0
  kVersion,     // print the version line, exit 0
  kUsageError,  // print the error line and the usage, exit 2
};

struct CommandLineResult {
  CommandLineAction action = CommandLineAction::kRun;
  Options options;
  std::string error;  // one line naming the bad option or value
};

constexpr int kExitUsage = 2;

// Splits a command line into arguments by the Windows rules: blanks separate,
// double quotes group, backslashes are literal except before a quote (2n
// backslashes and a quote: n backslashes, the quote groups; 2n+1: n and a
// literal quote), and "" inside a group is one literal quote.
std::vector<std::string> SplitCommandLine(const char* commandLine);

CommandLineResult ParseArguments(const std::vector<std::string>& args);

std::string UsageText();    // "Usage: kelvara [OPTION]..." and the options
std::string VersionText();  // "Kelvara 1.0"

// Parses WinMain's command line; for help, version and errors prints the
// text (stdout for the first two, stderr for an error) and stores the exit
// status. True when the game should start with `*options`.
bool ReadCommandLine(const char* commandLine, Options* options, int* exitStatus);
