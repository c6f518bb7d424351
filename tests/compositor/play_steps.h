// Steps of a game session that every compositor's tests take alike.
#pragma once

#include <X11/Xlib.h>

#include <optional>

#include "game_session.h"
#include "probe.h"
#include "virtual_pointer.h"
#include "xwayland_game.h"

namespace kv_compositor {

// How long the game and the compositor may take to answer. Generous: on a
// loaded machine everything shares two cores.
constexpr int kAnswerMs = 15000;

// A left click on the person's player starts play; the game then holds the
// pointer. On the player, as a person would: until the compositor has
// locked the pointer (a moment after the click), Xwayland still takes the
// pointer's place from the compositor's, and a motion then would move the
// player to wherever the click was.
template <typename Desktop>
bool StartPlay(Desktop& desktop, XwaylandGame& game) {
  ScreenRect r;
  if (!game.Geometry(&r)) return false;
  return desktop.PointAt(r.x + 150, r.y + r.height - kPitchHeight + 300) &&
         desktop.Click(kLeftButton) &&
         kv_e2e::Eventually([&] { return game.probe().PointerGrabbedElsewhere(); }, kAnswerMs,
                            50);
}

// The drop-down menu that is up beside the game's window, if any.
inline std::optional<kv_e2e::TopWindow> DropDown(XwaylandGame& game, const ScreenRect& window) {
  for (const kv_e2e::TopWindow& w : game.probe().MappedTopLevels())
    if (w.overrideRedirect && w.width > 20 && w.height > 20 && w.x >= window.x &&
        w.x < window.x + 200 && w.y >= window.y)
      return w;
  return std::nullopt;
}

}  // namespace kv_compositor
