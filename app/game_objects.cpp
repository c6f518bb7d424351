#include "app/game_objects.h"

#include "render/back_buffer.h"
#include "sim/match.h"
#include "state/globals.h"

namespace {
const Vector2 kPitchCentre(500.0f, 300.0f);
}  // namespace

void ReplaceGameObjects(HWND window) {
  delete gMatch;
  gMatch = new Match(window, kPitchCentre);

  if (gSpriteDC) DeleteDC(gSpriteDC);
  gSpriteDC = CreateCompatibleDC(nullptr);

  delete gBackBuffer;
  gBackBuffer = new BackBuffer(window);
}

void ReleaseGameObjects() {
  delete gMatch;
  gMatch = nullptr;
  delete gBackBuffer;
  gBackBuffer = nullptr;
  if (gSpriteDC) DeleteDC(gSpriteDC);
  gSpriteDC = nullptr;
}
