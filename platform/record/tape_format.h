// The layout of a recording (docs/recording.md describes it for readers of
// the file): a header, checksummed blocks of records, and a trailer.
#pragma once

#include <cstdint>

#include "platform/backend.h"

namespace kv {
namespace record {

constexpr char kMagic[8] = {'K', 'V', 'R', 'E', 'C', 'O', 'R', 'D'};
constexpr uint8_t kFormatVersion = 1;

// Section tags after the header.
constexpr uint8_t kBlockTag = 'B';
constexpr uint8_t kTrailerTag = 'E';

// A reader refuses larger sizes before allocating anything for them.
constexpr uint32_t kMaxBlockBytes = 4u << 20;
constexpr uint32_t kMaxVersionText = 200;
// What one recording may hold at most, in records before packing: some
// 150 hours of unpaced play, far beyond any real session, and a bound on
// the time any file can keep a replay busy.
constexpr uint64_t kMaxRecordingBytes = uint64_t{16} << 30;

// Screen coordinates and sides as a backend can report them: a recording
// holds what it is given to this range, and a reader takes nothing else.
inline bool OnScreenScale(int64_t v) {
  return v >= -kMaxScreenCoordinate && v <= kMaxScreenCoordinate;
}
inline int HeldToScreenScale(int v) {
  return v < -kMaxScreenCoordinate ? -kMaxScreenCoordinate
                                   : v > kMaxScreenCoordinate ? kMaxScreenCoordinate : v;
}

// One answer the platform layer got from outside, or a mark in the stream.
// A record is a tag byte (kind in the low four bits, a small value in the
// high four) followed by the kind's fields as variable-length integers.
enum class Kind : uint8_t {
  kClock = 1,       // a wall-clock reading, delta from the previous one
  kNoEvent = 2,     // PollEvent found nothing
  kEvent = 3,       // PollEvent's event
  kPointer = 4,     // PointerPosition
  kGrab = 5,        // GrabPointer's result
  kScreen = 6,      // ScreenSize
  kOrigin = 7,      // SurfaceOrigin
  kCreate = 8,      // CreateWindow succeeded or not
  kPresent = 9,     // a frame shown: the frame boundary
  kCheckpoint = 10, // the hash of the frame just presented
};

// A decoded record. Windows are named by creation number (1 for the first
// window the backend made), 0 for none.
struct Record {
  Kind kind = Kind::kNoEvent;
  int64_t a = 0, b = 0;  // clock: a; pointer, origin, screen: a, b; grab, create: a
  uint64_t hash = 0;     // checkpoint: the frame's hash, a: its frame number
  InputEvent event;      // kEvent; event.window holds the creation number
  uint32_t windowId = 0;
};

struct Trailer {
  uint64_t frames = 0;
  int64_t leftScore = -1, rightScore = -1;  // -1: the score was never read
  uint64_t lastFrameHash = 0;
};

const char* KindName(Kind kind);

}  // namespace record
}  // namespace kv
