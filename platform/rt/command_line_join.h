// The program's arguments as the one command-line string that WinMain takes
// on Windows, quoted by the rules that Windows programs split it by.
#pragma once

#include <string>

namespace kv {
namespace rt {

// Joins argv[1..argc-1] (the program's name is not part of WinMain's
// command line) with blanks, quoting each argument that needs it so that
// splitting the result by the Windows rules gives the arguments back.
std::string JoinCommandLine(int argc, const char* const* argv);

}  // namespace rt
}  // namespace kv
