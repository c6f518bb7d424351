// The backend the windowing layer draws and reads input through: one a test
// installed, or else the one the program's opener gives on first use.
#include "platform/backend.h"

namespace kv {

namespace {
Backend* gInstalled = nullptr;         // chosen in code by a test or the benchmark
BackendOpener gOpener = nullptr;       // set by the program's entry glue
Backend* gOpened = nullptr;            // what the opener gave, kept for the run
bool gOpenTried = false;
}  // namespace

Backend* ActiveBackend() {
  if (gInstalled) return gInstalled;
  if (!gOpenTried && gOpener) {
    gOpenTried = true;
    gOpened = gOpener();
  }
  return gOpened;
}

void InstallBackend(Backend* backend) { gInstalled = backend; }

void SetBackendOpener(BackendOpener opener) { gOpener = opener; }

}  // namespace kv
