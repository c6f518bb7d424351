// The DIB decoder on arbitrary bytes (a bitmap resource's form), and the
// drawing calls on what it returns: selected, copied with each raster
// operation the game uses, drawn on, measured, deleted. A deleted bitmap's
// handle must not name the next bitmap made.
//
// Decoding is per pixel, twice an input, and the game's own pictures (a
// 1000 x 600 pitch among them) held a run to a few hundred inputs a second;
// so a picture larger than kMaxPixels is only parsed, which checks every
// size, table and row length as decoding would, and only smaller ones are
// decoded and drawn.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/gdi/dib.h"
#include "platform/gdi/gdi_internal.h"
#include "platform/win32.h"
#include "tests/fuzz/fuzz_support.h"

constexpr DWORD kBlackness = 0x00000042;  // writes black whatever was there
constexpr int64_t kMaxPixels = 128 * 128;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  kvfuzz::WarmUpFonts();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const int64_t objects = kv::gdi::LiveObjectCount(), dcs = kv::gdi::LiveDCCount();
  std::vector<uint8_t> copy(data, data + size);
  kv::gdi::Dib parsed;
  if (kv::gdi::ParseDib(copy.data(), copy.size(), &parsed) == kv::gdi::DibError::kNone &&
      int64_t{parsed.width} * parsed.height > kMaxPixels)
    return 0;
  HBITMAP bitmap = kv::gdi::CreateBitmapFromDib(copy.data(), copy.size());
  if (bitmap) {
    BITMAP info{};
    kvfuzz::Require(GetObjectW(bitmap, sizeof info, &info) == sizeof info, "no size for a bitmap");
    kvfuzz::Require(info.bmWidth > 0 && info.bmHeight > 0, "a bitmap without pixels");
    std::vector<uint32_t> pixels(64 * 48, 0x00336699);
    HDC target = kv::gdi::CreateSurfaceDC(kv::PixelSurface{pixels.data(), 64, 48, 64});
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    kvfuzz::Require(old != nullptr, "a decoded bitmap cannot be selected");
    const int x = size > 0 ? data[0] % 80 - 40 : 0, y = size > 1 ? data[1] % 60 - 30 : 0;
    BitBlt(target, x, y, info.bmWidth, info.bmHeight, dc, 0, 0, SRCCOPY);
    BitBlt(target, -x, -y, 64, 48, dc, x, y, SRCAND);
    BitBlt(target, 0, 0, 64, 48, dc, 0, 0, SRCPAINT);
    BitBlt(dc, 0, 0, 64, 48, target, x, y, SRCCOPY);
    BitBlt(dc, 0, 0, info.bmWidth, info.bmHeight, nullptr, 0, 0, kBlackness);
    BitBlt(target, 1, 1, 62, 46, dc, 0, 0, SRCPAINT);
    Rectangle(dc, x, y, x + 9, y + 7);
    TextOutW(dc, x, y, L"Ag", 2);
    GetPixel(dc, x, y);
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteDC(target);

    kvfuzz::Require(DeleteObject(bitmap), "a decoded bitmap cannot be deleted");
    HBITMAP next = kv::gdi::CreateBitmapFromDib(copy.data(), copy.size());
    kvfuzz::Require(next != nullptr, "the same picture decodes once only");
    kvfuzz::Require(!DeleteObject(bitmap), "a deleted bitmap's handle names the next one");
    kvfuzz::Require(DeleteObject(next), "the next bitmap cannot be deleted");
  }
  kvfuzz::Require(kv::gdi::LiveObjectCount() == objects, "drawing objects left behind");
  kvfuzz::Require(kv::gdi::LiveDCCount() == dcs, "device contexts left behind");
  return 0;
}
