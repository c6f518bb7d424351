// Where the pointer is while our grab holds, known without asking the server.
//
// Under the grab the server reports every movement of the pointer to us, and
// each report carries the root position and the sequence number of the last
// request the server had carried out when it made the report. The pointer is
// where the newest report (or reading) put it, moved by those of our relative
// warps that came after it: the server answers each warp with a report of its
// own, and until that arrives the warp is still on its way.
//
// Plain arithmetic, no X calls: the backend feeds it and asks it.
#pragma once

namespace kv {
namespace x11 {

// More warps than this without a report in between means the server is far
// behind; the backend then asks it outright.
constexpr int kMaxPendingWarps = 16;

struct PendingWarp {
  unsigned long serial = 0;  // the warp request's sequence number
  int dx = 0, dy = 0;
};

struct PointerTrack {
  bool known = false;
  unsigned long serial = 0;  // of the report or reading the base comes from
  int x = 0, y = 0;          // the base, in root coordinates
  int pendingCount = 0;
  PendingWarp pending[kMaxPendingWarps];
};

void ForgetPointer(PointerTrack* track);
// An answer to a pointer query sent as request `serial`.
void NotePointerReading(PointerTrack* track, unsigned long serial, int x, int y);
// An event made after the server had carried out request `serial`. One made
// before the base was taken says nothing new and is ignored.
void NotePointerReport(PointerTrack* track, unsigned long serial, int x, int y);
// Our warp by (dx, dy), sent as request `serial`. Returns false, with the
// track forgotten, when too many warps are already unanswered.
bool NotePointerWarp(PointerTrack* track, unsigned long serial, int dx, int dy);
// Where the pointer is on a width x height screen (the server keeps it there
// after every warp), or false when the track does not know.
bool TrackedPointer(const PointerTrack& track, int width, int height, int* x, int* y);

}  // namespace x11
}  // namespace kv
