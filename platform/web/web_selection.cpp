// The backend choice of the browser build (in place of platform/backend.cpp):
// the page is the only display there is.
#include "platform/backend.h"
#include "platform/web/web_backend.h"

namespace kv {

namespace {
Backend* gInstalled = nullptr;  // chosen in code, as the native tests do
}  // namespace

Backend* ActiveBackend() { return gInstalled ? gInstalled : web::OpenBackend(); }

void InstallBackend(Backend* backend) { gInstalled = backend; }

namespace web {
Backend* OpenBackend() {
  static WebBackend backend;
  return &backend;
}
}  // namespace web

}  // namespace kv
