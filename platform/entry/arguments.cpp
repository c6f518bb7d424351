#include "platform/entry/arguments.h"

#include <string>
#include <vector>

#include "platform/rt/command_line_join.h"

namespace kv {
namespace entry {

ProgramArguments ReadProgramArguments(int argc, const char* const* argv) {
  ProgramArguments arguments;
  std::vector<std::string> args;
  for (int i = 1; i < argc && argv && argv[i]; ++i) args.emplace_back(argv[i]);
  arguments.parsed = ParseArguments(args);
  if (arguments.parsed.action != CommandLineAction::kRun) return arguments;

  const Options& options = arguments.parsed.options;
  if (!options.record.empty()) {
    arguments.session = {record::Mode::kRecord, options.record, rt::JoinCommandLine(argc, argv)};
  } else if (!options.replay.empty()) {
    arguments.session = {options.verify ? record::Mode::kReplayVerify : record::Mode::kReplayWindow,
                         options.replay, std::string()};
  }
  arguments.displayScale = options.scale;
  return arguments;
}

}  // namespace entry
}  // namespace kv
