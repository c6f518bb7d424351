// Window titles as X wants them: Latin-1 for the older WM_NAME that many
// tools still read (_NET_WM_NAME takes UTF-8, platform/rt/utf8.h).
#pragma once

#include <string>

namespace kv {
namespace x11 {

// Characters outside Latin-1 become '?'.
std::string WideToLatin1(const wchar_t* text);

}  // namespace x11
}  // namespace kv
