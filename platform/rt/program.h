// What the platform knows of the program it runs, handed down by the
// program's entry: no layer below the entry names the program itself.
#pragma once

namespace kv {
namespace rt {

struct ProgramDescription {
  // The command's name: the first word of every message the platform writes,
  // and the instance part of a window's class.
  const char* name = "program";
  // The name people know it by: the class part of a window's class, and with
  // the version the writer a recording names.
  const char* title = "Program";
  const char* version = "";
};

// Installed by the entry before anything else runs; the strings must live as
// long as the program.
void SetProgramDescription(const ProgramDescription& description);
const ProgramDescription& Program();

// One line on standard error: the program's name, a colon, the text.
void Say(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace rt
}  // namespace kv
