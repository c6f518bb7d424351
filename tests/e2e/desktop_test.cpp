// The game beside another program on the same desktop: the cursor, the
// grab and the focus, the class cursor, a click that closes a menu, a
// window made larger than asked, and the sizes that come from the
// interface's fonts. A plain window of the
// test's own connection stands in for the other program.
#include <gtest/gtest.h>
// After gtest, whose own None the X headers' macro would break.
#include <X11/Xlib.h>
#include <X11/cursorfont.h>
#include <X11/extensions/Xfixes.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "game_session.h"

namespace {

using kv_e2e::Eventually;
using kv_e2e::GameSession;
using kv_e2e::SleepMs;

constexpr int kAnswerMs = 15000;
constexpr uint32_t kOtherColour = 0xFF00FF;  // the other program's background

// Another program: a plain managed window of one colour.
class OtherProgram {
 public:
  OtherProgram(const std::string& display, int x, int y, int width, int height) {
    d_ = XOpenDisplay(display.c_str());
    if (!d_) return;
    XSetWindowAttributes a{};
    a.background_pixel = kOtherColour;
    a.event_mask = StructureNotifyMask;
    w_ = XCreateWindow(d_, DefaultRootWindow(d_), x, y, width, height, 0, CopyFromParent,
                       InputOutput, CopyFromParent, CWBackPixel | CWEventMask, &a);
    XStoreName(d_, w_, "Other program");
    XMapRaised(d_, w_);
    XEvent e;
    do XWindowEvent(d_, w_, StructureNotifyMask, &e);
    while (e.type != MapNotify);
  }
  ~OtherProgram() {
    if (d_) XCloseDisplay(d_);
  }
  bool ok() const { return d_ != nullptr; }
  void TakeFocus() {
    XSetInputFocus(d_, w_, RevertToParent, CurrentTime);
    XSync(d_, False);
  }
  // Grabs the pointer and lets it go at once; true when the grab was had.
  bool CanGrabPointer() {
    int status = XGrabPointer(d_, w_, False, ButtonPressMask, GrabModeAsync, GrabModeAsync, None,
                              None, CurrentTime);
    XUngrabPointer(d_, CurrentTime);
    XSync(d_, False);
    return status == GrabSuccess;
  }

 private:
  Display* d_ = nullptr;
  Window w_ = None;
};

// The cursor the server shows now, as XFixes reports it.
struct PointerImage {
  int width = 0, height = 0, xhot = 0, yhot = 0;
  std::vector<unsigned long> pixels;
  bool operator==(const PointerImage& o) const {
    return width == o.width && height == o.height && xhot == o.xhot && yhot == o.yhot &&
           pixels == o.pixels;
  }
};

PointerImage CurrentCursor(Display* d) {
  PointerImage shape;
  if (XFixesCursorImage* image = XFixesGetCursorImage(d)) {
    shape.width = image->width;
    shape.height = image->height;
    shape.xhot = image->xhot;
    shape.yhot = image->yhot;
    shape.pixels.assign(image->pixels, image->pixels + image->width * image->height);
    XFree(image);
  }
  return shape;
}

// Pixels of the screen file Xvfb keeps (XWD, 32 bits a pixel), where the
// pointer it draws itself is part of the picture.
struct ScreenFile {
  std::vector<unsigned char> data;
  uint32_t headerSize = 0, bytesPerLine = 0, colours = 0, width = 0, height = 0;
  static uint32_t Word(const unsigned char* p) {
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
  }
  bool Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    data.assign(std::istreambuf_iterator<char>(in), {});
    if (data.size() < 100) return false;
    headerSize = Word(&data[0]);
    width = Word(&data[16]);
    height = Word(&data[20]);
    bytesPerLine = Word(&data[48]);
    colours = Word(&data[76]);
    return data.size() >= headerSize + colours * 12 + size_t(bytesPerLine) * height;
  }
  uint32_t At(int x, int y) const {
    const unsigned char* p = &data[headerSize + colours * 12 + size_t(y) * bytesPerLine + 4 * x];
    return (uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0]) & 0xFFFFFF;
  }
};

// Pixels that are not the other program's colour around a point of it:
// the pointer drawn over it.
int CursorPixelsAround(const std::string& file, int x, int y) {
  ScreenFile screen;
  if (!screen.Read(file)) return -1;
  int n = 0;
  for (int dy = -20; dy <= 20; ++dy)
    for (int dx = -20; dx <= 20; ++dx) n += screen.At(x + dx, y + dy) != kOtherColour;
  return n;
}

