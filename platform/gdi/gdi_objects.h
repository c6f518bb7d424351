// The records behind the drawing handles, and the registry that tells a live
// object of ours from anything else a caller may pass.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/gdi/gdi_internal.h"
#include "platform/gdi/pixel_format.h"
#include "platform/surface.h"
#include "platform/win32.h"

namespace kv {
namespace gdi {

enum class ObjectKind : uint8_t { kBitmap, kBrush, kPen, kFont };

// First member of every drawing object, so a HGDIOBJ found in the registry
// can be told apart by kind.
struct ObjectHeader {
  ObjectKind kind;
  bool stock = false;
  int selections = 0;  // device contexts that hold this object now
};

struct FontFace;  // a sized face with its glyph cache (font_cache.h)

}  // namespace gdi
}  // namespace kv

struct HBITMAP__ {
  kv::gdi::ObjectHeader header{kv::gdi::ObjectKind::kBitmap};
  const kv::gdi::PixelFormat* format = nullptr;
  int width = 0;
  int height = 0;
  std::vector<uint32_t> storage;  // device-dependent pixels, top row first
  uint32_t* dibBits = nullptr;    // a DIB section's memory, as the caller sees it
  kv::PixelSurface surface;       // view used for drawing (negative stride when bottom-up)
  HDC owner = nullptr;            // the one device context it is selected into

  // What is known of the content, so that a draw through a mask that is black
  // all over costs one copy instead of two passes (owed_fill.cpp).
  enum class Zero : uint8_t { kUnknown, kYes, kNo };
  Zero allZero = Zero::kUnknown;  // every pixel 0; forgotten on any write
  RECT pendingZero{0, 0, 0, 0};   // reads as 0 but is not written yet
};

struct HBRUSH__ {
  kv::gdi::ObjectHeader header{kv::gdi::ObjectKind::kBrush};
  bool null = false;
  COLORREF color = 0;
};

struct HPEN__ {
  kv::gdi::ObjectHeader header{kv::gdi::ObjectKind::kPen};
  bool null = false;
  int width = 1;
  COLORREF color = 0;
};

struct HFONT__ {
  kv::gdi::ObjectHeader header{kv::gdi::ObjectKind::kFont};
  kv::gdi::FontFace* face = nullptr;  // shared, owned by the font cache
};

struct HDC__ {
  enum Kind : uint8_t { kMemory, kSurface };
  Kind kind = kMemory;
  HBITMAP bitmap = nullptr;       // memory context: the selected bitmap
  kv::PixelSurface surface;       // surface context: the pixels
  const kv::gdi::PixelFormat* surfaceFormat = nullptr;
  bool held = false;              // surface context kept by an owner, never deleted
  bool out = false;               // held context: handed out by its owner
  RECT dirty{0, 0, 0, 0};         // surface context: drawn since handed out

  HBRUSH brush = nullptr;
  HPEN pen = nullptr;
  HFONT font = nullptr;
  COLORREF textColor = 0;
  COLORREF bkColor = 0x00FFFFFF;
  int bkMode = OPAQUE;
  UINT textAlign = TA_LEFT | TA_TOP;
};

namespace kv {
namespace gdi {

// ---- registry (objects.cpp)
ObjectHeader* LiveObject(HGDIOBJ object);
HBITMAP LiveBitmap(HGDIOBJ object);
HDC__* LiveDC(HDC dc);
void RegisterObject(ObjectHeader* object);   // counted unless stock
void UnregisterObject(ObjectHeader* object);
void RegisterDC(HDC dc, bool counted);
void UnregisterDC(HDC dc, bool counted);
void CountDC(int delta);  // a window context handed out or given back

// The shared 1x1 monochrome bitmap every new memory context starts with.
HBITMAP DefaultBitmap();

// Puts the defaults of a fresh context into `dc` (pen, brush, font, colours,
// modes); objects it held are released.
void ResetDCState(HDC dc);
// Releases everything `dc` holds (its bitmap included).
void ReleaseDCObjects(HDC dc);

// Frees a non-stock object's record (registry entry already gone).
void FreeObject(ObjectHeader* object);

// ---- what a context draws into
struct Target {
  PixelSurface surface;
  const PixelFormat* format = nullptr;
};
// False when the context has nothing to draw into. The pixels are settled
// (see below) and may be written.
bool DCTarget(HDC dc, Target* out);
// Same, for a context that is only read.
bool DCSource(HDC dc, Target* out);
// The selected bitmap of a memory context; null for any other context.
HBITMAP DCBitmap(HDC dc);

// ---- what is known of a bitmap's content (owed_fill.cpp)
// A bitmap may hold a rectangle that reads as black but is not written yet:
// it is written by Settle before anything else sees the pixels, or replaced
// in one pass by a copy over exactly that rectangle.
void Settle(HBITMAP bitmap);
// The bitmap's pixels are about to change: forget what is known of them.
void NoteWrite(HBITMAP bitmap);
// Every pixel is 0 (all 32 bits). Worked out once and kept until a write;
// always false for a DIB section, whose memory the caller writes directly.
bool IsAllZero(HBITMAP bitmap);
// Whether the shortcuts above (and the specialised raster loops) are taken.
bool FastPathsOn();
// Notes that `rect` (already clipped) was drawn into a surface context, so its
// owner can show just that part.
void MarkDrawn(HDC dc, const RECT& rect);

// ---- bitmaps (bitmaps.cpp)
HBITMAP NewBitmap(const PixelFormat* format, int width, int height);

}  // namespace gdi
}  // namespace kv
