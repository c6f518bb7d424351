// The program's entry point on this platform: the game's own entry function
// is WinMain, as on Windows.
#include <string>

#include "platform/rt/command_line_join.h"
#include "platform/rt/resources.h"
#include "platform/win32.h"

int main(int argc, char** argv) {
  std::string commandLine = kv::rt::JoinCommandLine(argc, argv);
  return WinMain(kv::rt::ProgramInstance(), nullptr, &commandLine[0], SW_SHOWNORMAL);
}
