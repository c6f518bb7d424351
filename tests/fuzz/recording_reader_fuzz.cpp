// Fuzzes the recording reader: any bytes give a clean refusal or records up
// to a clearly named end, never a crash or an unbounded allocation.
//   clang++ -fsanitize=fuzzer,address -I. tests/fuzz/recording_reader_fuzz.cpp \
//     platform/record/tape_reader.cpp platform/record/record_codec.cpp -lz
// Built without -fsanitize=fuzzer (KV_FUZZ_STANDALONE), it replays the files
// named on its command line.
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

#ifdef KV_FUZZ_STANDALONE
#include <fstream>
#include <iterator>
int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    std::ifstream in(argv[i], std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  }
  return 0;
}
#endif
