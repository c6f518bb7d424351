// The dialog manager's records, shared by its files: the layout made from a
// template (dialog_layout.cpp), painting (dialog_paint.cpp), and the window
// and modal loop (dialog.cpp); message_box.cpp builds a layout of its own.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/rt/resource_templates.h"
#include "platform/user/window.h"
#include "platform/win32.h"

namespace kv {
namespace user {

enum class ControlKind { kPushButton, kGroupBox, kStaticText, kStaticBitmap, kOther };

constexpr uint32_t kControlMagic = 0x4C525443;  // "CTRL"

// A control of a dialog. Controls are drawn by the dialog itself and are not
// windows; GetDlgItem hands out the record's address, which the windowing
// layer does not take for a live window (its magic differs).
struct DialogControl {
  uint32_t magic = kControlMagic;
  ControlKind kind = ControlKind::kOther;
  int id = 0;
  DWORD style = 0;
  std::wstring text;
  RECT rect{};  // client pixels
  bool defaultButton = false;
  bool tabStop = false;
  bool hasBitmapId = false;  // SS_BITMAP names its picture by number
  uint16_t bitmapId = 0;
  HBITMAP bitmap = nullptr;  // loaded while the dialog runs
};

struct DialogLayout {
  DWORD style = 0;
  std::wstring title;
  int x = 0, y = 0;  // pixels, from the owner's client origin
  int clientWidth = 0, clientHeight = 0;
  int fontHeight = -11;
  int fontWeight = FW_NORMAL;
  bool fontItalic = false;
  std::wstring fontFace = L"MS Shell Dlg";
  int baseX = 0, baseY = 0;  // dialog base units in pixels
  std::vector<std::unique_ptr<DialogControl>> controls;
};

// What a running dialog keeps; lives on the stack of its modal loop.
struct DialogState {
  HWND window = nullptr;
  DLGPROC proc = nullptr;
  DialogLayout layout;
  HFONT font = nullptr;
  int focus = -1;      // index of the focused control
  int pressed = -1;    // push button held down by the mouse or Space
  bool pressedInside = true;
  bool pressedBySpace = false;
  bool ended = false;
  INT_PTR result = 0;
};

// a * b / c rounded half away from zero, as the platform's MulDiv; -1 when
// c is 0.
int MulDivRounded(int a, int b, int c);

// Dialog base units of a font: the rounded average width of the 52 Latin
// letters and the line height.
void DialogBaseUnits(HFONT font, int* baseX, int* baseY);

// The layout of a template in pixels. False when there is nothing sound to
// show (no controls fit, sizes out of range).
bool LayoutFromTemplate(const rt::DialogTemplate& dialogTemplate, DialogLayout* layout);

// Paints the dialog and its controls into its client area and presents it.
void PaintDialog(DialogState* state);

// Text lines of a static control: [start, start + length) of `text`, broken
// at '\n' and between words so that each fits `width` where it can.
struct TextLine {
  size_t start = 0;
  size_t length = 0;
};
std::vector<TextLine> WrapText(HDC dc, const std::wstring& text, int width);

// Creates the dialog window at (screenX, screenY), runs it modally against
// `owner` until EndDialog, and returns the result; -1 when it cannot be
// shown.
INT_PTR RunDialog(DialogLayout layout, HINSTANCE instance, int screenX, int screenY, HWND owner,
                  DLGPROC proc, LPARAM param);

}  // namespace user
}  // namespace kv
