// Drives a modal loop (menu tracking, a dialog, a message box) from inside:
// each time the loop waits for input, the next step runs. A loop that is
// still running after the last step is a failure; the bail-out step then
// ends it so the test program does not hang.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <functional>

#include "platform/headless/headless.h"
#include "platform/win32.h"

namespace kvtest {

class ModalScript {
 public:
  ModalScript() { kv::headless::SetModalIdleHook(&ModalScript::Hook, this); }
  ~ModalScript() { kv::headless::SetModalIdleHook(nullptr, nullptr); }

  ModalScript& Then(std::function<void()> step) {
    steps_.push_back(std::move(step));
    return *this;
  }
  // What ends the loop if the script did not (Esc by default).
  void BailOut(std::function<void()> step) { bailOut_ = std::move(step); }

  bool Finished() const { return steps_.empty(); }
  int IdlePasses() const { return passes_; }
  bool Overran() const { return overran_; }

 private:
  static void Hook(void* context) {
    auto* self = static_cast<ModalScript*>(context);
    ++self->passes_;
    if (!self->steps_.empty()) {
      auto step = std::move(self->steps_.front());
      self->steps_.pop_front();
      step();
      return;
    }
    if (++self->extra_ > 5) {
      if (!self->overran_) ADD_FAILURE() << "the modal loop is still running after the script";
      self->overran_ = true;
      self->bailOut_();
    }
  }

  std::deque<std::function<void()>> steps_;
  std::function<void()> bailOut_ = [] { kv::headless::TypeKey(VK_ESCAPE); };
  int passes_ = 0;
  int extra_ = 0;
  bool overran_ = false;
};

// Dispatches everything queued, as the game's pump does between frames.
inline void PumpMessages() {
  MSG msg{};
  for (int guard = 0; guard < 10000 && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE); ++guard) {
    if (msg.message == WM_QUIT) break;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

}  // namespace kvtest
