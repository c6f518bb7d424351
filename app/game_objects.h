// The per-window objects of the program: the match, the sprite context and
// the back buffer, owned through gMatch, gSpriteDC and gBackBuffer.
#pragma once

#include "platform/win32.h"

// Releases whichever of the three exist and builds fresh ones for `window`:
// match, sprite context, back buffer, each old one released just before its
// replacement is made.
void ReplaceGameObjects(HWND window);

// Releases the three (match, back buffer, sprite context) and clears the
// globals, so nothing can reach a freed object afterwards.
void ReleaseGameObjects();