std::optional<kv_e2e::TopWindow> DropDown(GameSession& s) {
  for (const auto& w : s.probe().MappedTopLevels())
    if (w.overrideRedirect && w.id != s.window()) return w;
  return std::nullopt;
}

bool OpenMenu(GameSession& s, const std::string& keys) {
  return s.Key(keys) && Eventually([&] { return DropDown(s).has_value(); }, kAnswerMs, 50);
}

bool StartPlay(GameSession& s) {
  return s.ClickClient(600, 450, 1) &&
         Eventually([&] { return s.probe().PointerGrabbedElsewhere(); }, kAnswerMs);
}

// After File, New Game during play the cursor stays hidden over the game
// until the next click, but another program's window still shows its own.
TEST(Desktop, CursorStaysVisibleOverAnotherProgramAfterNewGame) {
  char dir[] = "/tmp/kv_screen_XXXXXX";
  ASSERT_NE(mkdtemp(dir), nullptr);
  const std::string file = std::string(dir) + "/Xvfb_screen0";
  {
    GameSession s;
    s.server().KeepScreenIn(dir);
    ASSERT_TRUE(s.Start()) << s.error();
    OtherProgram other(s.display(), 1300, 100, 400, 300);
    ASSERT_TRUE(other.ok());
    ASSERT_TRUE(StartPlay(s)) << "play did not start";
    ASSERT_TRUE(OpenMenu(s, "alt+f"));
    ASSERT_TRUE(s.Key("n"));
    ASSERT_TRUE(Eventually([&] { return !DropDown(s).has_value(); }, kAnswerMs));
    // The server draws the pointer into its screen only where it shows one.
    ASSERT_TRUE(s.Xdotool({"mousemove", "1500", "250"}));
    int over = -1;
    EXPECT_TRUE(Eventually([&] { return (over = CursorPixelsAround(file, 1500, 250)) > 10; },
                           5000))
        << "no pointer over the other program (" << over << " pixels)";
    // Over the game it stays hidden until the next click.
    ASSERT_TRUE(s.Xdotool({"mousemove", std::to_string(s.clientX() + 700),
                           std::to_string(s.clientY() + 400)}));
    SleepMs(300);
    const PointerImage shape = CurrentCursor(s.probe().display());
    int opaque = 0;
    for (unsigned long p : shape.pixels) opaque += (p >> 24) != 0;
    EXPECT_EQ(opaque, 0) << "the cursor shows over the game before the next click";
  }
  std::remove(file.c_str());
  rmdir(dir);
}

// Another program taking the focus during play ends our grab: it can grab
// the pointer itself, and the pointer stays where the person moves it.
TEST(Desktop, AnotherProgramTakingTheFocusGetsThePointer) {
  GameSession s;
  ASSERT_TRUE(s.Start()) << s.error();
  OtherProgram other(s.display(), 1300, 100, 400, 300);
  ASSERT_TRUE(other.ok());
  ASSERT_TRUE(StartPlay(s)) << "play did not start";
  other.TakeFocus();
  EXPECT_TRUE(Eventually([&] { return other.CanGrabPointer(); }, 5000))
      << "the game keeps the pointer grabbed after losing the focus";
  ASSERT_TRUE(s.Xdotool({"mousemove", "1500", "250"}));
  SleepMs(500);
  int x = 0, y = 0;
  s.probe().PointerPosition(&x, &y);
  EXPECT_EQ(x, 1500) << "the game moved the pointer of another program";
  EXPECT_EQ(y, 250);
  EXPECT_TRUE(s.game().Running());
  // A click back in the game captures the pointer again.
  ASSERT_TRUE(StartPlay(s)) << "no grab after clicking the game again";
}

// The window shows the arrow of the cursor font, not the server's X.
TEST(Desktop, ClassCursorIsTheArrow) {
  GameSession s;
  ASSERT_TRUE(s.Start()) << s.error();
  Display* d = s.probe().display();
  // The reference: a window of our own with the standard arrow.
  XSetWindowAttributes a{};
  a.cursor = XCreateFontCursor(d, XC_left_ptr);
  Window reference = XCreateWindow(d, DefaultRootWindow(d), 1400, 800, 100, 100, 0,
                                   CopyFromParent, InputOutput, CopyFromParent, CWCursor, &a);
  XMapRaised(d, reference);
  XSync(d, False);
  ASSERT_TRUE(s.Xdotool({"mousemove", "1450", "850"}));
  PointerImage arrow;
  ASSERT_TRUE(Eventually([&] { return (arrow = CurrentCursor(d)).width > 0; }, 5000));
  ASSERT_TRUE(s.Xdotool({"mousemove", std::to_string(s.clientX() + 500),
                         std::to_string(s.clientY() + 300)}));
  EXPECT_TRUE(Eventually([&] { return CurrentCursor(d) == arrow; }, 5000))
      << "the cursor over the game is not the arrow";
}

