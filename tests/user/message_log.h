// A window procedure that records every message it gets, for tests that
// check which messages arrive, in what order and with what parameters.
#pragma once

#include <vector>

#include "tests/support/headless_window.h"

namespace kv {
namespace test {

struct Logged {
  HWND hwnd;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};

std::vector<Logged>& Log();
// The messages `window` got, in order (all windows when null).
std::vector<UINT> MessagesOf(HWND window = nullptr);
// Makes LoggingProc answer `message` with `result` instead of passing it on.
void SetReply(UINT message, LRESULT result);

// Records the message, then answers it as SetReply says or by DefWindowProcW.
LRESULT CALLBACK LoggingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// A headless test whose log and replies start empty.
class LoggedWindowTest : public HeadlessTest {
 protected:
  void SetUp() override;
};

// Takes every pending message without dispatching it.
std::vector<MSG> DrainQueue();

}  // namespace test
}  // namespace kv
