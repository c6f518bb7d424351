// Where the pointer is while our grab holds, known without asking the server.
//
// Under the grab the server reports every movement of the pointer to us, and
// each report carries the root position and the sequence number of the last
// request the server had carried out when it made the report. The pointer is
// where the newest report (or reading) put it, moved by those of our relative
// warps that came after it: the server answers each warp with a report of its
// own (even one that does not move), and until that arrives the warp is still
// on its way.
//
// Positions can lie between pixels: a compositor (or libinput) moves the
// pointer by fractions, and XInput 2 reports them. Every warp puts the
// pointer back on a whole pixel and drops the fraction it had then, so a
// slowly moved mouse would lose most of its motion, and unevenly: what is
// dropped rightwards and downwards is rounded up leftwards and upwards. The
// track adds up what the server dropped at our warps (the carry): the
// person's pointer is the server's plus the carry, and the backend reports
// its whole-pixel part, so that the whole of the person's motion reaches the
// program. Without fractional reports the carry stays nothing, and a device
// that gives the place itself (a tablet, a virtual machine's pointer, a
// compositor's pointer before it is locked) has nothing to carry: its next
// report undoes the warp anyway.
//
// Plain arithmetic, no X calls: the backend feeds it and asks it.
#pragma once

namespace kv {
namespace x11 {

// More warps than this without a report in between means the server is far
// behind; the backend then asks it outright.
constexpr int kMaxPendingWarps = 16;

struct PendingWarp {
  unsigned long serial = 0;   // the warp request's sequence number
  int dx = 0, dy = 0;         // the server's move
  int carryX = 0, carryY = 0;  // how much further the person's pointer moves
};

struct PointerTrack {
  bool known = false;
  unsigned long serial = 0;    // of the report or reading the base comes from
  double x = 0, y = 0;         // the base: the server's pointer, in root coordinates
  double carryX = 0, carryY = 0;  // the person's pointer is the server's plus this
  int pendingCount = 0;
  PendingWarp pending[kMaxPendingWarps];
};

void ForgetPointer(PointerTrack* track);
// An answer to a pointer query sent as request `serial`: a fresh start.
void NotePointerReading(PointerTrack* track, unsigned long serial, double x, double y);
enum class PointerReport {
  kWhole,     // a core event: whole pixels only
  kMotion,    // XInput 2, from a device that moves the pointer (a mouse)
  kAbsolute,  // XInput 2, from a device that puts it at a place
};

// An event made after the server had carried out request `serial`. One made
// before the base was taken says nothing new and is ignored. Where a whole
// report agrees with the base's whole pixel, the base keeps its fraction.
void NotePointerReport(PointerTrack* track, unsigned long serial, double x, double y,
                       PointerReport kind);
// The warp that puts the person's pointer on pixel (x, y) of a program
// shown `scale` times larger on a width x height screen: by whole program
// pixels from the one it is in, so that its place within that pixel, down
// to the fraction, stays and counts towards the next move. False when the
// track does not know where the pointer is.
bool PlanPointerWarp(const PointerTrack& track, int width, int height, int scale, int x, int y,
                     PendingWarp* warp);
// The planned warp, sent as request `warp.serial`. Returns false, with the
// track forgotten, when too many warps are already unanswered.
bool NotePointerWarp(PointerTrack* track, const PendingWarp& warp);
// Where the person's pointer is on a width x height screen (the server
// keeps its pointer there after every warp), or false when the track does
// not know.
bool TrackedPointer(const PointerTrack& track, int width, int height, double* x, double* y);

}  // namespace x11
}  // namespace kv
