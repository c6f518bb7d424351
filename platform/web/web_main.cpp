// The program's entry point in the browser: the game's WinMain, then the
// page says that the program has ended (File, Exit, or the close request).
#include "platform/rt/resources.h"
#include "platform/web/web_page.h"
#include "platform/win32.h"

int main() {
  char commandLine[] = "";
  const int code = WinMain(kv::rt::ProgramInstance(), nullptr, commandLine, SW_SHOWNORMAL);
  kv::web::ShowEnded();
  return code;
}
