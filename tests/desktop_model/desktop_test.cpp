// The desktop in memory that the headless backend, the browser's backend and
// the replay share: where a person's input goes, and what a window's surface
// keeps.
#include "platform/desktop/desktop.h"

#include <gtest/gtest.h>

#include <vector>

namespace kv {
namespace desktop {
namespace {

NativeWindowParams At(int x, int y, int width, int height, bool popup = false) {
  NativeWindowParams p;
  p.x = x;
  p.y = y;
  p.width = width;
  p.height = height;
  p.popup = popup;
  return p;
}

std::vector<InputEvent> Drain(Desktop& d) {
  std::vector<InputEvent> out;
  InputEvent e;
  while (d.Poll(&e)) out.push_back(e);
  return out;
}

TEST(Desktop, PointerInputGoesToTheGrabThenThePressedWindowThenTheTopmostUnderIt) {
  Desktop d(800, 600);
  Window* below = d.Create(At(0, 0, 400, 300));
  Window* above = d.Create(At(100, 100, 200, 100));
  Window* hidden = d.Create(At(0, 0, 800, 600));
  d.Show(above, true);
  d.Show(below, true);  // raised later: now on top
  d.MovePointer(150, 150);
  EXPECT_EQ(d.PointerTarget(), below);
  d.Show(above, false);
  d.Show(above, true);  // shown again: on top once more
  EXPECT_EQ(d.PointerTarget(), above);
  EXPECT_FALSE(d.Grab(hidden)) << "a hidden window cannot take the pointer";

  // A press starts an implicit grab: motion and the release go where the
  // press went, with the pointer in that window's pixels.
  d.QueueButton(true, 1);
  d.MovePointer(350, 250);
  d.QueuePointerMove();
  d.QueueButton(false, 1);
  d.QueuePointerMove();
  std::vector<InputEvent> got = Drain(d);
  ASSERT_EQ(got.size(), 4u);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(got[i].window, AsNative(above)) << i;
  EXPECT_EQ(got[2].type, InputEvent::kButtonUp);
  EXPECT_EQ(got[2].x, 250);
  EXPECT_EQ(got[2].screenX, 350);
  EXPECT_EQ(got[3].window, AsNative(below));

  ASSERT_TRUE(d.Grab(below));
  d.MovePointer(790, 590);  // off every window
  d.QueueButton(true, 3);
  d.QueueButton(false, 3);
  got = Drain(d);
  ASSERT_EQ(got.size(), 2u);
  EXPECT_EQ(got[0].window, AsNative(below));
  EXPECT_EQ(got[0].x, 790);
  d.Show(below, false);
  EXPECT_EQ(d.grab(), nullptr) << "a window that hides keeps no grab";
}

TEST(Desktop, ButtonsThatAreNotHeldOrNotThereGiveNoInput) {
  Desktop d(800, 600);
  Window* w = d.Create(At(0, 0, 400, 300));
  d.Show(w, true);
  d.MovePointer(10, 10);
  d.QueueButton(false, 1);  // released without a press
  d.QueueButton(true, 4);   // no such button
  d.QueueButton(true, 0);
  EXPECT_FALSE(d.HasEvents());
  // Pressed over the bare desktop: the release over a window is not its.
  d.MovePointer(600, 500);
  d.QueueButton(true, 1);
  d.MovePointer(10, 10);
  d.QueueButton(false, 1);
  EXPECT_FALSE(d.HasEvents());
}

TEST(Desktop, KeysGoToTheTopmostManagedWindowWithTheHeldModifiers) {
  Desktop d(800, 600);
  Window* main = d.Create(At(0, 0, 400, 300));
  Window* drop = d.Create(At(10, 20, 100, 100, true));
  d.QueueKey(true, 'A', L'a', false);
  EXPECT_FALSE(d.HasEvents()) << "no window to type into";
  d.Show(main, true);
  d.Show(drop, true);
  d.modifiers.shift = true;
  d.QueueKey(true, 'A', L'A', true);
  std::vector<InputEvent> got = Drain(d);
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0].window, AsNative(main)) << "a drop-down never takes the keyboard";
  EXPECT_EQ(got[0].key, static_cast<unsigned>('A'));
  EXPECT_EQ(got[0].ch, L'A');
  EXPECT_TRUE(got[0].alt);
  EXPECT_TRUE(got[0].shift);
  EXPECT_FALSE(got[0].ctrl);
}

TEST(Desktop, ADestroyedWindowTakesItsEventsAndEveryHoldOnItAlong) {
  Desktop d(800, 600);
  Window* a = d.Create(At(0, 0, 400, 300));
  Window* b = d.Create(At(500, 0, 200, 200));
  d.Show(a, true);
  d.Show(b, true);
  d.QueueWindowEvent(InputEvent::kCloseRequest, a);
  d.QueueWindowEvent(InputEvent::kExpose, b);
  d.MovePointer(10, 10);
  d.QueueButton(true, 1);  // a is pressed in
  ASSERT_TRUE(d.Grab(a));
  d.SetPointerHidden(a, true);
  d.Destroy(a);
  EXPECT_EQ(d.Find(AsNative(a)), nullptr);
  EXPECT_EQ(d.grab(), nullptr);
  EXPECT_EQ(d.hiddenOver(), nullptr);
  std::vector<InputEvent> got = Drain(d);
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0].window, AsNative(b));
  // The held button no longer belongs to a: motion goes by the pointer.
  d.MovePointer(600, 100);
  d.QueuePointerMove();
  got = Drain(d);
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0].window, AsNative(b));
}

TEST(Desktop, SurfacesAreBoundedAndKeepTheirTopLeftWhenResized) {
  Desktop d(800, 600);
  EXPECT_EQ(d.Create(At(0, 0, 0, 10)), nullptr);
  EXPECT_EQ(d.Create(At(0, 0, kMaxSurfaceSide + 1, 10)), nullptr);
  Window* w = d.Create(At(0, 0, 3, 2));
  ASSERT_NE(w, nullptr);
  PixelSurface s = SurfaceOf(w);
  for (int i = 0; i < 6; ++i) s.pixels[i] = 0x100u + i;
  d.QueueResize(w, 2, 3);
  s = SurfaceOf(w);
  ASSERT_EQ(s.width, 2);
  ASSERT_EQ(s.height, 3);
  EXPECT_EQ(std::vector<uint32_t>(s.pixels, s.pixels + 6),
            (std::vector<uint32_t>{0x100, 0x101, 0x103, 0x104, 0, 0}));
  std::vector<InputEvent> got = Drain(d);
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0].type, InputEvent::kResized);
  EXPECT_EQ(got[0].width, 2);
  EXPECT_EQ(got[0].height, 3);
  // The same size again is no change; an absurd one stops at the limit.
  d.QueueResize(w, 2, 3);
  EXPECT_FALSE(d.HasEvents());
  EXPECT_TRUE(d.Resize(w, -5, 1 << 30));
  EXPECT_EQ(w->width, 1);
  EXPECT_EQ(w->height, kMaxSurfaceSide);
}

TEST(Desktop, ThePointerStaysOnTheScreen) {
  Desktop d(800, 600);
  d.MovePointer(-40, 9000);
  EXPECT_EQ(d.pointerX(), 0);
  EXPECT_EQ(d.pointerY(), 599);
  d.MovePointer(700, 500);
  d.SetScreenSize(640, 0);
  EXPECT_EQ(d.screenHeight(), 1);
  EXPECT_EQ(d.pointerX(), 639);
  EXPECT_EQ(d.pointerY(), 0);
}

}  // namespace
}  // namespace desktop
}  // namespace kv
