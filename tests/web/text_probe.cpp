// The drawing layer's text, printed so that two builds can be compared line
// for line: built natively (the FreeType glyph source) and for the browser
// (the page's glyph source, the typefaces shipped with the page). It draws
// the two score lines at two digits as the scene does (white, the System
// stock font, on the pitch's green), and measures the strings the menus,
// the About box and the verdicts lay out with.
//
//   score ROW HEX...       the pixels of rows 20 to 44 of a 1000-pixel line
//   extent<TAB>FACE<TAB>HEIGHT<TAB>WEIGHT<TAB>TEXT<TAB>CX<TAB>CY
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "platform/gdi/gdi_internal.h"
#include "platform/win32.h"

namespace {

constexpr int kWidth = 1000, kTop = 20, kBottom = 45;
constexpr uint32_t kPitch = 0x008000;

void PrintScoreLines() {
  std::vector<uint32_t> pixels(static_cast<size_t>(kWidth) * kBottom, kPitch);
  HDC dc = kv::gdi::CreateSurfaceDC(kv::PixelSurface{pixels.data(), kWidth, kBottom, kWidth});
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(255, 255, 255));
  TextOutW(dc, 60, 25, L"Left Player Score: 99", 21);
  TextOutW(dc, 800, 25, L"Right Player Score: 99", 22);
  DeleteDC(dc);
  for (int y = kTop; y < kBottom; ++y) {
    std::string row = "score " + std::to_string(y) + " ";
    char hex[8];
    for (int x = 0; x < kWidth; ++x) {
      std::snprintf(hex, sizeof hex, "%06x", pixels[static_cast<size_t>(y) * kWidth + x] & 0xFFFFFF);
      row += hex;
    }
    std::printf("%s\n", row.c_str());
  }
}

void PrintExtents(const wchar_t* face, int height, int weight, const std::vector<const wchar_t*>& texts) {
  std::vector<uint32_t> pixels(16);
  HDC dc = kv::gdi::CreateSurfaceDC(kv::PixelSurface{pixels.data(), 4, 4, 4});
  HFONT font = CreateFontW(height, 0, 0, 0, weight, 0, 0, 0, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                           CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, VARIABLE_PITCH, face);
  HGDIOBJ old = SelectObject(dc, font);
  for (const wchar_t* text : texts) {
    SIZE size{};
    GetTextExtentPoint32W(dc, text, static_cast<int>(std::wcslen(text)), &size);
    std::printf("extent\t%ls\t%d\t%d\t%ls\t%ld\t%ld\n", face, height, weight, text,
                static_cast<long>(size.cx), static_cast<long>(size.cy));
  }
  SelectObject(dc, old);
  DeleteObject(font);
  DeleteDC(dc);
}

}  // namespace

int main() {
  PrintScoreLines();
  // The menu bar, its drop-downs and the About box: the dialog face.
  PrintExtents(L"MS Shell Dlg", -11, FW_NORMAL,
               {L"File", L"Difficulty Level", L"Help", L"New Game", L"Exit", L"Easy", L"Medium",
                L"Hard", L"Champion", L"About", L"Kelvara", L"Version 1.0", L"Controls", L"OK",
                L"Click left mouse button to start the game.",
                L"Click right mouse button to pause the game.",
                L"Move the Mouse to move the left player.",
                L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"});
  // A dialog's caption.
  PrintExtents(L"MS Shell Dlg", -11, FW_BOLD, {L"Kelvara"});
  // The verdicts.
  PrintExtents(L"Arial", 48, FW_BOLD,
               {L"CONGRATULATIONS !!!", L"TOO BAD, A TIE ...", L"SORRY, MAYBE NEXT TIME ..."});
  std::fflush(stdout);
  return 0;
}
