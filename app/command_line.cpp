#include "app/command_line.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#ifndef KV_VERSION
#error "the build names the program's version (KV_VERSION, from the project's version)"
#endif
const char kProgramVersion[] = KV_VERSION;

namespace {

// One row per option. To add one: a field in Options, a function that stores
// its value (or none for a switch), and a row here; the parser, --help and
// the error messages all come from this table.
struct OptionSpec {
  const char* name;       // "--pace"
  const char* shortName;  // "-h" for the few that have one, else null
  const char* valueName;  // "N" for an option that takes a value, null for a switch
  const char* help;       // lines separated by '\n'
  CommandLineAction action;
  // Stores the value; false when the value is not acceptable. Null for
  // options that only choose the action.
  bool (*apply)(const std::string& value, Options* options);
  const char* valueRule;  // said after an unacceptable value
};

// A whole decimal number within [low, high]; no sign, blanks or other text.
bool ParseWhole(const std::string& text, int low, int high, int* out) {
  if (text.empty() || text.size() > 9) return false;
  long value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
  }
  if (value < low || value > high) return false;
  *out = static_cast<int>(value);
  return true;
}

bool ApplyPace(const std::string& value, Options* options) {
  return ParseWhole(value, 50, 10000, &options->pace);
}

// The recorder's options are acted on by the platform, which must start a
// recording before the program's first clock reading; here they are checked
// and documented with the rest.
bool ApplyRecord(const std::string& value, Options* options) {
  options->record = value;
  return !value.empty();
}

bool ApplyReplay(const std::string& value, Options* options) {
  options->replay = value;
  return !value.empty();
}

bool ApplyVerify(const std::string&, Options* options) {
  options->verify = true;
  return true;
}

// Acted on by the platform, which opens its windows at that size (the
// Windows build leaves scaling to the system); checked here.
bool ApplyScale(const std::string& value, Options* options) {
  return value.size() == 1 && ParseWhole(value, 1, 4, &options->scale);
}

const OptionSpec kOptions[] = {
    {"--pace", nullptr, "N",
     "run at most N frames per second, N from 50 to\n"
     "10000; without it frames run back to back, as\n"
     "fast as the machine allows. 500 plays Easy in\n"
     "real time",
     CommandLineAction::kRun, ApplyPace, "a whole number from 50 to 10000"},
    {"--record", nullptr, "FILE",
     "play, and write everything the game reads to\n"
     "FILE, so that the match can be replayed",
     CommandLineAction::kRun, ApplyRecord, "a file name"},
    {"--replay", nullptr, "FILE", "show the match recorded in FILE in the window",
     CommandLineAction::kRun, ApplyReplay, "a file name"},
    {"--verify", nullptr, nullptr,
     "with --replay: replay without a window as fast\n"
     "as possible and check the recorded outcome",
     CommandLineAction::kRun, ApplyVerify, nullptr},
    {"--scale", nullptr, "N",
     "show the windows N times larger (1 to 4; 1 is\n"
     "actual size); without it, twice or more as\n"
     "the desktop's Xft.dpi asks (192 and up). The\n"
     "Windows build ignores it: Windows scales the\n"
     "game itself",
     CommandLineAction::kRun, ApplyScale, "a whole number from 1 to 4"},
    {"--help", "-h", nullptr, "show this help and exit", CommandLineAction::kHelp, nullptr,
     nullptr},
    {"--version", "-V", nullptr, "show the version and exit", CommandLineAction::kVersion,
     nullptr, nullptr},
};

const OptionSpec* FindOption(const std::string& name) {
  for (const OptionSpec& option : kOptions)
    if (name == option.name || (option.shortName && name == option.shortName)) return &option;
  return nullptr;
}

CommandLineResult UsageError(const std::string& message) {
  CommandLineResult result;
  result.action = CommandLineAction::kUsageError;
  result.error = std::string(kProgramName) + ": " + message;
  return result;
}

// "  -h, --help" or "      --pace N": long names line up whether or not a
// short one stands before them.
std::string LeftColumn(const OptionSpec& option) {
  std::string left = option.shortName ? std::string("  ") + option.shortName + ", " : "      ";
  left += option.name;
  if (option.valueName) left += std::string(" ") + option.valueName;
  return left;
}

}  // namespace

