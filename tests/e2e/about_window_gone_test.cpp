// The About box's X window destroyed by another client: the dialog ends as a
// destroyed one does, the main window takes input again and the game goes on.
// A destruction another client only claims (a DestroyNotify it sends) ends
// nothing, for the box or for the main window.
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

std::optional<kv_e2e::TopWindow> AboutBox(GameSession& s) {
  for (const auto& w : s.probe().MappedTopLevels())
    if (!w.overrideRedirect && w.id != s.window() && w.name == "Kelvara") return w;
  return std::nullopt;
}

// Help, About, and the box once it is up.
std::optional<kv_e2e::TopWindow> OpenAboutBox(GameSession& s) {
  std::optional<kv_e2e::TopWindow> box;
  if (OpenMenu(s, "alt+h") && s.Key("Return"))
    Eventually([&] { return (box = AboutBox(s)).has_value(); }, kAnswerMs);
  return box;
}

// File, Exit: the program, still running, ends with 0.
void ExitThroughTheMenu(GameSession& s) {
  ASSERT_TRUE(OpenMenu(s, "alt+f")) << "the main window takes no input, or the game has ended: "
                                    << s.game().Stderr();
  ASSERT_TRUE(s.Key("x"));
  auto code = s.WaitExit(kAnswerMs);
  ASSERT_TRUE(code.has_value()) << "still running after File, Exit";
  EXPECT_EQ(*code, 0) << s.game().Stderr();
}

TEST(AboutWindowGone, TheGameGoesOnAndTakesInputAgain) {
  GameSession s;
  ASSERT_TRUE(s.Start()) << s.error();
  std::optional<kv_e2e::TopWindow> box = OpenAboutBox(s);
  ASSERT_TRUE(box.has_value()) << "no About box";

  XDestroyWindow(s.probe().display(), box->id);
  XSync(s.probe().display(), False);
  EXPECT_TRUE(Eventually([&] { return !AboutBox(s).has_value(); }, kAnswerMs));
  ASSERT_TRUE(s.game().Running()) << s.game().Stderr();

  // The main window answers its menu again, without Enter: File, Exit ends
  // the program as usual.
  ExitThroughTheMenu(s);
}

// The box told by another client that it is destroyed stays up and still
// closes through OK; the main window then takes its keys as before.
TEST(AboutWindowGone, AMadeUpDestroyLeavesTheBoxAsItWas) {
  GameSession s;
  ASSERT_TRUE(s.Start()) << s.error();
  std::optional<kv_e2e::TopWindow> box = OpenAboutBox(s);
  ASSERT_TRUE(box.has_value()) << "no About box";
  ASSERT_TRUE(s.probe().WaitForFocus(box->id, kAnswerMs)) << "the About box has no focus";
  s.probe().SendStructureEvent(box->id, DestroyNotify);
  // Return reaches the box after the claim: OK closes it.
  ASSERT_TRUE(s.Key("Return"));
  EXPECT_TRUE(Eventually([&] { return !AboutBox(s).has_value(); }, kAnswerMs))
      << "the box, dropped by the program, stays on the screen";
  ExitThroughTheMenu(s);
}

// The main window told the same goes on: its menu still opens afterwards.
TEST(AboutWindowGone, AMadeUpDestroyOfTheMainWindowDoesNotEndTheGame) {
  GameSession s;
  ASSERT_TRUE(s.Start()) << s.error();
  ASSERT_TRUE(s.probe().WaitForFocus(s.window(), kAnswerMs));
  s.probe().SendStructureEvent(s.window(), DestroyNotify);
  ExitThroughTheMenu(s);
}

}  // namespace
