// The recording reader on arbitrary bytes: a clean refusal, or records up
// to a clearly named end, never a crash or an unbounded allocation.
//
// A whole match holds tens or hundreds of thousands of records, read alike;
// one input is read up to kMaxRecords of them, so that a run spends its time
// on many inputs rather than on the far end of a few. Block ends, later
// blocks and the trailer are reached through short recordings (the kept
// corpus holds a complete one of three blocks).
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/record/tape_reader.h"

namespace {
constexpr size_t kMaxRecords = size_t{1} << 12;
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  kv::record::TapeReader reader;
  std::string error;
  if (!reader.OpenBytes(std::vector<uint8_t>(data, data + size), &error)) return 0;
  kv::record::Record r;
  size_t count = 0;
  while (count < kMaxRecords && reader.Next(&r)) ++count;
  // Once the records stop, the reader must say how they ended.
  if (count < kMaxRecords && reader.end() == kv::record::TapeReader::End::kNone) __builtin_trap();
  return 0;
}
