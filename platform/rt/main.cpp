// The program's entry point on this platform: the game's own entry function
// is WinMain, as on Windows.
#include <cstdio>

#include "platform/record/session.h"
#include "platform/rt/resources.h"
#include "platform/win32.h"

int main() {
  char commandLine[] = "";
  const int code = WinMain(kv::rt::ProgramInstance(), nullptr, commandLine, SW_SHOWNORMAL);
  // A recording gets its trailer; a replay says how it compared.
  const kv::record::Outcome outcome = kv::record::EndSession(code);
  if (!outcome.line.empty()) std::printf("%s\n", outcome.line.c_str());
  return outcome.exitCode;
}
