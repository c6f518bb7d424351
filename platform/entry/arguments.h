// The program's arguments, read once with the game's own parser, and what
// each part of the platform is told of them: plain settings, never the
// arguments themselves.
#pragma once

#include "app/command_line.h"
#include "platform/record/session.h"

namespace kv {
namespace entry {

struct ProgramArguments {
  CommandLineResult parsed;         // what the parser made of argv[1..]
  // Set only when the parser accepts the whole command line: a refused one,
  // --help or --version starts nothing.
  record::SessionSettings session;  // --record FILE, --replay FILE [--verify]
  int displayScale = 0;             // --scale N; 0 lets the desktop decide
};

ProgramArguments ReadProgramArguments(int argc, const char* const* argv);

}  // namespace entry
}  // namespace kv
