// How the X11 backend lives with X errors and with a lost server.
//
// Xlib's default handlers end the program on the first protocol error. A
// window that vanished under us or a refused extension request is no reason
// to stop a game, so errors are recorded and the caller decides.
#pragma once

#include <X11/Xlib.h>

namespace kv {
namespace x11 {

// Installs the recording error handler and the handler for a lost
// connection (which ends the program with status 1 after a message, once
// what must be finished is: rt::EndForLostDisplay). Safe to call more than
// once.
void InstallErrorHandlers();

// Number of protocol errors recorded so far on any display, and the last one.
unsigned long ErrorCount();
int LastErrorCode();
int LastErrorRequest();
// The sequence number of the request the last error on `display` was
// about; 0 when the last error came from another display.
unsigned long LastErrorSerial(Display* display);

// Counts the errors that the requests made while it lives cause on one
// display. Construction and Failed() both wait for the server (XSync), so
// errors of earlier requests are not counted and late ones are not missed.
class ErrorTrap {
 public:
  explicit ErrorTrap(Display* display);
  bool Failed();    // an error arrived since construction
  int FirstCode();  // the error code of the first one, or 0

 private:
  Display* display_;
  unsigned long startCount_;
};

}  // namespace x11
}  // namespace kv
