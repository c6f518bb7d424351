#include "platform/x11/pointer_track.h"

#include <algorithm>

namespace kv {
namespace x11 {

namespace {

// Drops the warps that the server had carried out by request `serial`: the
// new base already includes them.
void DropWarpsUpTo(PointerTrack* track, unsigned long serial) {
  int kept = 0;
  for (int i = 0; i < track->pendingCount; ++i)
    if (track->pending[i].serial > serial) track->pending[kept++] = track->pending[i];
  track->pendingCount = kept;
}

}  // namespace

void ForgetPointer(PointerTrack* track) { *track = PointerTrack{}; }

void NotePointerReading(PointerTrack* track, unsigned long serial, int x, int y) {
  track->known = true;
  track->serial = serial;
  track->x = x;
  track->y = y;
  DropWarpsUpTo(track, serial);
}

void NotePointerReport(PointerTrack* track, unsigned long serial, int x, int y) {
  if (!track->known || serial < track->serial) return;
  NotePointerReading(track, serial, x, y);
}

bool NotePointerWarp(PointerTrack* track, unsigned long serial, int dx, int dy) {
  if (!track->known) return false;
  if (dx == 0 && dy == 0) return true;  // the server does not move, nor report
  if (track->pendingCount == kMaxPendingWarps) {
    ForgetPointer(track);
    return false;
  }
  track->pending[track->pendingCount++] = PendingWarp{serial, dx, dy};
  return true;
}

bool TrackedPointer(const PointerTrack& track, int width, int height, int* x, int* y) {
  if (!track.known) return false;
  const int right = std::max(width - 1, 0), bottom = std::max(height - 1, 0);
  long long px = track.x, py = track.y;
  for (int i = 0; i < track.pendingCount; ++i) {
    px = std::clamp<long long>(px + track.pending[i].dx, 0, right);
    py = std::clamp<long long>(py + track.pending[i].dy, 0, bottom);
  }
  *x = static_cast<int>(px);
  *y = static_cast<int>(py);
  return true;
}

}  // namespace x11
}  // namespace kv
