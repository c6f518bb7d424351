// The backend of the browser build: the page is the only display there is.
// The program's entry point (platform/entry/web_main.cpp) makes it the one the windowing
// layer opens; tests may still install another in code.
#include "platform/backend.h"
#include "platform/web/web_backend.h"

namespace kv {
namespace web {

Backend* OpenBackend() {
  static WebBackend backend;
  return &backend;
}

}  // namespace web
}  // namespace kv
