#include "platform/entry/early_start.h"

#include <cstdlib>
#include <string>

#include "platform/entry/program.h"
#include "platform/rt/cut_short.h"
#include "platform/rt/program.h"

namespace kv {
namespace entry {

namespace {

bool gStarted = false;

// However the program is cut short (a stop signal, its display gone), a
// recording gets its end first: the layers below reach the session only
// through this hook.
void CutShort(int signal) { record::CutSessionShort(signal); }

ProgramArguments& Arguments() {
  static ProgramArguments arguments;
  return arguments;
}

void Start(int argc, const char* const* argv) {
  gStarted = true;
  InstallProgram();
  rt::SetCutShortHook(&CutShort);
  ProgramArguments& arguments = Arguments();
  arguments = ReadProgramArguments(argc, argv);
  std::string error;
  if (!record::StartSession(arguments.session, &error)) {
    rt::Say("%s: %s", arguments.session.path.c_str(), error.c_str());
    std::_Exit(record::kExitBadFile);
  }
}

#if defined(__GLIBC__)
// glibc calls every function in .init_array with the program's argc, argv
// and envp. Priority 101 puts this one before the constructors of the
// game's static objects, which have none.
void StartEarly(int argc, char** argv, char**) { Start(argc, argv); }
__attribute__((section(".init_array.00101"), used)) void (*gStartEarly)(int, char**, char**) =
    &StartEarly;
#endif

}  // namespace

const ProgramArguments& ArgumentsOfThisRun(int argc, char** argv) {
  if (!gStarted) Start(argc, argv);
  return Arguments();
}

}  // namespace entry
}  // namespace kv
