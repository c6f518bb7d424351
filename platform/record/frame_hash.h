// A 64-bit hash of a surface's pixels (FNV-1a over size and rows): what a
// recording keeps of a frame instead of the frame.
#pragma once

#include <cstdint>

#include "platform/surface.h"

namespace kv {
namespace record {

uint64_t FrameHash(const PixelSurface& surface);

}  // namespace record
}  // namespace kv
