// The application shell: the frame step, the window and dialog procedures,
// and New Game. WinMain is declared by platform/win32.h.
#pragma once

#include "platform/win32.h"

void RunFrame();
LRESULT CALLBACK WndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK AboutDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
void NewGame();

// Start-up as WinMain runs it: stores the instance, registers the window
// class, loads the menu with Easy checked and creates and shows the main
// window. False, after the error message box, when the window cannot be made.
bool StartUp(HINSTANCE instance);
// The message pump: dispatches every pending message, runs a frame whenever
// the queue is empty, and returns the quit code.
int RunMessagePump();
