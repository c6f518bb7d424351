// The icon as a Windows .ico file: the setup program, its Start-menu
// shortcut and the Apps list show it (the program itself keeps the system's
// default icon).
#pragma once

#include <cstdint>
#include <vector>

#include "res/art/icon.h"

namespace kv {
namespace icon {

// One .ico holding every image given, in that order, each as a 32-bit
// bitmap with straight alpha and the 1-bit mask older readers want. Sizes
// from 1 to 256; an empty vector when an image is out of that range or its
// pixels do not match its size.
std::vector<uint8_t> EncodeIco(const std::vector<art::IconImage>& images);

}  // namespace icon
}  // namespace kv
