// Writes 24-bit PNG files without an image library: the pixel rows go into
// stored (uncompressed) deflate blocks, which every PNG reader accepts.
#pragma once

#include <cstdint>
#include <string>

#include "platform/surface.h"

namespace kv {
namespace screenshots {

// Writes the surface (0x00RRGGBB pixels) to `path`. False when the file
// cannot be written or the surface is empty.
bool WritePng(const PixelSurface& surface, const std::string& path);
// Writes `width` x `height` pixels of red, green, blue and (straight) alpha
// bytes, top row first, as an RGBA PNG: the desktop icon.
bool WritePngRgba(int width, int height, const uint8_t* rgba, const std::string& path);

}  // namespace screenshots
}  // namespace kv
