#include "platform/rt/command_line_join.h"

namespace kv {
namespace rt {

namespace {

void AppendQuoted(const std::string& arg, std::string* out) {
  if (!arg.empty() && arg.find_first_of(" \t\"") == std::string::npos) {
    *out += arg;  // backslashes are literal when no quote follows them
    return;
  }
  *out += '"';
  size_t slashes = 0;
  for (char c : arg) {
    if (c == '\\') {
      ++slashes;
      continue;
    }
    // Backslashes before a quote are doubled, and the quote escaped.
    if (c == '"') out->append(slashes * 2 + 1, '\\');
    else out->append(slashes, '\\');
    slashes = 0;
    *out += c;
  }
  // ... and so are those before the closing quote.
  out->append(slashes * 2, '\\');
  *out += '"';
}

}  // namespace

std::string JoinCommandLine(int argc, const char* const* argv) {
  std::string line;
  for (int i = 1; i < argc; ++i) {
    if (!argv[i]) break;
    if (i > 1) line += ' ';
    AppendQuoted(argv[i], &line);
  }
  return line;
}

}  // namespace rt
}  // namespace kv
