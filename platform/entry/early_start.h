// The start of the program, before its static initialisation: the game's
// static objects read the clock, and a recording must have those readings.
#pragma once

#include "platform/entry/arguments.h"

namespace kv {
namespace entry {

// The arguments of this run as the early start read them (it also described
// the program to the platform and started any recording or replay). Where
// nothing ran that early, all that is done now.
const ProgramArguments& ArgumentsOfThisRun(int argc, char** argv);

}  // namespace entry
}  // namespace kv
