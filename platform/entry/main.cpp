// The program's entry point on this platform: the arguments were read
// before static initialisation (early_start.cpp), each part of the platform
// gets its settings here, the display backend is chosen above every backend
// (a recording or a replay puts itself between the program and the display),
// and the game's own entry function is WinMain, as on Windows, with the
// arguments joined into its one command line.
#include <cstdio>
#include <string>

#include "platform/backend.h"
#include "platform/entry/backends.h"
#include "platform/entry/early_start.h"
#include "platform/record/session.h"
#include "platform/rt/command_line_join.h"
#include "platform/rt/resources.h"
#include "platform/win32.h"

namespace {

kv::Backend* OpenProgramBackend() { return kv::record::SessionBackend(&kv::OpenDisplayBackend); }

}  // namespace

int main(int argc, char** argv) {
  const kv::entry::ProgramArguments& arguments = kv::entry::ArgumentsOfThisRun(argc, argv);
  kv::SetDisplayScale(arguments.displayScale);
  kv::SetBackendOpener(&OpenProgramBackend);
  // A replay runs the program with the command line it was recorded with.
  const std::string* recorded = kv::record::RecordedCommandLine();
  std::string commandLine = recorded ? *recorded : kv::rt::JoinCommandLine(argc, argv);
  const int code = WinMain(kv::rt::ProgramInstance(), nullptr, &commandLine[0], SW_SHOWNORMAL);
  // A recording gets its trailer; a replay says how it compared.
  const kv::record::Outcome outcome = kv::record::EndSession(code);
  if (!outcome.line.empty()) std::printf("%s\n", outcome.line.c_str());
  return outcome.exitCode;
}
