#include "platform/rt/utf8.h"

#include <cstddef>
#include <cstdint>

namespace kv {
namespace rt {

namespace {

constexpr uint32_t kReplacement = 0xFFFD;

bool IsHighSurrogate(uint32_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(uint32_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

}  // namespace

uint32_t NextCodePoint(const wchar_t* text, size_t* i) {
  uint32_t c = static_cast<uint32_t>(text[*i]);
  ++*i;
  if (IsHighSurrogate(c)) {
    uint32_t low = static_cast<uint32_t>(text[*i]);
    if (IsLowSurrogate(low)) {
      ++*i;
      return 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
    }
    return kReplacement;
  }
  if (IsLowSurrogate(c) || c > 0x10FFFF) return kReplacement;
  return c;
}

namespace {

void AppendUtf8(uint32_t c, std::string* out) {
  if (c < 0x80) {
    out->push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out->push_back(static_cast<char>(0xC0 | (c >> 6)));
    out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out->push_back(static_cast<char>(0xE0 | (c >> 12)));
    out->push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out->push_back(static_cast<char>(0xF0 | (c >> 18)));
    out->push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

}  // namespace

std::string WideToUtf8(const wchar_t* text) {
  std::string out;
  if (!text) return out;
  for (size_t i = 0; text[i] != 0;) AppendUtf8(NextCodePoint(text, &i), &out);
  return out;
}

}  // namespace rt
}  // namespace kv
