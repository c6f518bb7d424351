// The program's command line: one table of options and one parser. The
// game's WinMain reads its own string with it (on Windows nothing else
// does); on Linux the program's entry reads the arguments with the same
// parser before anything starts, since a recording must begin before the
// first clock reading. Standard C++ only, so every build shares it.
#pragma once

#include <string>
#include <vector>

// The command (and the prefix of every message the program writes) and the
// name people know the program by (the version line, the window class, the
// writer a recording names).
constexpr char kProgramName[] = "kelvara";
constexpr char kProgramTitle[] = "Kelvara";
// "1.0": the build takes it from the one place it is written, the project's
// version in CMakeLists.txt.
extern const char kProgramVersion[];

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
  kUsageError,  // print the error line and the hint, exit 2
};

struct CommandLineResult {
  CommandLineAction action = CommandLineAction::kRun;
  Options options;
  std::string error;  // one line naming the bad option or value
};

constexpr int kExitUsage = 2;

// An option as the table spells it, for what must agree with the table: the
// manual page, the README, and the platform's messages.
struct OptionSpelling {
  const char* name;       // "--pace"
  const char* shortName;  // "-h", or null
  const char* valueName;  // "N", or null for a switch
};
std::vector<OptionSpelling> OptionSpellings();

// Splits a command line into arguments by the Windows rules: blanks separate,
// double quotes group, backslashes are literal except before a quote (2n
// backslashes and a quote: n backslashes, the quote groups; 2n+1: n and a
// literal quote), and "" inside a group is one literal quote.
std::vector<std::string> SplitCommandLine(const char* commandLine);

// What the platform the program runs on can do besides the game itself.
struct PlatformAbilities {
  // Records and replays runs (--record, --replay, --verify): the Linux
  // platform does, at its seam under the game; Windows' own has none.
  bool records = true;
};

CommandLineResult ParseArguments(const std::vector<std::string>& args,
                                 const PlatformAbilities& platform = PlatformAbilities());

std::string UsageText();    // "Usage: kelvara [OPTION]..." and the options
std::string HelpText();     // a line on the game, then the usage
std::string VersionText();  // "Kelvara 1.0"
// What a refused command line prints on standard error: the problem, and
// where to look for the options.
std::string UsageErrorText(const std::string& error);

// Parses WinMain's command line; for help, version and errors prints the
// text (stdout for the first two, stderr for an error) and stores the exit
// status. True when the game should start with `*options`.
bool ReadCommandLine(const char* commandLine, const PlatformAbilities& platform, Options* options,
                     int* exitStatus);
