#include "platform/x11/x11_text.h"

#include "platform/rt/utf8.h"

#include <cstdint>

namespace kv {
namespace x11 {

std::string WideToLatin1(const wchar_t* text) {
  std::string out;
  if (!text) return out;
  for (size_t i = 0; text[i] != 0;) {
    uint32_t c = rt::NextCodePoint(text, &i);
    out.push_back(c <= 0xFF ? static_cast<char>(c) : '?');
  }
  return out;
}

}  // namespace x11
}  // namespace kv
