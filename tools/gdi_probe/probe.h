// Draws a fixed list of cases into memory bitmaps through the windowing and
// drawing interface and writes every resulting pixel to a file, so that our
// drawing layer and the real one can be compared pixel for pixel.
#pragma once

#include "platform/win32.h"

// `crafted` holds the probe's own pictures (probe.rc), `game` the game's
// (res/kelvara.rc). Returns 0 when every case was drawn and written, 1 when
// a picture did not load or the file could not be written (with a message
// on stderr).
int RunProbe(HINSTANCE crafted, HINSTANCE game, const char* outPath);
