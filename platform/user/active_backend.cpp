// The backend the windowing layer draws and reads input through: one a test
// installed, or else the one the program's opener gives on first use.
#include "platform/backend.h"
#include "platform/user/user_state.h"

namespace kv {

Backend* ActiveBackend() {
  user::UserState& s = user::State();
  if (s.installedBackend) return s.installedBackend;
  if (!s.backendOpenTried && s.backendOpener) {
    s.backendOpenTried = true;
    s.openedBackend = s.backendOpener();
  }
  return s.openedBackend;
}

void InstallBackend(Backend* backend) { user::State().installedBackend = backend; }

void SetBackendOpener(BackendOpener opener) { user::State().backendOpener = opener; }

}  // namespace kv
