// The program the platform runs, described to it from here: the entry sits
// above both the game and the platform, so it is the one place that may
// read the game's own names and state on the platform's behalf.
#pragma once

namespace kv {
namespace entry {

// Hands the platform the program's name, title and version, and the reader
// a recording session asks for the match's score. Called first thing.
void InstallProgram();

}  // namespace entry
}  // namespace kv
