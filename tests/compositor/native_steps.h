// Steps of a session with the game as a native Wayland client, written once
// for any desktop that can find the game's windows (FindMain, FindAbout),
// read what its output shows of them (Grab), and send the mouse and keys
// (MoveTo, Move, Click, Tap, Chord).
#pragma once

#include <linux/input-event-codes.h>

#include <string>

#include "native_game.h"
#include "play_steps.h"
#include "xwayland_game.h"

namespace kv_compositor {

// The colour of menus and dialogs.
constexpr uint32_t kFace = 0xD4D0C8;

// Where pixels of the menus' colour lie just below the menu bar (the pitch
// has none there, and the About box, over the middle of the window, does
// not reach it): an open drop-down. Empty (width 0) when there are none.
// Pixels under `cover` (in the image's own pixels: a dialog the compositor
// placed over the window) do not count.
inline ScreenRect FaceBelowBar(const kv_e2e::Image& shown, const ScreenRect& cover = {}) {
  const int top = shown.height - kPitchHeight;
  constexpr int kLongestDropDown = 120;
  int x0 = shown.width, y0 = shown.height, x1 = -1, y1 = -1;
  for (int y = std::max(top, 0); y < std::min(top + kLongestDropDown, shown.height); ++y)
    for (int x = 0; x < shown.width; ++x)
      if (shown.At(x, y) == kFace && !(x >= cover.x && x < cover.x + cover.width &&
                                        y >= cover.y && y < cover.y + cover.height)) {
        x0 = std::min(x0, x);
        y0 = std::min(y0, y);
        x1 = std::max(x1, x);
        y1 = std::max(y1, y);
      }
  if (x1 < 0) return ScreenRect{};
  return ScreenRect{x0, y0, x1 - x0 + 1, y1 - y0 + 1};
}

// Whether an image of the main window starts with its menu bar: the bar's
// rows are of the menus' colour to the right of the titles. A compositor
// still placing a new window may say it is where its title bar, or nothing
// of it, is shown; an image taken there fails this.
inline bool MenuBarOnTop(const kv_e2e::Image& shown) {
  if (shown.width < kPitchWidth || shown.height < kPitchHeight + 20) return false;
  for (int y : {1, 10, 18})
    for (int x = kPitchWidth / 2; x < kPitchWidth - 10; x += 7)
      if (shown.At(x, y) != kFace) return false;
  return true;
}

// Waits until the main window shows the pitch with the person's player on
// it, where the compositor says the window is; `r` is that place.
template <typename Desktop>
bool WaitForPitch(Desktop& desktop, ScreenRect* r) {
  return kv_e2e::Eventually([&] {
    if (!desktop.FindMain(r)) return false;
    const kv_e2e::Image shown = desktop.Grab(*r);
    return MenuBarOnTop(shown) && kv_e2e::LeftPlayerX(shown, 1) > 0;
  }, kAnswerMs, 50);
}

// Waits for a drop-down (or, with `open` false, for none) and says where it
// is, in the window's own pixels.
template <typename Desktop>
bool WaitForDropDown(Desktop& desktop, bool open, ScreenRect* drop = nullptr) {
  return kv_e2e::Eventually([&] {
    ScreenRect r, about;
    if (!desktop.FindMain(&r)) return false;
    if (desktop.FindAbout(&about)) {
      about.x -= r.x;
      about.y -= r.y;
    } else {
      about = ScreenRect{};
    }
    const ScreenRect box = FaceBelowBar(desktop.Grab(r), about);
    if (drop) *drop = box;
    return (box.width > 20 && box.height > 20) == open;
  }, kAnswerMs, 50);
}

// Waits until the About box is up and on top: most of what the output shows
// of it is the face of a dialog.
template <typename Desktop>
bool WaitForAboutOnTop(Desktop& desktop, ScreenRect* about) {
  return kv_e2e::Eventually([&] {
    if (!desktop.FindAbout(about)) return false;
    const kv_e2e::Image shown = desktop.Grab(*about);
    size_t face = 0;
    for (uint32_t p : shown.pixels) face += p == kFace;
    return !shown.pixels.empty() && face * 2 > shown.pixels.size();
  }, kAnswerMs, 50);
}

// A left click on the person's player starts play (where the player stands
// at the start), and the game then locks the pointer.
template <typename Desktop>
bool StartPlayOnTheSpot(Desktop& desktop, const ScreenRect& r) {
  return desktop.MoveTo(r.x + 150, r.y + r.height - kPitchHeight + 300) &&
         desktop.Click(kLeftButton) &&
         kv_e2e::Eventually([&] { return desktop.PointerLocked(); }, kAnswerMs, 50);
}

// The menu bar's titles, in the window's own pixels (the bar is 20 rows).
constexpr int kBarMiddle = 10;
constexpr int kFileX = 12, kDifficultyX = 60, kHelpX = 125;

}  // namespace kv_compositor
