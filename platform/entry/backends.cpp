#include "platform/entry/backends.h"

#include <cstring>

#include "platform/headless/headless.h"
#include "platform/x11/x11_backend.h"

namespace kv {

namespace {

Backend* OpenHeadless() {
  headless::Install();
  return ActiveBackend();
}

struct BackendEntry {
  const char* name;
  Backend* (*open)();
  bool onlyWhenNamed;  // never a normal run's choice
};

const BackendEntry kBackends[] = {
    {"x11", &x11::OpenBackend, false},
    {"headless", &OpenHeadless, true},
};

}  // namespace

void SetDisplayScale(int factor) { x11::SetScaleOverride(factor); }

Backend* OpenDisplayBackend() {
  for (const BackendEntry& entry : kBackends) {
    if (entry.onlyWhenNamed) continue;
    if (Backend* backend = entry.open()) return backend;
  }
  return nullptr;
}

Backend* OpenBackendNamed(const char* name) {
  for (const BackendEntry& entry : kBackends) {
    if (name && std::strcmp(entry.name, name) == 0) {
      Backend* backend = entry.open();
      if (backend) InstallBackend(backend);
      return backend;
    }
  }
  return nullptr;
}

}  // namespace kv