std::vector<std::string> SplitCommandLine(const char* commandLine) {
  std::vector<std::string> args;
  if (!commandLine) return args;
  const char* p = commandLine;
  for (;;) {
    while (*p == ' ' || *p == '\t') ++p;
    if (!*p) break;
    std::string arg;
    bool quoted = false;
    while (*p && (quoted || (*p != ' ' && *p != '\t'))) {
      if (*p == '\\') {
        size_t slashes = 0;
        while (*p == '\\') {
          ++slashes;
          ++p;
        }
        if (*p == '"') {
          arg.append(slashes / 2, '\\');
          if (slashes % 2) {
            arg += '"';
            ++p;
          }
        } else {
          arg.append(slashes, '\\');
        }
      } else if (*p == '"') {
        if (quoted && p[1] == '"') {
          arg += '"';
          p += 2;
        } else {
          quoted = !quoted;
          ++p;
        }
      } else {
        arg += *p++;
      }
    }
    args.push_back(std::move(arg));
  }
  return args;
}

CommandLineResult ParseArguments(const std::vector<std::string>& args,
                                 const PlatformAbilities& platform) {
  CommandLineResult result;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg.empty() || arg[0] != '-') return UsageError("unexpected argument '" + arg + "'");
    // "--name=value" is the same as "--name value"; short options stand alone.
    const bool isLong = arg.size() > 2 && arg.compare(0, 2, "--") == 0;
    const size_t equals = isLong ? arg.find('=') : std::string::npos;
    const std::string name = arg.substr(0, equals);
    const OptionSpec* option = FindOption(name);
    if (!option) return UsageError("unknown option '" + name + "'");
    if (!option->valueName) {
      if (equals != std::string::npos) return UsageError("option '" + name + "' takes no value");
      if (option->action != CommandLineAction::kRun) {
        result.action = option->action;
        return result;
      }
      if (option->apply) option->apply(std::string(), &result.options);
      continue;
    }
    std::string value;
    if (equals != std::string::npos) {
      value = arg.substr(equals + 1);
    } else if (i + 1 < args.size()) {
      value = args[++i];
    } else {
      return UsageError("option '" + name + "' needs a value " + option->valueName);
    }
    if (!option->apply(value, &result.options))
      return UsageError("invalid value '" + value + "' for " + option->name + ": " +
                        option->valueRule);
  }
  // Refused rather than ignored: a recording that writes no file would be a
  // failure reported as success.
  if (!platform.records) {
    for (const auto& [given, name] : {std::pair<bool, const char*>{!result.options.record.empty(), "--record"},
                                      {!result.options.replay.empty(), "--replay"},
                                      {result.options.verify, "--verify"}}) {
      if (given) {
        return UsageError(std::string("option '") + name +
                          "' is not available in this build: recordings are made and "
                          "replayed by the Linux build");
      }
    }
  }
  if (!result.options.record.empty() && !result.options.replay.empty())
    return UsageError("--record and --replay cannot be given together");
  if (result.options.verify && result.options.replay.empty())
    return UsageError("--verify needs --replay FILE");
  return result;
}

std::vector<OptionSpelling> OptionSpellings() {
  std::vector<OptionSpelling> spellings;
  for (const OptionSpec& option : kOptions)
    spellings.push_back({option.name, option.shortName, option.valueName});
  return spellings;
}

std::string UsageText() {
  std::string text = std::string("Usage: ") + kProgramName + " [OPTION]...\n\nOptions:\n";
  size_t column = 0;
  for (const OptionSpec& option : kOptions) column = std::max(column, LeftColumn(option).size() + 2);
  for (const OptionSpec& option : kOptions) {
    std::string left = LeftColumn(option);
    left.resize(column, ' ');
    text += left;
    for (const char* c = option.help; *c; ++c) {
      text += *c;
      if (*c == '\n') text.append(column, ' ');
    }
    text += '\n';
  }
  return text;
}

std::string HelpText() {
  return std::string(kProgramTitle) +
         ": arcade football against the computer. Move the mouse to move\n"
         "the left player; the left button starts play, the right button pauses.\n\n" +
         UsageText();
}

std::string VersionText() { return std::string(kProgramTitle) + " " + kProgramVersion + "\n"; }

std::string UsageErrorText(const std::string& error) {
  return error + "\nTry '" + kProgramName + " --help' for more information.\n";
}

bool ReadCommandLine(const char* commandLine, const PlatformAbilities& platform, Options* options,
                     int* exitStatus) {
  const CommandLineResult result = ParseArguments(SplitCommandLine(commandLine), platform);
  switch (result.action) {
    case CommandLineAction::kRun:
      *options = result.options;
      return true;
    case CommandLineAction::kHelp:
      std::fputs(HelpText().c_str(), stdout);
      std::fflush(stdout);
      *exitStatus = 0;
      return false;
    case CommandLineAction::kVersion:
      std::fputs(VersionText().c_str(), stdout);
      std::fflush(stdout);
      *exitStatus = 0;
      return false;
    case CommandLineAction::kUsageError:
      std::fputs(UsageErrorText(result.error).c_str(), stderr);
      std::fflush(stderr);
      *exitStatus = kExitUsage;
      return false;
  }
  *exitStatus = kExitUsage;
  return false;
}
