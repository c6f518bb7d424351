#include "timing/title_format.h"

#include <cwchar>

void FormatTitle(WCHAR* out, size_t capacity, const WCHAR* productTitle, int64_t elapsedMs,
                 int64_t frameCount) {
  if (out == nullptr || capacity == 0) return;
  const int64_t seconds = elapsedMs / 1000;  // truncated toward zero
  double fps = 0.0;
  // A whole figure: frames per whole second of play, truncated.
  if (seconds > 0 && frameCount > 0) fps = static_cast<double>(frameCount / seconds);
  const int written = std::swprintf(out, capacity, KV_FMT_WSTR L" - Time Ellapsed: " KV_FMT_I64
                                    L" - FPS: %.0f",
                                    productTitle ? productTitle : L"",
                                    static_cast<long long>(seconds), fps);
  // A line that did not fit is cut at the capacity, never left unterminated.
  if (written < 0) out[capacity - 1] = L'\0';
}
