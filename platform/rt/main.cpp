// The program's entry point on this platform: the game's own entry function
// is WinMain, as on Windows.
#include "platform/rt/resources.h"
#include "platform/win32.h"

int main() {
  char commandLine[] = "";
  return WinMain(kv::rt::ProgramInstance(), nullptr, commandLine, SW_SHOWNORMAL);
}
