// Window titles as X wants them: UTF-8 for _NET_WM_NAME, Latin-1 for the
// older WM_NAME that many tools still read.
#pragma once

#include <string>

namespace kv {
namespace x11 {

// A null text counts as empty. Invalid code points (lone surrogates, values
// past U+10FFFF) become U+FFFD; a UTF-16 surrogate pair that arrives as two
// wide characters is joined into one code point.
std::string WideToUtf8(const wchar_t* text);

// Characters outside Latin-1 become '?'.
std::string WideToLatin1(const wchar_t* text);

}  // namespace x11
}  // namespace kv
