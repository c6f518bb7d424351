// The pixels of one window: an XImage over memory that we own, shared with
// the server through MIT-SHM where it can be, copied with XPutImage where
// it cannot. Either way the memory stays put for the image's life; a window
// given another size gets a new image.
#pragma once

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>

#include <cstdint>

#include "platform/surface.h"

namespace kv {
namespace x11 {

// Made in place by CreateFrameImage: a shared image keeps the address of
// `shm` (Xlib reads the segment from it on every put), so a FrameImage in
// use is never moved or copied into another; a copy serves only to destroy.
struct FrameImage {
  XImage* image = nullptr;
  XShmSegmentInfo shm{};
  bool usesShm = false;
  uint32_t* pixels = nullptr;  // owned; a shared segment or ordinary memory
  int width = 0, height = 0, stride = 0;
};

// Whether shared memory is worth trying on this display at all: the
// extension answers and the server runs on this machine.
bool SharedMemoryUsable(Display* display);

// Makes a black image of width x height for `visual` (24-bit TrueColor with
// 32-bit pixels). Tries shared memory first when `tryShm`; falls back to
// ordinary memory when anything about it fails. False only when no memory
// could be had at all.
bool CreateFrameImage(Display* display, Visual* visual, int width, int height, bool tryShm,
                      FrameImage* out);
void DestroyFrameImage(Display* display, FrameImage* image);

// Sends the request that copies a rectangle (clipped to the image) to the
// same place in `drawable`, without flushing or waiting. True when the
// server reads shared memory after this returns and announces the end with
// a completion event; the ordinary-memory copy travels with the request.
bool PutFrameImage(Display* display, Drawable drawable, GC gc, FrameImage* image, int x, int y,
                   int width, int height);

PixelSurface SurfaceOf(const FrameImage& image);

}  // namespace x11
}  // namespace kv
