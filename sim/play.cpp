// Where play starts and stops: the cursor is hidden and the mouse captured
// exactly while play runs.
#include "sim/match.h"
#include "state/cursor_visibility.h"
#include "state/globals.h"

void StartPlay() {
  Match* match = gMatch;
  if (match == nullptr) return;  // no match yet: nothing to start
  POINT p;
  p.x = static_cast<LONG>(match->human->position.x);
  p.y = static_cast<LONG>(match->human->position.y);
  ClientToScreen(match->window, &p);
  SetCursorPos(p.x, p.y);
  // Measure the first frame from where the cursor really is.
  GetCursorPos(&match->cursorAnchor);
  match->stopped = 0;
  SetCapture(match->window);
  SetCursorVisible(false);
}

void StopPlay(Match& match) {
  match.stopped = 1;
  ReleaseCapture();
  SetCursorVisible(true);
}