// With a drop-down open, a click on the pitch closes the menu and starts play.
TEST(Desktop, ClickOnThePitchWithAMenuOpenStartsPlay) {
  GameSession s;
  ASSERT_TRUE(s.Start()) << s.error();
  ASSERT_TRUE(OpenMenu(s, "alt+d"));
  ASSERT_TRUE(s.ClickClient(600, 450, 1));
  ASSERT_TRUE(Eventually([&] { return !DropDown(s).has_value(); }, kAnswerMs));
  EXPECT_TRUE(Eventually([&] { return s.probe().PointerGrabbedElsewhere(); }, 5000))
      << "the click that closed the menu did not start play";
}

// A manager that ignores the fixed size makes the window larger: the menu
// bar spans the whole width, the pitch stays where it was, the new part is
// black, and a click there is a click on the game.
TEST(Desktop, AWindowMadeLargerHasItsMenuBarAcross) {
  GameSession s;
  ASSERT_TRUE(s.Start()) << s.error();
  Display* d = s.probe().display();
  XResizeWindow(d, s.window(), 1300, 800);
  XSync(d, False);
  const int left = s.windowInfo().x, top = s.windowInfo().y;
  kv_e2e::Image screen;
  auto at = [&](int x, int y) { return screen.At(left + x, top + y); };
  EXPECT_TRUE(Eventually([&] {
    screen = s.Screenshot();
    return screen.Contains(left + 1299, top + 799) && at(1299, 10) == 0xD4D0C8u &&
           at(1100, 10) == 0xD4D0C8u && at(1100, 400) == 0u &&
           s.ClientPixel(screen, 250, 100) == 0x008000u;
  }, kAnswerMs, 200))
      << "bar at x 1100: " << std::hex << at(1100, 10) << ", at 1299: " << at(1299, 10)
      << ", new client part: " << at(1100, 400);
  ASSERT_TRUE(s.ClickClient(1200, 500, 1));
  EXPECT_TRUE(Eventually([&] { return s.probe().PointerGrabbedElsewhere(); }, kAnswerMs))
      << "a click in the new part did not start play";
}

// The score lines stay inside the pitch's markings, and the About box has
// the interface's size: dialog base units 6 and 13 make 284 x 190 units
// 426 x 309 pixels.
TEST(Desktop, ScoreLinesAndAboutBoxHaveTheInterfaceMetrics) {
  GameSession s;
  ASSERT_TRUE(s.Start()) << s.error();
  kv_e2e::Image screen;
  ASSERT_TRUE(Eventually([&] {
    screen = s.Screenshot();
    return s.ClientPixel(screen, 820, 30) != 0xFFFFFFFFu &&
           s.ClientPixel(screen, 250, 100) == 0x008000u;
  }, kAnswerMs, 200));
  int right = 0, beyond = 0;
  for (int y = 25; y < 42; ++y) {
    for (int x = 800; x < 956; ++x) right += s.ClientPixel(screen, x, y) == 0xFFFFFFu;
    for (int x = 958; x < 1000; ++x) beyond += s.ClientPixel(screen, x, y) == 0xFFFFFFu;
  }
  EXPECT_GT(right, 40) << "no right score line";
  EXPECT_EQ(beyond, 0) << "the right score line crosses the goal line";

  ASSERT_TRUE(OpenMenu(s, "alt+h"));
  ASSERT_TRUE(s.Key("Return"));
  std::optional<kv_e2e::TopWindow> box;
  ASSERT_TRUE(Eventually([&] {
    for (const auto& w : s.probe().MappedTopLevels())
      if (!w.overrideRedirect && w.id != s.window() && w.name == "Kelvara") box = w;
    return box.has_value();
  }, kAnswerMs));
  EXPECT_EQ(box->width, 426);
  EXPECT_EQ(box->height, 309);
}

}  // namespace
