// The page's side of the web backend (web/page.js, web/glyphs.js), as the
// module calls it. Each is one call into JavaScript.
#pragma once

#include <cstdint>

namespace kv {
namespace web {

// Event kinds of the page's queue.
enum PageEventKind {
  kPageMove = 1,       // x, y on the canvas; dx, dy the movement
  kPageDown = 2,       // button 1 left, 2 middle, 3 right
  kPageUp = 3,
  kPageKeyDown = 4,    // key (virtual-key code), ch
  kPageKeyUp = 5,
  kPageLock = 6,       // locked: the pointer lock was taken (1) or let go (0)
  kPageLockError = 7,  // the browser refused the lock
  kPageBlur = 8,       // the page lost the keyboard
};

enum PageModifier { kPageAlt = 1, kPageShift = 2, kPageCtrl = 4 };

struct PageEvent {
  int kind = 0;
  int x = 0, y = 0;
  int dx = 0, dy = 0;
  int button = 0;
  int key = 0;
  int ch = 0;
  int mods = 0;
  int locked = 0;
};

// Takes the oldest event the page queued; false when none is waiting.
bool NextPageEvent(PageEvent* event);
// Lets the browser run: it paints and delivers input. Returns after at most
// `ms` milliseconds, or as soon as input arrives; 0 returns at once after
// the browser's pending work. Needs Asyncify: the module's stack is kept.
void Yield(int ms);
// Milliseconds of a steady clock (performance.now).
double NowMs();

void SetScreenSize(int width, int height);
// Shows width x height RGBA bytes at `rgba` on the canvas.
void Blit(const uint8_t* rgba, int width, int height);
// Whether the browser has painted a picture since the last Blit: one more
// before then would never be seen.
bool PaintedSinceBlit();
void SetTitle(const char* utf8);
void SetCursorHidden(bool hidden);
void RequestPointerLock();
void ExitPointerLock();
// The program's main has begun (its static initialisation, and any refusal
// of its command line or recording there, is over).
void ShowStarted();
// The program has ended: the page says so.
void ShowEnded();

}  // namespace web
}  // namespace kv
