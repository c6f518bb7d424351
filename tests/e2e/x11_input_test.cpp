// Real input from the server, translated.
#include "x11_fixture.h"

namespace kv_x11_test {
namespace {

// Real input from the server (xdotool through XTEST) arrives translated:
// motion, the three buttons without the wheel, keys with their virtual-key
// code, character and modifiers.
TEST_F(X11BackendTest, InputArrivesTranslated) {
  NativeWindow* w = MakeWindow(100, 100, 400, 300);
  ASSERT_NE(w, nullptr);
  ShowAndWait(w);

  Xdotool({"mousemove", "150", "170"});
  InputEvent e;
  ASSERT_TRUE(WaitFor([&](const InputEvent& ev) {
    return ev.type == InputEvent::kMouseMove && ev.screenX == 150 && ev.screenY == 170;
  }, kArriveMs, &e));
  EXPECT_EQ(e.window, w);
  EXPECT_EQ(e.x, 50);
  EXPECT_EQ(e.y, 70);

  for (int button : {1, 2, 3}) {
    Xdotool({"click", std::to_string(button)});
    ASSERT_TRUE(WaitFor([&](const InputEvent& ev) { return ev.type == InputEvent::kButtonDown; },
                        kArriveMs, &e));
    EXPECT_EQ(e.button, button);
    EXPECT_EQ(e.x, 50);
    EXPECT_EQ(e.y, 70);
    ASSERT_TRUE(WaitFor([&](const InputEvent& ev) { return ev.type == InputEvent::kButtonUp; },
                        kArriveMs, &e));
    EXPECT_EQ(e.button, button);
  }
  // The wheel produces nothing; a later key shows that nothing was lost.
  Xdotool({"click", "4", "click", "5", "key", "Escape"});
  ASSERT_TRUE(WaitFor([&](const InputEvent& ev) {
    return ev.type != InputEvent::kMouseMove && ev.type != InputEvent::kExpose &&
           ev.type != InputEvent::kNone;
  }, kArriveMs, &e));
  EXPECT_EQ(e.type, InputEvent::kKeyDown);
  EXPECT_EQ(e.key, unsigned(VK_ESCAPE));

  struct Case {
    const char* keys;
    unsigned vk;
    wchar_t ch;
    bool alt, shift, ctrl;
  };
  const Case cases[] = {
      {"d", 'D', L'd', false, false, false},     {"shift+d", 'D', L'D', false, true, false},
      {"alt+d", 'D', L'd', true, false, false},  {"ctrl+a", 'A', 1, false, false, true},
      {"Return", VK_RETURN, L'\r', false, false, false},
      {"F10", VK_F10, 0, false, false, false},   {"Down", VK_DOWN, 0, false, false, false},
      {"Left", VK_LEFT, 0, false, false, false}, {"space", VK_SPACE, L' ', false, false, false},
      {"Tab", VK_TAB, L'\t', false, false, false}, {"7", '7', L'7', false, false, false},
      {"shift+1", '1', L'!', false, true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.keys);
    Xdotool({"key", c.keys});
    // Modifier keys come first as their own events; look for the key itself.
    ASSERT_TRUE(WaitFor([&](const InputEvent& ev) {
      return ev.type == InputEvent::kKeyDown && ev.key == c.vk;
    }, kArriveMs, &e));
    EXPECT_EQ(e.window, w);
    EXPECT_EQ(e.ch, c.ch);
    EXPECT_EQ(e.alt, c.alt);
    EXPECT_EQ(e.shift, c.shift);
    EXPECT_EQ(e.ctrl, c.ctrl);
    ASSERT_TRUE(WaitFor([&](const InputEvent& ev) {
      return ev.type == InputEvent::kKeyUp && ev.key == c.vk;
    }, kArriveMs, &e));
    EXPECT_EQ(e.ch, 0);
  }

  // Alt alone: down with alt set, up with it cleared.
  Xdotool({"key", "alt"});
  ASSERT_TRUE(WaitFor([&](const InputEvent& ev) {
    return ev.type == InputEvent::kKeyDown && ev.key == VK_MENU;
  }, kArriveMs, &e));
  EXPECT_TRUE(e.alt);
  ASSERT_TRUE(WaitFor([&](const InputEvent& ev) {
    return ev.type == InputEvent::kKeyUp && ev.key == VK_MENU;
  }, kArriveMs, &e));
  EXPECT_FALSE(e.alt);
  backend_->DestroyWindow(w);
}

}  // namespace
}  // namespace kv_x11_test
