// A headless screen for a test, and a window of the main window's geometry.
#pragma once

#include <gtest/gtest.h>

#include "platform/headless/headless.h"
#include "platform/win32.h"

namespace kv {
namespace test {

// Installs a fresh headless backend before each test and removes it after,
// so no window, class or queued message crosses from one test to the next.
class HeadlessTest : public ::testing::Test {
 protected:
  void SetUp() override { kv::headless::Install(); }
  void TearDown() override { kv::headless::Uninstall(); }
};

// The main window's place and outer size (frame, caption and menu bar
// included): with a menu its client area is 1000 x 600 at screen (203, 245).
constexpr int kMainX = 200;
constexpr int kMainY = 200;
constexpr int kMainWidth = 1007;
constexpr int kMainHeight = 649;

// Registers a class for `proc` (one class per procedure, so several
// procedures can be used in one test) and creates a window with the main
// window's style, place and size, and `menu` as its menu bar. The window is
// not shown. Null when creation fails.
HWND CreateMainGeometryWindow(WNDPROC proc, HMENU menu = nullptr, LPVOID param = nullptr);

}  // namespace test
}  // namespace kv
