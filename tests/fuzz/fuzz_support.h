// What the fuzz harnesses share: a .res image holding one resource, so a
// template reaches the windowing layer the way the program's own does, and
// a check that stops the run when a bound the platform promises is broken.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/gdi/gdi_internal.h"
#include "platform/win32.h"

namespace kvfuzz {

// Fontconfig sets up its configuration, and keeps a little of it for good,
// the first time a font is matched; that happens here, before the fuzzer
// starts counting what each input leaves allocated.
inline void WarmUpFonts() {
  static const wchar_t* const kNames[] = {L"Arial", L"MS Shell Dlg", L"sans-serif", L"No Such Face"};
  std::vector<uint32_t> pixels(16 * 16);
  HDC dc = kv::gdi::CreateSurfaceDC(kv::PixelSurface{pixels.data(), 16, 16, 16});
  for (const wchar_t* name : kNames) {
    HFONT font = CreateFontW(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0, name);
    HGDIOBJ old = SelectObject(dc, font);
    TextOutW(dc, 0, 0, L"Ag", 2);
    SelectObject(dc, old);
    DeleteObject(font);
  }
  TextOutW(dc, 0, 0, L"Ag", 2);  // the stock font
  DeleteDC(dc);
}

inline void Put16(std::vector<uint8_t>& out, uint16_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}
inline void Put32(std::vector<uint8_t>& out, uint32_t v) {
  Put16(out, static_cast<uint16_t>(v));
  Put16(out, static_cast<uint16_t>(v >> 16));
}

// The leading empty entry, then `data` as resource (type, id), language 1033.
inline std::vector<uint8_t> OneResource(uint16_t type, uint16_t id, const uint8_t* data,
                                        size_t size) {
  std::vector<uint8_t> out;
  auto entry = [&out](uint16_t t, uint16_t n, const uint8_t* d, size_t s) {
    Put32(out, static_cast<uint32_t>(s));
    Put32(out, 32);  // header size
    Put16(out, 0xFFFF);
    Put16(out, t);
    Put16(out, 0xFFFF);
    Put16(out, n);
    Put32(out, 0);       // data version
    Put16(out, 0x1030);  // memory flags
    Put16(out, t ? 1033 : 0);
    Put32(out, 0);  // version
    Put32(out, 0);  // characteristics
    out.insert(out.end(), d, d + s);
    while (out.size() % 4) out.push_back(0);
  };
  entry(0, 0, nullptr, 0);
  entry(type, id, data, size);
  return out;
}

// A promise of the platform that an input broke: report it as a crash so
// that the fuzzer keeps the input and the corpus replay fails.
inline void Require(bool holds, const char* what) {
  if (holds) return;
  std::fprintf(stderr, "fuzz check failed: %s\n", what);
  std::abort();
}

}  // namespace kvfuzz
