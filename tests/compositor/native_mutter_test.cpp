// The game as a native Wayland client of mutter (GNOME), which draws no
// window frames for its clients: the game's come from libdecor. What mutter
// shows is read from a screen cast of its monitor, and the pointer lock's
// state from what mutter tells the game.
#include "native_scenarios.h"

namespace kv_compositor {
namespace {

TEST(MutterNative, OpeningFrameIsShownExactly) { OpeningFrameIsShownExactly<MutterDesktop>(); }
TEST(MutterNative, SteeringByRelativeMotionUnderAPointerLock) {
  SteeringByRelativeMotionUnderAPointerLock<MutterDesktop>();
}
TEST(MutterNative, MenusByClickAndByKeysAndTheModalAboutBox) {
  MenusByClickAndByKeysAndTheModalAboutBox<MutterDesktop>();
}
TEST(MutterNative, TheCloseBoxAndFileExitEndWithZeroAndARecordingVerifies) {
  TheCloseBoxAndFileExitEndWithZeroAndARecordingVerifies<MutterDesktop>();
}

}  // namespace
}  // namespace kv_compositor
