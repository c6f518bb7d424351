// The program's entry point in the browser: the game's WinMain, then the
// page says that the program has ended (File, Exit, or the close request).
// The page's query parameters are the command line: ?pace=60 is
// "--pace 60", ?flag is "--flag".
#include <emscripten.h>

#include <cstdlib>
#include <string>

#include "platform/backend.h"
#include "platform/rt/resources.h"
#include "platform/web/web_backend.h"
#include "platform/web/web_page.h"
#include "platform/win32.h"

namespace {

// The command line is made by web/page.js; the module frees it.
EM_JS(char*, kv_page_command_line, (), {
  const text = kvPage.commandLine();
  const size = lengthBytesUTF8(text) + 1;
  const out = _malloc(size);
  stringToUTF8(text, out, size);
  return out;
});

}  // namespace

int main() {
  kv::SetBackendOpener(&kv::web::OpenBackend);
  char* query = kv_page_command_line();
  std::string commandLine = query ? query : "";
  free(query);
  const int code = WinMain(kv::rt::ProgramInstance(), nullptr, commandLine.data(), SW_SHOWNORMAL);
  kv::web::ShowEnded();
  return code;
}
