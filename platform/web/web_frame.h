// The frame and caption the page draws around a dialog (every top-level
// window but the main one and the drop-downs), as a desktop's window manager
// would, in our own look (platform/user/look.h): a raised border, the title
// on a caption bar, and a close box. The caption moves the window and the
// close box asks it to close; the main window's frame is the browser tab.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/desktop/desktop.h"
#include "platform/user/metrics.h"

namespace kv {
namespace web {

// Around the client surface: the interface's frame and caption sizes, so a
// dialog's outer size is what the windowing layer takes it to be.
constexpr int kFrameLeft = user::kFrameLeft;
constexpr int kFrameTop = user::kFrameTop + user::kCaptionHeight;
constexpr int kFrameRight = user::kFrameRight;
constexpr int kFrameBottom = user::kFrameBottom;

// The outer rectangle of a framed window, in screen pixels.
struct Outer {
  int left, top, right, bottom;
};
Outer OuterOf(const desktop::Window& w);

enum class FramePart { kOutside, kClient, kBorder, kCaption, kCloseBox };
// What of the framed window is at the screen point.
FramePart HitFrame(const desktop::Window& w, int x, int y);

// A framed window's frame as last drawn (outer size, 0x00RRGGBB pixels; the
// client area inside it is left black, the window's own pixels go there).
struct Frame {
  std::vector<uint32_t> pixels;
  int width = 0, height = 0;
  std::wstring title;
  bool active = false;
  bool closePressed = false;
};

// Draws the frame again if the window's size or title, or its being the
// active window, or the close box's state changed. False when there was no
// memory for it (nothing is shown around the window then).
bool UpdateFrame(Frame* frame, const desktop::Window& w, bool active, bool closePressed);

}  // namespace web
}  // namespace kv
