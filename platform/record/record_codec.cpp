#include "platform/record/record_codec.h"

namespace kv {
namespace record {

namespace {

constexpr uint8_t kAlt = 1, kShift = 2, kCtrl = 4;
constexpr int kEventTypes = InputEvent::kLastType + 1;
static_assert(kEventTypes <= 16, "an event's type is stored in four bits");

uint8_t Tag(Kind kind, unsigned small) {
  return static_cast<uint8_t>(static_cast<unsigned>(kind) | (small << 4));
}

// A pair coded against the previous pair: nibble 1 alone when unchanged.
void PutPair(std::string& out, Kind kind, int64_t x, int64_t y, int64_t* lastX, int64_t* lastY) {
  if (x == *lastX && y == *lastY) {
    out.push_back(static_cast<char>(Tag(kind, 1)));
  } else {
    out.push_back(static_cast<char>(Tag(kind, 0)));
    PutSigned(out, x - *lastX);
    PutSigned(out, y - *lastY);
  }
  *lastX = x;
  *lastY = y;
}

// A clock's reading as the difference from its previous one: in the tag
// when it is 0 to 14 (the clock read again soon), else a signed varint.
void PutReading(std::string& out, Kind kind, int64_t value, int64_t* last) {
  const int64_t delta =
      static_cast<int64_t>(static_cast<uint64_t>(value) - static_cast<uint64_t>(*last));
  *last = value;
  if (delta >= 0 && delta <= 14) {
    out.push_back(static_cast<char>(Tag(kind, static_cast<unsigned>(delta) + 1)));
  } else {
    out.push_back(static_cast<char>(Tag(kind, 0)));
    PutSigned(out, delta);
  }
}

bool GetReading(SpanReader& in, unsigned small, int64_t* last, int64_t* value) {
  int64_t delta = static_cast<int64_t>(small) - 1;
  if (small == 0 && !in.Signed(&delta)) return false;
  // Unsigned: a hostile delta wraps instead of overflowing.
  *last = static_cast<int64_t>(static_cast<uint64_t>(*last) + static_cast<uint64_t>(delta));
  *value = *last;
  return true;
}

bool GetPair(SpanReader& in, unsigned small, int64_t* lastX, int64_t* lastY, int64_t* x,
             int64_t* y) {
  if (small > 1) return false;
  if (small == 0) {
    int64_t dx, dy;
    if (!in.Signed(&dx) || !in.Signed(&dy)) return false;
    // Unsigned sums: a hostile delta wraps instead of overflowing.
    *lastX = static_cast<int64_t>(static_cast<uint64_t>(*lastX) + static_cast<uint64_t>(dx));
    *lastY = static_cast<int64_t>(static_cast<uint64_t>(*lastY) + static_cast<uint64_t>(dy));
  }
  *x = *lastX;
  *y = *lastY;
  return OnScreenScale(*x) && OnScreenScale(*y);
}

}  // namespace

const char* KindName(Kind kind) {
  switch (kind) {
    case Kind::kClock: return "a clock reading";
    case Kind::kNoEvent: return "no input";
    case Kind::kEvent: return "an input event";
    case Kind::kPointer: return "a pointer reading";
    case Kind::kGrab: return "a pointer grab";
    case Kind::kScreen: return "the screen size";
    case Kind::kOrigin: return "a window's place";
    case Kind::kCreate: return "a new window";
    case Kind::kPresent: return "a frame shown";
    case Kind::kCheckpoint: return "a frame check";
    case Kind::kCounter: return "a performance-counter reading";
  }
  return "an unknown record";
}

std::string SignalName(int signal) {
  switch (signal) {
    case 1: return "SIGHUP";
    case 2: return "SIGINT";
    case 15: return "SIGTERM";
  }
  return "signal " + std::to_string(signal);
}

void RecordCodec::Encode(const Record& r, std::string& out) {
  switch (r.kind) {
    case Kind::kClock:
      PutReading(out, r.kind, r.a, &lastClock_);
      return;
    case Kind::kCounter:
      PutReading(out, r.kind, r.a, &lastCounter_);
      return;
    case Kind::kNoEvent:
    case Kind::kPresent:
      out.push_back(static_cast<char>(Tag(r.kind, 0)));
      return;
    case Kind::kGrab:
    case Kind::kCreate:
      out.push_back(static_cast<char>(Tag(r.kind, r.a ? 1 : 0)));
      return;
    case Kind::kPointer:
      PutPair(out, r.kind, r.a, r.b, &lastX_, &lastY_);
      return;
    case Kind::kOrigin:
      PutPair(out, r.kind, r.a, r.b, &lastOriginX_, &lastOriginY_);
      return;
    case Kind::kScreen:
      out.push_back(static_cast<char>(Tag(r.kind, 0)));
      PutSigned(out, r.a);
      PutSigned(out, r.b);
      return;
    case Kind::kCheckpoint:
      out.push_back(static_cast<char>(Tag(r.kind, 0)));
      PutVarint(out, static_cast<uint64_t>(r.a));
      PutFixed(out, r.hash, 8);
      return;
    case Kind::kEvent: {
      const InputEvent& e = r.event;
      out.push_back(static_cast<char>(Tag(r.kind, static_cast<unsigned>(e.type) & 0xF)));
      PutVarint(out, r.windowId);
      PutSigned(out, e.screenX - lastX_);
      PutSigned(out, e.screenY - lastY_);
      lastX_ = e.screenX;
      lastY_ = e.screenY;
      PutSigned(out, static_cast<int64_t>(e.x) - e.screenX);
      PutSigned(out, static_cast<int64_t>(e.y) - e.screenY);
      PutVarint(out, static_cast<uint64_t>(static_cast<uint32_t>(e.button)));
      PutVarint(out, e.key);
      PutVarint(out, static_cast<uint64_t>(e.ch));
      out.push_back(static_cast<char>((e.alt ? kAlt : 0) | (e.shift ? kShift : 0) |
                                      (e.ctrl ? kCtrl : 0)));
      if (e.type == InputEvent::kResized) {
        PutVarint(out, static_cast<uint32_t>(e.width));
        PutVarint(out, static_cast<uint32_t>(e.height));
      }
      return;
    }
  }
}

bool RecordCodec::Decode(SpanReader& in, Record* r) {
  uint8_t tag;
  if (!in.Byte(&tag)) return false;
  *r = Record{};
  r->kind = static_cast<Kind>(tag & 0xF);
  const unsigned small = tag >> 4;
  switch (r->kind) {
    case Kind::kClock:
      return GetReading(in, small, &lastClock_, &r->a);
    case Kind::kCounter:
      return GetReading(in, small, &lastCounter_, &r->a) && r->a >= 0 && r->a <= kMaxCounterUnits;
    case Kind::kNoEvent:
    case Kind::kPresent:
      return small == 0;
    case Kind::kGrab:
    case Kind::kCreate:
      r->a = small;
      return small <= 1;
    case Kind::kPointer:
      return GetPair(in, small, &lastX_, &lastY_, &r->a, &r->b);
    case Kind::kOrigin:
      return GetPair(in, small, &lastOriginX_, &lastOriginY_, &r->a, &r->b);
    case Kind::kScreen:
      return small == 0 && in.Signed(&r->a) && in.Signed(&r->b) && r->a >= 0 && r->b >= 0 &&
             OnScreenScale(r->a) && OnScreenScale(r->b);
    case Kind::kCheckpoint: {
      uint64_t frame;
      if (small != 0 || !in.Varint(&frame) || !in.Fixed(&r->hash, 8)) return false;
      r->a = static_cast<int64_t>(frame);
      return true;
    }
    case Kind::kEvent: {
      if (small >= static_cast<unsigned>(kEventTypes)) return false;
      InputEvent& e = r->event;
      e.type = static_cast<InputEvent::Type>(small);
      uint64_t window, button, key, ch;
      int64_t dsx, dsy, ox, oy;
      uint8_t mods;
      if (!in.Varint(&window) || !in.Signed(&dsx) || !in.Signed(&dsy) || !in.Signed(&ox) ||
          !in.Signed(&oy) || !in.Varint(&button) || !in.Varint(&key) || !in.Varint(&ch) ||
          !in.Byte(&mods)) {
        return false;
      }
      if (window > 0xFFFFFFFFu || button > 0xFFFF || key > 0xFFFF || ch > 0x10FFFF || mods > 7) {
        return false;
      }
      // Unsigned sums: a hostile delta wraps instead of overflowing, and
      // is then out of range.
      lastX_ = static_cast<int64_t>(static_cast<uint64_t>(lastX_) + static_cast<uint64_t>(dsx));
      lastY_ = static_cast<int64_t>(static_cast<uint64_t>(lastY_) + static_cast<uint64_t>(dsy));
      const int64_t x = static_cast<int64_t>(static_cast<uint64_t>(lastX_) + static_cast<uint64_t>(ox));
      const int64_t y = static_cast<int64_t>(static_cast<uint64_t>(lastY_) + static_cast<uint64_t>(oy));
      if (!OnScreenScale(lastX_) || !OnScreenScale(lastY_) || !OnScreenScale(x) ||
          !OnScreenScale(y)) {
        return false;
      }
      r->windowId = static_cast<uint32_t>(window);
      e.screenX = static_cast<int>(lastX_);
      e.screenY = static_cast<int>(lastY_);
      e.x = static_cast<int>(x);
      e.y = static_cast<int>(y);
      e.button = static_cast<int>(button);
      e.key = static_cast<unsigned>(key);
      e.ch = static_cast<wchar_t>(ch);
      e.alt = mods & kAlt;
      e.shift = mods & kShift;
      e.ctrl = mods & kCtrl;
      if (e.type == InputEvent::kResized) {
        uint64_t width, height;
        if (!in.Varint(&width) || !in.Varint(&height) || width < 1 || height < 1 ||
            width > static_cast<uint64_t>(kMaxSurfaceSide) ||
            height > static_cast<uint64_t>(kMaxSurfaceSide)) {
          return false;
        }
        e.width = static_cast<int>(width);
        e.height = static_cast<int>(height);
      }
      return true;
    }
  }
  return false;  // an unknown kind
}

}  // namespace record
}  // namespace kv
