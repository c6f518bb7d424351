// The application shell: the frame step, the window and dialog procedures,
// and New Game. WinMain is declared by platform/win32.h.
#pragma once

#include "platform/win32.h"

void RunFrame();
LRESULT CALLBACK WndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK AboutDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
void NewGame();
