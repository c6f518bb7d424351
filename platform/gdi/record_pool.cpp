#include "platform/gdi/record_pool.h"

#include <new>
#include <utility>
#include <vector>

namespace kv {
namespace gdi {
namespace {

// A deleted record is held back until this many later deletions of its kind
// have happened, so its address (the handle) is not given out again soon: a
// stale handle then names nothing, which the registry refuses.
constexpr int kHeldRecords = 64;
// Beyond that, a few more are kept for reuse; the rest go to the system.
constexpr int kKeptRecords = kHeldRecords + 8;
// A kept bitmap's storage holds at most this many pixels (1 MiB), and all
// kept storage together at most kKeptBytes; more is given back to the system.
constexpr size_t kKeptPixels = size_t{1} << 18;
constexpr size_t kKeptBytes = size_t{1} << 20;

// Oldest first.
template <typename T>
struct Pool {
  T* kept[kKeptRecords] = {};
  int count = 0;
  size_t storageBytes = 0;  // bitmaps: pixel storage the kept records hold
};

template <typename T>
Pool<T>& ThePool() {
  static Pool<T> pool;
  return pool;
}

size_t StorageBytes(const HBITMAP__* b) { return b->storage.capacity() * sizeof(uint32_t); }
template <typename T>
size_t StorageBytes(const T*) { return 0; }

template <typename T>
T* RemoveAt(Pool<T>* pool, int index) {
  T* record = pool->kept[index];
  for (int i = index; i + 1 < pool->count; ++i) pool->kept[i] = pool->kept[i + 1];
  pool->kept[--pool->count] = nullptr;
  pool->storageBytes -= StorageBytes(record);
  return record;
}

// Records old enough to be handed out again: those before the held ones.
template <typename T>
int Reusable(const Pool<T>& pool) {
  return pool.count > kHeldRecords ? pool.count - kHeldRecords : 0;
}

template <typename T>
void Keep(Pool<T>* pool, T* record) {
  if (pool->count == kKeptRecords) delete RemoveAt(pool, 0);
  pool->kept[pool->count++] = record;
  pool->storageBytes += StorageBytes(record);
}

}  // namespace

HBITMAP__* TakeBitmapRecord(size_t pixels) {
  Pool<HBITMAP__>& pool = ThePool<HBITMAP__>();
  // The oldest record that may be handed out again: its address is the handle.
  HBITMAP__* record = Reusable(pool) > 0 ? RemoveAt(&pool, 0) : new (std::nothrow) HBITMAP__;
  if (!record || record->storage.capacity() >= pixels) return record;
  // Storage is no part of a handle: the smallest kept storage that fits is
  // swapped in, whichever record holds it.
  int fit = -1;
  for (int i = 0; i < pool.count; ++i) {
    const size_t capacity = pool.kept[i]->storage.capacity();
    if (capacity >= pixels && (fit < 0 || capacity < pool.kept[fit]->storage.capacity())) fit = i;
  }
  if (fit >= 0) {
    HBITMAP__* holder = pool.kept[fit];
    pool.storageBytes -= StorageBytes(holder);
    std::swap(record->storage, holder->storage);
    pool.storageBytes += StorageBytes(holder);
  }
  return record;
}

void GiveBitmapRecord(HBITMAP__* bitmap) {
  delete[] bitmap->dibBits;
  Pool<HBITMAP__>& pool = ThePool<HBITMAP__>();
  std::vector<uint32_t> storage = std::move(bitmap->storage);
  *bitmap = HBITMAP__{};
  const size_t bytes = storage.capacity() * sizeof(uint32_t);
  if (storage.capacity() <= kKeptPixels && pool.storageBytes + bytes <= kKeptBytes) {
    storage.clear();
    bitmap->storage = std::move(storage);
  }
  Keep(&pool, bitmap);
}

template <typename T>
T* TakeRecord() {
  Pool<T>& pool = ThePool<T>();
  if (Reusable(pool) > 0) return RemoveAt(&pool, 0);
  return new (std::nothrow) T;
}

template <typename T>
void GiveRecord(T* record) {
  *record = T{};
  Keep(&ThePool<T>(), record);
}

template HBRUSH__* TakeRecord<HBRUSH__>();
template HPEN__* TakeRecord<HPEN__>();
template HDC__* TakeRecord<HDC__>();
template void GiveRecord<HBRUSH__>(HBRUSH__*);
template void GiveRecord<HPEN__>(HPEN__*);
template void GiveRecord<HDC__>(HDC__*);

HFONT__* TakeFontRecord() { return TakeRecord<HFONT__>(); }
void GiveFontRecord(HFONT__* font) { GiveRecord(font); }

}  // namespace gdi
}  // namespace kv
