#include "platform/backend.h"

#include "platform/record/session.h"
#include "platform/x11/x11_backend.h"

namespace kv {

namespace {
Backend* gInstalled = nullptr;  // chosen in code by a test or the benchmark
Backend* gDisplay = nullptr;    // opened on first use in a normal run
bool gDisplayTried = false;
}  // namespace

Backend* ActiveBackend() {
  if (gInstalled) return gInstalled;
  if (!gDisplayTried) {
    gDisplayTried = true;
    // A recording or a replay puts itself between the program and the display.
    gDisplay = record::SessionBackend(&x11::OpenBackend);
  }
  return gDisplay;
}

void InstallBackend(Backend* backend) { gInstalled = backend; }

}  // namespace kv
