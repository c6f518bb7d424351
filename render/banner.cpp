#include "render/banner.h"

#include <cwchar>

#include "render/back_buffer.h"
#include "res/resource.h"
#include "sim/match.h"
#include "state/globals.h"

WCHAR gBannerText[255];

namespace {

constexpr COLORREF kTieColour = 0x00FFFFFF;   // white
constexpr COLORREF kLossColour = 0x000000FF;  // red
constexpr COLORREF kWinColour = 0x00FF0000;   // blue

HFONT CreateVerdictFont() {
  return CreateFontW(48, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                     CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, VARIABLE_PITCH, L"Arial");
}

// The trophy lives for one draw only; its bitmaps go with it.
void DrawTrophy(HDC dc) {
  Sprite trophy(gInstance, Circle(500.0f, 300.0f, 50.0f), IDB_TROPHY, IDB_TROPHY_MASK,
                Vector2(500.0f, 300.0f), Vector2(0.0f, 0.0f));
  trophy.Draw(gSpriteDC, dc);
}

}  // namespace

void DrawBanner() {
  HDC dc = gBackBuffer->memoryDC;
  SetBkMode(dc, TRANSPARENT);
  const COLORREF savedColour = GetTextColor(dc);
  HFONT font = CreateVerdictFont();
  HGDIOBJ previousFont = SelectObject(dc, font);

  const WCHAR* verdict;
  if (gMatch->leftScore == gMatch->rightScore) {
    SetTextColor(dc, kTieColour);
    verdict = L"TOO BAD, A TIE ...";
  } else if (gMatch->leftScore < gMatch->rightScore) {
    SetTextColor(dc, kLossColour);
    verdict = L"SORRY, MAYBE NEXT TIME ...";
  } else {
    DrawTrophy(dc);
    SetTextColor(dc, kWinColour);
    verdict = L"CONGRATULATIONS !!!";
  }
  // The verdict goes in as an argument, never as the format: the text comes
  // out the same, and no '%' in it could ever be read as a conversion.
  swprintf(gBannerText, sizeof gBannerText / sizeof gBannerText[0], KV_FMT_WSTR, verdict);

  // Centred on the halfway line, top edge at row 50: above the trophy.
  SetTextAlign(dc, TA_CENTER);
  TextOutW(dc, 500, 50, gBannerText, static_cast<int>(wcslen(gBannerText)));

  SetTextColor(dc, savedColour);
  SelectObject(dc, previousFont);
  DeleteObject(font);
}
