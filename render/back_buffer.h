// The off-screen 1000 x 600 surface that every frame is drawn into.
#pragma once

#include <cstdint>

#include "platform/win32.h"

struct BackBuffer {
  int32_t height;
  int32_t width;
  HDC memoryDC;
  HWND window;
  HGDIOBJ previousBitmap;
  HBITMAP bitmap;

  explicit BackBuffer(HWND window);
  ~BackBuffer();
  BackBuffer(const BackBuffer&) = delete;
  BackBuffer& operator=(const BackBuffer&) = delete;

  // Copies the whole surface to the window's client area at (0, 0).
  void Present();
};
