#include "platform/x11/x11_errors.h"

#include <string>

#include "platform/rt/cut_short.h"

namespace kv {
namespace x11 {

namespace {

// Written only from inside Xlib on the program's one thread.
unsigned long gErrorCount = 0;
int gLastCode = 0;
int gLastRequest = 0;
unsigned long gLastSerial = 0;
Display* gLastDisplay = nullptr;
// The first error after a trap started, so a trap can report it even when
// more follow.
unsigned long gFirstAfter = 0;
int gFirstCodeAfter = 0;

int RecordError(Display* display, XErrorEvent* error) {
  ++gErrorCount;
  gLastCode = error->error_code;
  gLastRequest = error->request_code;
  gLastSerial = error->serial;
  gLastDisplay = display;
  if (gErrorCount == gFirstAfter + 1) gFirstCodeAfter = error->error_code;
  return 0;
}

// Xlib does not let a program go on after the connection is lost; it exits
// when this returns. The program could not finish what it was doing, so it
// ends as a failure, after whatever must be finished (a recording) is.
int LostServer(Display* display) {
  const char* name = display ? DisplayString(display) : nullptr;
  rt::EndForLostDisplay(std::string("the connection to the X server ") + (name ? name : "") +
                        " was lost; exiting");
}

}  // namespace

void InstallErrorHandlers() {
  XSetErrorHandler(RecordError);
  XSetIOErrorHandler(LostServer);
}

unsigned long ErrorCount() { return gErrorCount; }
int LastErrorCode() { return gLastCode; }
int LastErrorRequest() { return gLastRequest; }
unsigned long LastErrorSerial(Display* display) {
  return display == gLastDisplay ? gLastSerial : 0;
}

ErrorTrap::ErrorTrap(Display* display) : display_(display) {
  XSync(display_, False);
  startCount_ = gErrorCount;
  gFirstAfter = gErrorCount;
  gFirstCodeAfter = 0;
}

bool ErrorTrap::Failed() {
  XSync(display_, False);
  return gErrorCount != startCount_;
}

int ErrorTrap::FirstCode() {
  if (!Failed()) return 0;
  return gFirstAfter == startCount_ ? gFirstCodeAfter : gLastCode;
}

}  // namespace x11
}  // namespace kv
