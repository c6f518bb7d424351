// Records of deleted bitmaps and fonts, kept for reuse. A program that
// creates and deletes the same objects on every frame (a font and a loaded
// picture, say) then gets them back without going to the allocator: the
// record, and a bitmap's pixel storage, are handed out again as new. Only a
// few are kept, and no large storage, so the pool never holds much memory.
#pragma once

#include <cstddef>
#include <new>

#include "platform/gdi/gdi_objects.h"

namespace kv {
namespace gdi {

// A record in its freshly constructed state, whose storage can hold `pixels`
// without growing when one kept can; null when memory runs out.
HBITMAP__* TakeBitmapRecord(size_t pixels);
// Frees what only the record owned (a DIB section's memory) and keeps the
// record, or frees it when enough are kept.
void GiveBitmapRecord(HBITMAP__* bitmap);

HFONT__* TakeFontRecord();
void GiveFontRecord(HFONT__* font);

// The same for brushes, pens and device contexts (HBRUSH__, HPEN__, HDC__).
// Every kind holds a deleted record back for a while before its address is
// handed out again, so a stale handle is refused instead of naming another
// object.
template <typename T>
T* TakeRecord();
template <typename T>
void GiveRecord(T* record);

// An allocator for node-based containers that keeps erased nodes for reuse:
// the handle registries, so that creating and deleting an object on every
// frame does not reach the allocator for its entry either.
template <typename T>
struct RecycledNodes {
  using value_type = T;
  RecycledNodes() = default;
  template <typename U>
  RecycledNodes(const RecycledNodes<U>&) {}

  T* allocate(size_t n) {
    FreeNode*& head = Head();
    if (n == 1 && head) {
      FreeNode* node = head;
      head = node->next;
      --Kept();
      return reinterpret_cast<T*>(node);
    }
    return static_cast<T*>(::operator new(n * sizeof(T)));
  }
  void deallocate(T* p, size_t n) {
    if (n == 1 && sizeof(T) >= sizeof(FreeNode) && Kept() < kKeptNodes) {
      auto* node = reinterpret_cast<FreeNode*>(p);
      node->next = Head();
      Head() = node;
      ++Kept();
      return;
    }
    ::operator delete(p);
  }
  template <typename U>
  bool operator==(const RecycledNodes<U>&) const { return true; }
  template <typename U>
  bool operator!=(const RecycledNodes<U>&) const { return false; }

 private:
  struct FreeNode {
    FreeNode* next;
  };
  static constexpr int kKeptNodes = 64;
  static FreeNode*& Head() {
    static FreeNode* head = nullptr;
    return head;
  }
  static int& Kept() {
    static int kept = 0;
    return kept;
  }
};

}  // namespace gdi
}  // namespace kv
