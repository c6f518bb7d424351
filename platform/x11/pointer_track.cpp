#include "platform/x11/pointer_track.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace kv {
namespace x11 {

namespace {

// The server carries out a warp by `move` from `*server`: it moves from the
// whole pixel, and what it dropped goes to the carry with the warp's own.
void CarryOut(double* server, double* carry, int move, int warpCarry) {
  const double whole = std::floor(*server);
  *carry += *server - whole + warpCarry;
  *server = whole + move;
}

// Settles the warps that the server had carried out by request `serial`:
// the new base already includes them, all but the carry.
void SettleWarpsUpTo(PointerTrack* track, unsigned long serial) {
  int kept = 0;
  for (int i = 0; i < track->pendingCount; ++i) {
    const PendingWarp& warp = track->pending[i];
    if (warp.serial > serial) {
      track->pending[kept++] = warp;
      continue;
    }
    CarryOut(&track->x, &track->carryX, warp.dx, warp.carryX);
    CarryOut(&track->y, &track->carryY, warp.dy, warp.carryY);
  }
  track->pendingCount = kept;
}

struct Predicted {
  double serverX, serverY;  // where the server will have its pointer
  double x, y;              // and the person's, with the carry
};

Predicted Predict(const PointerTrack& track, int width, int height) {
  const double right = std::max(width - 1, 0), bottom = std::max(height - 1, 0);
  Predicted p{track.x, track.y, 0, 0};
  double carryX = track.carryX, carryY = track.carryY;
  for (int i = 0; i < track.pendingCount; ++i) {
    const PendingWarp& warp = track.pending[i];
    CarryOut(&p.serverX, &carryX, warp.dx, warp.carryX);
    CarryOut(&p.serverY, &carryY, warp.dy, warp.carryY);
    p.serverX = std::clamp(p.serverX, 0.0, right);
    p.serverY = std::clamp(p.serverY, 0.0, bottom);
  }
  p.x = std::clamp(p.serverX + carryX, 0.0, right);
  p.y = std::clamp(p.serverY + carryY, 0.0, bottom);
  return p;
}

long long FloorDivision(long long value, long long by) {
  return value >= 0 ? value / by : -((-value + by - 1) / by);
}

int ToInt(long long value) {
  return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

// One axis of a planned warp. The person's pointer moves by whole program
// pixels from the one it is in; the server's lands on the whole pixel the
// person's lands in, and the rest is carried.
void PlanAxis(double server, double person, int scale, int target, int* move, int* carry) {
  const long long personPixel = static_cast<long long>(std::floor(person));
  const long long serverPixel = static_cast<long long>(std::floor(server));
  const long long personMove = (target - FloorDivision(personPixel, scale)) * scale;
  *move = ToInt(personPixel + personMove - serverPixel);
  *carry = ToInt(serverPixel - personPixel);
}

}  // namespace

void ForgetPointer(PointerTrack* track) { *track = PointerTrack{}; }

void NotePointerReading(PointerTrack* track, unsigned long serial, double x, double y) {
  track->known = true;
  track->serial = serial;
  track->x = x;
  track->y = y;
  track->carryX = track->carryY = 0;
  int kept = 0;
  for (int i = 0; i < track->pendingCount; ++i)
    if (track->pending[i].serial > serial) track->pending[kept++] = track->pending[i];
  track->pendingCount = kept;
}

void NotePointerReport(PointerTrack* track, unsigned long serial, double x, double y,
                       PointerReport kind) {
  if (!track->known || serial < track->serial) return;
  SettleWarpsUpTo(track, serial);
  track->serial = serial;
  const bool whole = kind == PointerReport::kWhole;
  if (!whole || std::floor(track->x) != x) track->x = x;
  if (!whole || std::floor(track->y) != y) track->y = y;
  if (kind == PointerReport::kAbsolute) track->carryX = track->carryY = 0;
}

bool PlanPointerWarp(const PointerTrack& track, int width, int height, int scale, int x, int y,
                     PendingWarp* warp) {
  if (!track.known || scale < 1) return false;
  const Predicted p = Predict(track, width, height);
  PlanAxis(p.serverX, p.x, scale, x, &warp->dx, &warp->carryX);
  PlanAxis(p.serverY, p.y, scale, y, &warp->dy, &warp->carryY);
  return true;
}

bool NotePointerWarp(PointerTrack* track, const PendingWarp& warp) {
  if (!track->known) return false;
  if (track->pendingCount == kMaxPendingWarps) {
    ForgetPointer(track);
    return false;
  }
  track->pending[track->pendingCount++] = warp;
  return true;
}

bool TrackedPointer(const PointerTrack& track, int width, int height, double* x, double* y) {
  if (!track.known) return false;
  const Predicted p = Predict(track, width, height);
  *x = p.x;
  *y = p.y;
  return true;
}

}  // namespace x11
}  // namespace kv
