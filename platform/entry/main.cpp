// The program's entry point on this platform: the display backend is chosen
// here, above every backend (a recording or a replay puts itself between the
// program and the display), and the game's own entry function is WinMain, as
// on Windows, with the arguments joined into its one command line.
#include <cstdio>
#include <string>

#include "platform/backend.h"
#include "platform/entry/backends.h"
#include "platform/record/session.h"
#include "platform/rt/command_line_join.h"
#include "platform/rt/resources.h"
#include "platform/win32.h"

namespace {

// --scale N, as the game's command line reads it (1 to 4; its parser refuses
// anything else and the program ends before a window opens): the display
// backend needs it before it opens.
int ScaleArgument(int argc, char** argv) {
  int factor = 0;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    std::string value;
    if (arg == "--scale" && i + 1 < argc)
      value = argv[++i];
    else if (arg.compare(0, 8, "--scale=") == 0)
      value = arg.substr(8);
    else
      continue;
    factor = value.size() == 1 && value[0] >= '1' && value[0] <= '4' ? value[0] - '0' : 0;
  }
  return factor;
}

kv::Backend* OpenProgramBackend() { return kv::record::SessionBackend(&kv::OpenDisplayBackend); }

}  // namespace

int main(int argc, char** argv) {
  kv::SetDisplayScale(ScaleArgument(argc, argv));
  kv::SetBackendOpener(&OpenProgramBackend);
  std::string commandLine = kv::rt::JoinCommandLine(argc, argv);
  const int code = WinMain(kv::rt::ProgramInstance(), nullptr, &commandLine[0], SW_SHOWNORMAL);
  // A recording gets its trailer; a replay says how it compared.
  const kv::record::Outcome outcome = kv::record::EndSession(code);
  if (!outcome.line.empty()) std::printf("%s\n", outcome.line.c_str());
  return outcome.exitCode;
}
