// What the backend's own tests may look at and change beyond the Backend
// interface. The program never uses these.
#pragma once

#include <X11/Xlib.h>

#include "platform/backend.h"

namespace kv {
namespace x11 {
namespace testing {

// The connection of an X11 backend; null for any other backend.
Display* DisplayOf(Backend* backend);
// The X window behind a live window of that backend, or None.
Window XWindowOf(Backend* backend, NativeWindow* window);
// Whether the window's pixels reach the server through shared memory.
bool UsesSharedMemory(Backend* backend, NativeWindow* window);
// Lets windows created from now on try shared memory, or not.
void AllowSharedMemory(Backend* backend, bool allowed);
// Lets windows created from now on report motion through XInput 2, or
// only as core events (as on a server without it).
void AllowXInput2(Backend* backend, bool allowed);
// The size of the image the window's pixels reach the screen from, in
// screen pixels; 0 x 0 for no live window.
void ScreenImageSize(Backend* backend, NativeWindow* window, int* width, int* height);
// Whether the server may still be reading the window's surface for a put.
bool PutPending(Backend* backend, NativeWindow* window);

}  // namespace testing
}  // namespace x11
}  // namespace kv
