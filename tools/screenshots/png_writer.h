// Writes 24-bit PNG files without an image library: the pixel rows go into
// stored (uncompressed) deflate blocks, which every PNG reader accepts.
#pragma once

#include <string>

#include "platform/surface.h"

namespace kv {
namespace screenshots {

// Writes the surface (0x00RRGGBB pixels) to `path`. False when the file
// cannot be written or the surface is empty.
bool WritePng(const PixelSurface& surface, const std::string& path);

}  // namespace screenshots
}  // namespace kv
