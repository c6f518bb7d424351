#include "platform/gdi/record_pool.h"

#include <new>
#include <utility>
#include <vector>

namespace kv {
namespace gdi {
namespace {

constexpr int kKeptRecords = 8;
// A kept bitmap's storage holds at most this many pixels (1 MiB); a larger
// one is given back to the system with the deletion.
constexpr size_t kKeptPixels = size_t{1} << 18;

template <typename T>
struct Pool {
  T* kept[kKeptRecords] = {};
  int count = 0;
};

Pool<HBITMAP__>& Bitmaps() {
  static Pool<HBITMAP__> pool;
  return pool;
}
Pool<HFONT__>& Fonts() {
  static Pool<HFONT__> pool;
  return pool;
}

template <typename T>
T* Take(Pool<T>* pool, int index) {
  T* record = pool->kept[index];
  pool->kept[index] = pool->kept[--pool->count];
  pool->kept[pool->count] = nullptr;
  return record;
}

}  // namespace

HBITMAP__* TakeBitmapRecord(size_t pixels) {
  Pool<HBITMAP__>& pool = Bitmaps();
  // The smallest kept storage that fits; else any record, to grow.
  int pick = -1;
  for (int i = 0; i < pool.count; ++i) {
    const size_t capacity = pool.kept[i]->storage.capacity();
    if (capacity >= pixels && (pick < 0 || capacity < pool.kept[pick]->storage.capacity()))
      pick = i;
  }
  if (pick < 0 && pool.count > 0) pick = pool.count - 1;
  if (pick >= 0) return Take(&pool, pick);
  return new (std::nothrow) HBITMAP__;
}

void GiveBitmapRecord(HBITMAP__* bitmap) {
  delete[] bitmap->dibBits;
  Pool<HBITMAP__>& pool = Bitmaps();
  if (pool.count == kKeptRecords) {
    delete bitmap;
    return;
  }
  std::vector<uint32_t> storage = std::move(bitmap->storage);
  *bitmap = HBITMAP__{};
  if (storage.capacity() <= kKeptPixels) {
    storage.clear();
    bitmap->storage = std::move(storage);
  }
  pool.kept[pool.count++] = bitmap;
}

HFONT__* TakeFontRecord() {
  Pool<HFONT__>& pool = Fonts();
  if (pool.count > 0) return Take(&pool, pool.count - 1);
  return new (std::nothrow) HFONT__;
}

void GiveFontRecord(HFONT__* font) {
  Pool<HFONT__>& pool = Fonts();
  if (pool.count == kKeptRecords) {
    delete font;
    return;
  }
  *font = HFONT__{};
  pool.kept[pool.count++] = font;
}

}  // namespace gdi
}  // namespace kv
