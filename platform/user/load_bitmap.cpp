// Bitmaps from the program's resources.
#include "platform/gdi/gdi_internal.h"
#include "platform/rt/resources.h"

HBITMAP LoadBitmapW(HINSTANCE instance, LPCWSTR name) {
  kv::rt::ResourceData data;
  if (!kv::rt::FindResource(instance, RT_BITMAP_ID, name, &data)) return nullptr;
  return kv::gdi::CreateBitmapFromDib(data.data, data.size);
}
