// The program's entry point on this platform: the display backend is chosen
// here, above every backend, and the game's own entry function is WinMain,
// as on Windows, with the arguments joined into its one command line.
#include <string>

#include "platform/backend.h"
#include "platform/entry/backends.h"
#include "platform/rt/command_line_join.h"
#include "platform/rt/resources.h"
#include "platform/win32.h"

int main(int argc, char** argv) {
  kv::SetBackendOpener(&kv::OpenDisplayBackend);
  std::string commandLine = kv::rt::JoinCommandLine(argc, argv);
  return WinMain(kv::rt::ProgramInstance(), nullptr, &commandLine[0], SW_SHOWNORMAL);
}
