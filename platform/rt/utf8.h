// Wide text as UTF-8, for the system interfaces that take bytes (font
// names for fontconfig, window titles for X, standard error).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace kv {
namespace rt {

// A null text counts as empty. Invalid code points (lone surrogates, values
// past U+10FFFF) become U+FFFD; a UTF-16 surrogate pair that arrives as two
// wide characters is joined into one code point.
std::string WideToUtf8(const wchar_t* text);

// Reads the code point at text[*i] by the same rules and advances *i past it
// (one wide character, or two for a surrogate pair).
uint32_t NextCodePoint(const wchar_t* text, size_t* i);

}  // namespace rt
}  // namespace kv
