#include "platform/rt/program.h"

#include <cstdarg>
#include <cstdio>
#include <string>

namespace kv {
namespace rt {

namespace {
ProgramDescription gProgram;
}  // namespace

void SetProgramDescription(const ProgramDescription& description) { gProgram = description; }

const ProgramDescription& Program() { return gProgram; }

void Say(const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list again;
  va_copy(again, args);
  const int size = std::vsnprintf(nullptr, 0, format, args);
  va_end(args);
  std::string text(size > 0 ? static_cast<size_t>(size) : 0, '\0');
  if (size > 0) std::vsnprintf(&text[0], text.size() + 1, format, again);
  va_end(again);
  // One write for the whole line, so that it is not interleaved with
  // another stream's output.
  const std::string line = std::string(gProgram.name) + ": " + text + "\n";
  std::fputs(line.c_str(), stderr);
  std::fflush(stderr);
}

}  // namespace rt
}  // namespace kv
