// MessageBoxW: a small modal box with the text and an OK button, or, when
// there is no display to show it on, a line on standard error.
#include <algorithm>
#include <cstdio>
#include <string>

#include "platform/backend.h"
#include "platform/rt/utf8.h"
#include "platform/user/dialog.h"
#include "platform/user/look.h"

namespace kv {
namespace user {

namespace {

constexpr int kMargin = 12;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 23;

void WriteToStandardError(const std::wstring& caption, const std::wstring& text) {
  // Standard error may already carry narrow output, so the wide text is
  // written as UTF-8 bytes rather than through the wide stream functions.
  std::string line = rt::WideToUtf8(caption.c_str()) + ": " + rt::WideToUtf8(text.c_str()) + "\n";
  std::fputs(line.c_str(), stderr);
  std::fflush(stderr);
}

INT_PTR CALLBACK MessageBoxProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_INITDIALOG) return TRUE;
  if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
    EndDialog(dialog, IDOK);  // with only an OK button, every way out means OK
    return TRUE;
  }
  return FALSE;
}

// The box's layout in pixels: the text's lines above a centred OK button.
DialogLayout MessageBoxLayout(const std::wstring& text, const std::wstring& caption) {
  DialogLayout layout;
  layout.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
  layout.title = caption;
  HDC dc = CreateCompatibleDC(nullptr);
  HFONT font = dc ? CreateGuiFont() : nullptr;
  HGDIOBJ old = font ? SelectObject(dc, font) : nullptr;
  int textWidth = 0, lineCount = 0, lineHeight = dc ? LineHeight(dc) : 13;
  for (const TextLine& line : WrapText(dc, text, 1 << 20)) {
    std::wstring part = text.substr(line.start, line.length);
    textWidth = std::max<int>(textWidth, dc ? MeasureText(dc, part).cx : 6 * static_cast<int>(part.size()));
    ++lineCount;
  }
  int captionWidth = dc ? MeasureText(dc, caption).cx : 6 * static_cast<int>(caption.size());
  if (font) {
    SelectObject(dc, old);
    DeleteObject(font);
  }
  if (dc) DeleteDC(dc);
  int width = std::max({textWidth + 2 * kMargin, kButtonWidth + 2 * kMargin, captionWidth + 60, 160});
  int textHeight = std::max(1, lineCount) * lineHeight;
  layout.clientWidth = width;
  layout.clientHeight = kMargin + textHeight + kMargin + kButtonHeight + kMargin;

  auto label = std::make_unique<DialogControl>();
  label->kind = ControlKind::kStaticText;
  label->id = IDC_STATIC;
  label->style = WS_CHILD | WS_VISIBLE | SS_LEFT | 0x80;  // no '&' processing in a message
  label->text = text;
  label->rect = RECT{kMargin, kMargin, kMargin + textWidth + 1, kMargin + textHeight};
  layout.controls.push_back(std::move(label));

  auto ok = std::make_unique<DialogControl>();
  ok->kind = ControlKind::kPushButton;
  ok->id = IDOK;
  ok->style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON;
  ok->text = L"OK";
  ok->defaultButton = true;
  ok->tabStop = true;
  int left = (width - kButtonWidth) / 2, top = layout.clientHeight - kMargin - kButtonHeight;
  ok->rect = RECT{left, top, left + kButtonWidth, top + kButtonHeight};
  layout.controls.push_back(std::move(ok));
  return layout;
}

}  // namespace

}  // namespace user
}  // namespace kv

int MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT) {
  std::wstring body = text ? text : L"";
  std::wstring title = caption ? caption : L"Error";  // the platform's caption when none is given
  kv::Backend* backend = kv::ActiveBackend();
  if (!backend) {
    kv::user::WriteToStandardError(title, body);
    return IDOK;
  }
  kv::user::DialogLayout layout = kv::user::MessageBoxLayout(body, title);
  // Centred over the owner, or over the screen.
  RECT area{0, 0, 0, 0};
  if (!kv::user::LiveWindow(owner) || !GetWindowRect(owner, &area)) {
    int w = 0, h = 0;
    backend->ScreenSize(&w, &h);
    area = RECT{0, 0, w, h};
  }
  int x = std::max<int>(0, area.left + (area.right - area.left - layout.clientWidth) / 2);
  int y = std::max<int>(0, area.top + (area.bottom - area.top - layout.clientHeight) / 2);
  INT_PTR result = kv::user::RunDialog(std::move(layout), nullptr, x, y, owner,
                                       kv::user::MessageBoxProc, 0);
  if (result == -1) {
    // No window could be made: the message still reaches the person.
    kv::user::WriteToStandardError(title, body);
  }
  return IDOK;
}
