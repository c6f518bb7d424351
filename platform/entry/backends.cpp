#include "platform/entry/backends.h"

#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/headless/headless.h"
#include "platform/rt/program.h"
#include "platform/wayland/wayland_backend.h"
#include "platform/x11/x11_backend.h"

namespace kv {

namespace {

Backend* OpenHeadless(bool) {
  headless::Install();
  return ActiveBackend();
}

Backend* OpenX11(bool) { return x11::OpenBackend(); }

struct BackendEntry {
  const char* name;
  // `named`: the person asked for this one, so it is tried even where it
  // would not be by itself, and nothing else is tried after it.
  Backend* (*open)(bool named);
  bool onlyWhenNamed;  // never a normal run's choice
};

// A Wayland session runs X11 programs too (through Xwayland), but only a
// native window is crisp at every scale and steers by relative motion.
const BackendEntry kBackends[] = {
    {"wayland", &wayland::OpenBackend, false},
    {"x11", &OpenX11, false},
    {"headless", &OpenHeadless, true},
};

const BackendEntry* Entry(const char* name) {
  for (const BackendEntry& entry : kBackends)
    if (name && std::strcmp(entry.name, name) == 0) return &entry;
  return nullptr;
}

}  // namespace

void SetDisplayScale(int factor) {
  x11::SetScaleOverride(factor);
  wayland::SetScaleOverride(factor);
}

std::string BackendNames() {
  std::string names;
  for (const BackendEntry& entry : kBackends) names += std::string(names.empty() ? "" : ", ") + entry.name;
  return names;
}

Backend* OpenDisplayBackend() {
  const char* asked = std::getenv(kBackendVariable);
  if (asked && *asked) {
    const BackendEntry* entry = Entry(asked);
    if (!entry) {
      rt::Say("%s=%s names no display backend (%s)", kBackendVariable, asked, BackendNames().c_str());
      return nullptr;
    }
    return entry->open(true);
  }
  for (const BackendEntry& entry : kBackends) {
    if (entry.onlyWhenNamed) continue;
    if (Backend* backend = entry.open(false)) return backend;
  }
  return nullptr;
}

Backend* OpenBackendNamed(const char* name) {
  const BackendEntry* entry = Entry(name);
  Backend* backend = entry ? entry->open(true) : nullptr;
  if (backend) InstallBackend(backend);
  return backend;
}

}  // namespace kv
