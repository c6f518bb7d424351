// The About box's X window destroyed by another client: the dialog ends as a
// destroyed one does, the main window takes input again and the game goes on.
#include <gtest/gtest.h>

#include <X11/Xlib.h>

#include <optional>
#include <string>

#include "game_session.h"

namespace {

using kv_e2e::Eventually;
using kv_e2e::GameSession;

constexpr int kAnswerMs = 15000;

std::optional<kv_e2e::TopWindow> DropDown(GameSession& s) {
  for (const auto& w : s.probe().MappedTopLevels())
    if (w.overrideRedirect && w.id != s.window()) return w;
  return std::nullopt;
}

bool OpenMenu(GameSession& s, const std::string& keys) {
  return s.Key(keys) && Eventually([&] { return DropDown(s).has_value(); }, kAnswerMs, 50);
}

TEST(AboutWindowGone, TheGameGoesOnAndTakesInputAgain) {
  GameSession s;
  ASSERT_TRUE(s.Start()) << s.error();
  auto aboutBox = [&]() -> std::optional<kv_e2e::TopWindow> {
    for (const auto& w : s.probe().MappedTopLevels())
      if (!w.overrideRedirect && w.id != s.window() && w.name == "Kelvara") return w;
    return std::nullopt;
  };
  ASSERT_TRUE(OpenMenu(s, "alt+h")) << "Alt+H opened no drop-down";
  ASSERT_TRUE(s.Key("Return"));
  std::optional<kv_e2e::TopWindow> box;
  ASSERT_TRUE(Eventually([&] { return (box = aboutBox()).has_value(); }, kAnswerMs))
      << "no About box";

  XDestroyWindow(s.probe().display(), box->id);
  XSync(s.probe().display(), False);
  EXPECT_TRUE(Eventually([&] { return !aboutBox().has_value(); }, kAnswerMs));
  ASSERT_TRUE(s.game().Running()) << s.game().Stderr();

  // The main window answers its menu again, without Enter: File, Exit ends
  // the program as usual.
  ASSERT_TRUE(OpenMenu(s, "alt+f")) << "the main window takes no input after the box was lost";
  ASSERT_TRUE(s.Key("x"));
  auto code = s.WaitExit(kAnswerMs);
  ASSERT_TRUE(code.has_value()) << "still running after File, Exit";
  EXPECT_EQ(*code, 0) << s.game().Stderr();
}

}  // namespace
