#include "render/scene.h"

#include <cwchar>

#include "sim/match.h"
#include "state/globals.h"

WCHAR gScoreText[30];

namespace {

constexpr COLORREF kScoreColour = 0x00FFFFFF;  // white

// Formats one score line into gScoreText and draws it with its top-left
// corner at (x, y). The length is measured rather than taken from the
// formatter, which reports an error (not a length) when it had to cut the text.
void DrawScoreLine(HDC targetDC, int x, int y, const WCHAR* format, int32_t score) {
  swprintf(gScoreText, sizeof gScoreText / sizeof gScoreText[0], format, score);
  TextOutW(targetDC, x, y, gScoreText, static_cast<int>(wcslen(gScoreText)));
}

}  // namespace

void DrawScene(HDC targetDC) {
  // Back to front: each sprite covers what came before it.
  gMatch->pitch->Draw(gSpriteDC, targetDC);
  gMatch->human->Draw(gSpriteDC, targetDC);
  gMatch->computer->Draw(gSpriteDC, targetDC);
  gMatch->ball->Draw(gSpriteDC, targetDC);

  SetBkMode(targetDC, TRANSPARENT);
  const COLORREF savedColour = GetTextColor(targetDC);
  SetTextColor(targetDC, kScoreColour);
  DrawScoreLine(targetDC, 60, 25, L"Left Player Score: %d", gMatch->leftScore);
  DrawScoreLine(targetDC, 800, 25, L"Right Player Score: %d", gMatch->rightScore);
  SetTextColor(targetDC, savedColour);
}
