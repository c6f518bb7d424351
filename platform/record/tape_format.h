// The layout of a recording (docs/recording.md describes it for readers of
// the file): a header, checksummed blocks of records, and a trailer.
#pragma once

#include <cstdint>
#include <string>

#include "platform/backend.h"

namespace kv {
namespace record {

constexpr char kMagic[8] = {'K', 'V', 'R', 'E', 'C', 'O', 'R', 'D'};
// 2: the command line, performance-counter readings, and how the recording
// ended. Format 1 files are still read (they have none of the three).
constexpr uint8_t kFormatVersion = 2;

// Section tags after the header.
constexpr uint8_t kBlockTag = 'B';
constexpr uint8_t kTrailerTag = 'E';

// A reader refuses larger sizes before allocating anything for them.
constexpr uint32_t kMaxBlockBytes = 4u << 20;
constexpr uint32_t kMaxVersionText = 200;
// The longest command line Windows passes a program.
constexpr uint32_t kMaxCommandLine = 32767;
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
  kCounter = 11,    // a performance-counter reading, in kCounterUnitNs
};

// A recorded program reads the performance counter in steps of 10 us: far
// finer than any pace it keeps (10,000 frames a second at most), and coarse
// enough that a paced recording is not mostly the counter's last digits.
constexpr int64_t kCounterUnitNs = 10000;
// The largest counter reading a file may hold: its value in nanoseconds,
// which the program reads, must fit.
constexpr int64_t kMaxCounterUnits = INT64_MAX / kCounterUnitNs;

// A decoded record. Windows are named by creation number (1 for the first
// window the backend made), 0 for none.
struct Record {
  Kind kind = Kind::kNoEvent;
  int64_t a = 0, b = 0;  // clock: a; pointer, origin, screen: a, b; grab, create: a
  uint64_t hash = 0;     // checkpoint: the frame's hash, a: its frame number
  InputEvent event;      // kEvent; event.window holds the creation number
  uint32_t windowId = 0;
};

// How the recorded program ended (format 2 on; format 1 knows only the first).
enum class Ending : uint8_t {
  kProgramEnded = 0,  // it returned from WinMain
  kDisplayLost = 1,   // its display went away
  kSignal = 2,        // a stop signal (SIGINT, SIGTERM, SIGHUP) ended it
};

struct Trailer {
  uint64_t frames = 0;
  int64_t leftScore = -1, rightScore = -1;  // -1: the score was never read
  // The last presented window's pixels when the recording ended.
  uint64_t lastFrameHash = 0;
  Ending ending = Ending::kProgramEnded;
  int signal = 0;  // kSignal: which
};

// "SIGINT", "SIGTERM", "SIGHUP", or "signal N".
std::string SignalName(int signal);

const char* KindName(Kind kind);

}  // namespace record
}  // namespace kv
