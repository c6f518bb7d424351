// The program's entry point in the browser. The page (web/page.js) starts
// each run as a fresh instance of the module with the command line it made
// from the address (or from a recording dropped on it) as the arguments,
// and a recording's bytes already where the arguments say. As natively, the
// arguments are read once before static initialisation, which describes the
// program to the platform and starts any replay (the game's static objects
// read the clock, and a replay has those readings); then the game's WinMain
// runs, and the page says how it ended.
#include <emscripten.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/backend.h"
#include "platform/entry/early_start.h"
#include "platform/record/session.h"
#include "platform/rt/command_line_join.h"
#include "platform/rt/resources.h"
#include "platform/web/web_backend.h"
#include "platform/web/web_page.h"
#include "platform/win32.h"

namespace {

// The module's arguments (Module.arguments), NUL-separated, in memory the
// module frees.
EM_JS(char*, kv_page_arguments, (int* count), {
  const words = Module['arguments'] || [];
  let size = 1;
  for (const w of words) size += lengthBytesUTF8(String(w)) + 1;
  const out = _malloc(size);
  let at = out;
  for (const w of words) at += stringToUTF8(String(w), at, size - (at - out)) + 1;
  HEAP8[at] = 0;
  HEAP32[count >> 2] = words.length;
  return out;
});

struct Arguments {
  std::vector<std::string> words;
  std::vector<char*> argv;
};

// The program's name, then the page's words.
Arguments& PageArguments() {
  static Arguments* arguments = [] {
    auto* a = new Arguments;
    a->words.push_back("kelvara");
    int count = 0;
    char* words = kv_page_arguments(&count);
    for (int i = 0, at = 0; words && i < count; ++i) {
      a->words.emplace_back(words + at);
      at += static_cast<int>(a->words.back().size()) + 1;
    }
    std::free(words);
    for (std::string& w : a->words) a->argv.push_back(&w[0]);
    a->argv.push_back(nullptr);
    return a;
  }();
  return *arguments;
}

const kv::entry::ProgramArguments& ArgumentsOfThisRun() {
  Arguments& a = PageArguments();
  return kv::entry::ArgumentsOfThisRun(static_cast<int>(a.words.size()), a.argv.data());
}

// Before the game's static objects, which carry no priority: a replay must
// be under way when they first read the clock. The page's typefaces are not
// the desktop's, so a replay here checks the frames' number and the score
// but not their pixels.
__attribute__((constructor(101))) void StartEarly() {
  kv::record::SetPixelChecks(false);
  ArgumentsOfThisRun();
}

kv::Backend* OpenProgramBackend() { return kv::record::SessionBackend(&kv::web::OpenBackend); }

}  // namespace

int main() {
  kv::web::ShowStarted();
  ArgumentsOfThisRun();
  kv::SetBackendOpener(&OpenProgramBackend);
  Arguments& a = PageArguments();
  // A replay runs the program with the command line it was recorded with
  // (a paced match replays paced, whatever the page's own pace).
  const std::string* recorded = kv::record::RecordedCommandLine();
  std::string commandLine =
      recorded ? *recorded : kv::rt::JoinCommandLine(static_cast<int>(a.words.size()), a.argv.data());
  const int code = WinMain(kv::rt::ProgramInstance(), nullptr, &commandLine[0], SW_SHOWNORMAL);
  // A replay says how it compared.
  const kv::record::Outcome outcome = kv::record::EndSession(code);
  if (!outcome.line.empty()) std::printf("%s\n", outcome.line.c_str());
  std::fflush(stdout);
  kv::web::ShowEnded();
  return outcome.exitCode;
}
