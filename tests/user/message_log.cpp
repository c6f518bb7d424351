#include "tests/user/message_log.h"

#include <map>

namespace kv {
namespace test {

namespace {
std::map<UINT, LRESULT>& Replies() {
  static std::map<UINT, LRESULT> replies;
  return replies;
}
}  // namespace

std::vector<Logged>& Log() {
  static std::vector<Logged> log;
  return log;
}

std::vector<UINT> MessagesOf(HWND window) {
  std::vector<UINT> out;
  for (const Logged& l : Log()) {
    if (!window || l.hwnd == window) out.push_back(l.message);
  }
  return out;
}

void SetReply(UINT message, LRESULT result) { Replies()[message] = result; }

LRESULT CALLBACK LoggingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  Log().push_back(Logged{window, message, wParam, lParam});
  auto it = Replies().find(message);
  if (it != Replies().end()) return it->second;
  return DefWindowProcW(window, message, wParam, lParam);
}

void LoggedWindowTest::SetUp() {
  HeadlessTest::SetUp();
  Log().clear();
  Replies().clear();
}

std::vector<MSG> DrainQueue() {
  std::vector<MSG> out;
  MSG m;
  while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) out.push_back(m);
  return out;
}

}  // namespace test
}  // namespace kv
