// The recording reader on arbitrary bytes: a clean refusal, or records up
// to a clearly named end, never a crash or an unbounded allocation.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/record/tape_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  kv::record::TapeReader reader;
  std::string error;
  if (!reader.OpenBytes(std::vector<uint8_t>(data, data + size), &error)) return 0;
  kv::record::Record r;
  size_t count = 0;
  while (reader.Next(&r)) ++count;
  if (reader.end() == kv::record::TapeReader::End::kNone) __builtin_trap();  // must say how it ended
  return 0;
}
