#include "render/back_buffer.h"

namespace {
constexpr int32_t kSurfaceWidth = 1000;
constexpr int32_t kSurfaceHeight = 600;
}  // namespace

BackBuffer::BackBuffer(HWND window) : window(window) {
  HDC windowDC = GetDC(window);
  width = kSurfaceWidth;
  height = kSurfaceHeight;
  memoryDC = CreateCompatibleDC(windowDC);
  // Compatible with the window, not with memoryDC: a bitmap made for a fresh
  // memory context would be monochrome.
  bitmap = CreateCompatibleBitmap(windowDC, width, height);
  ReleaseDC(window, windowDC);
  previousBitmap = SelectObject(memoryDC, bitmap);

  // Start black; the default pen draws the outline in black as well.
  HGDIOBJ previousBrush = SelectObject(memoryDC, GetStockObject(BLACK_BRUSH));
  Rectangle(memoryDC, 0, 0, width, height);
  SelectObject(memoryDC, previousBrush);
}

BackBuffer::~BackBuffer() {
  SelectObject(memoryDC, previousBitmap);
  DeleteObject(bitmap);
  DeleteDC(memoryDC);
}

void BackBuffer::Present() {
  // The window's context is borrowed for the copy only, never held across frames.
  HDC windowDC = GetDC(window);
  BitBlt(windowDC, 0, 0, width, height, memoryDC, 0, 0, SRCCOPY);
  ReleaseDC(window, windowDC);
}
