#include "platform/x11/x11_scale.h"

#include <X11/Xlib.h>
#include <X11/Xresource.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace kv {
namespace x11 {

int ScaleFromResources(const char* resources) {
  if (!resources) return 1;
  XrmInitialize();
  XrmDatabase db = XrmGetStringDatabase(resources);
  if (!db) return 1;
  char* type = nullptr;
  XrmValue value{};
  int scale = 1;
  if (XrmGetResource(db, "Xft.dpi", "Xft.Dpi", &type, &value) && value.addr) {
    // The value is text, "192" or "192.0"; anything unreadable counts as none.
    const char* text = value.addr;
    char* end = nullptr;
    const double dpi = std::strtod(text, &end);
    if (end != text && dpi >= 192.0 && dpi < 96.0 * (kMaxScale + 1))
      scale = static_cast<int>(dpi / 96.0);
  }
  XrmDestroyDatabase(db);
  return scale;
}

int FittingScale(int scale, int width, int height, int screenWidth, int screenHeight) {
  int fitting = scale;
  while (fitting > 1 && (1LL * width * fitting > screenWidth || 1LL * height * fitting > screenHeight))
    --fitting;
  return fitting < 1 ? 1 : fitting;
}

int SurfaceSide(int windowSide, int scale) {
  scale = std::max(scale, 1);
  const long long covering = (std::max(windowSide, 1) + 1LL * scale - 1) / scale;
  return static_cast<int>(std::min<long long>(covering, kMaxImageSide / scale));
}

int DesktopScale(Display* display) { return ScaleFromResources(XResourceManagerString(display)); }

void ScaleRect(const uint32_t* src, int srcStride, uint32_t* dst, int dstStride, int x, int y,
               int width, int height, int scale) {
  const size_t rowBytes = static_cast<size_t>(width) * static_cast<size_t>(scale) * 4;
  for (int row = 0; row < height; ++row) {
    const uint32_t* in = src + static_cast<size_t>(y + row) * srcStride + x;
    uint32_t* first = dst + static_cast<size_t>(y + row) * scale * dstStride +
                      static_cast<size_t>(x) * scale;
    uint32_t* out = first;
    if (scale == 2) {
      for (int i = 0; i < width; ++i) {
        out[0] = out[1] = in[i];
        out += 2;
      }
    } else {
      for (int i = 0; i < width; ++i)
        for (int k = 0; k < scale; ++k) *out++ = in[i];
    }
    for (int k = 1; k < scale; ++k) std::memcpy(first + static_cast<size_t>(k) * dstStride, first, rowBytes);
  }
}

}  // namespace x11
}  // namespace kv
