// Records to bytes and back. Clock readings, pointer places and window
// origins are coded as differences from the previous value of their kind,
// so a frame of steady play takes a handful of bytes.
#pragma once

#include <string>

#include "platform/record/tape_format.h"
#include "platform/record/varint.h"

namespace kv {
namespace record {

class RecordCodec {
 public:
  void Encode(const Record& r, std::string& out);
  // False when the bytes are not a well-formed record.
  bool Decode(SpanReader& in, Record* r);

 private:
  int64_t lastClock_ = 0;
  int64_t lastCounter_ = 0;
  int64_t lastX_ = 0, lastY_ = 0;              // the pointer, from readings and events
  int64_t lastOriginX_ = 0, lastOriginY_ = 0;
};

}  // namespace record
}  // namespace kv
