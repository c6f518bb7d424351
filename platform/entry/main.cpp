// The program's entry point on this platform: the display backend is chosen
// here, above every backend, and the game's own entry function is WinMain,
// as on Windows.
#include "platform/backend.h"
#include "platform/entry/backends.h"
#include "platform/rt/resources.h"
#include "platform/win32.h"

int main() {
  kv::SetBackendOpener(&kv::OpenDisplayBackend);
  char commandLine[] = "";
  return WinMain(kv::rt::ProgramInstance(), nullptr, commandLine, SW_SHOWNORMAL);
}
