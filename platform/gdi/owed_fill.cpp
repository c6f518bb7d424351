// What the drawing layer knows about a bitmap's pixels without reading them:
// that all of them are black, or that a rectangle is owed a black fill.
#include <algorithm>

#include "platform/gdi/gdi_internal.h"
#include "platform/gdi/gdi_objects.h"

namespace kv {
namespace gdi {
namespace {
bool gFastPaths = true;
}  // namespace

void SetFastPaths(bool on) { gFastPaths = on; }
bool FastPathsOn() { return gFastPaths; }

void Settle(HBITMAP b) {
  RECT& r = b->pendingZero;
  if (EmptyRect(r)) return;
  b->format->fillRect(b->surface, r, 0);
  r = RECT{0, 0, 0, 0};
}

void NoteWrite(HBITMAP b) { b->allZero = HBITMAP__::Zero::kUnknown; }

bool IsAllZero(HBITMAP b) {
  if (b->dibBits) return false;
  if (b->allZero == HBITMAP__::Zero::kUnknown) {
    Settle(b);
    const bool zero = std::all_of(b->storage.begin(), b->storage.end(),
                                  [](uint32_t p) { return p == 0; });
    b->allZero = zero ? HBITMAP__::Zero::kYes : HBITMAP__::Zero::kNo;
  }
  return b->allZero == HBITMAP__::Zero::kYes;
}

}  // namespace gdi
}  // namespace kv
