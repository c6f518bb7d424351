// A cursor over untrusted bytes: every read is checked against the end, and
// a failed read leaves the cursor failed for good, so callers check once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace kv {
namespace rt {

class ByteReader {
 public:
  ByteReader(const uint8_t* data, size_t size) : data_(data), size_(data ? size : 0) {}

  bool ok() const { return ok_; }
  size_t pos() const { return pos_; }
  size_t size() const { return size_; }
  size_t remaining() const { return ok_ ? size_ - pos_ : 0; }
  const uint8_t* here() const { return data_ + pos_; }

  uint8_t U8() {
    if (!Need(1)) return 0;
    return data_[pos_++];
  }
  uint16_t U16() {
    if (!Need(2)) return 0;
    uint16_t v = static_cast<uint16_t>(data_[pos_] | (data_[pos_ + 1] << 8));
    pos_ += 2;
    return v;
  }
  uint32_t U32() {
    if (!Need(4)) return 0;
    uint32_t v = static_cast<uint32_t>(data_[pos_]) |
                 (static_cast<uint32_t>(data_[pos_ + 1]) << 8) |
                 (static_cast<uint32_t>(data_[pos_ + 2]) << 16) |
                 (static_cast<uint32_t>(data_[pos_ + 3]) << 24);
    pos_ += 4;
    return v;
  }
  int16_t I16() { return static_cast<int16_t>(U16()); }

  void Skip(size_t n) {
    if (Need(n)) pos_ += n;
  }
  // Moves to the next multiple of `n` from the start of the data. Padding
  // that runs past the end is accepted only when `allowShortEnd` is set.
  void Align(size_t n, bool allowShortEnd = false) {
    size_t target = (pos_ + n - 1) / n * n;
    if (target > size_ && allowShortEnd && ok_) {
      pos_ = size_;
      return;
    }
    Skip(target - pos_);
  }
  // A NUL-terminated UTF-16 string; the terminator is consumed.
  std::wstring Utf16z() {
    std::wstring s;
    for (;;) {
      uint16_t c = U16();
      if (!ok_ || c == 0) break;
      s.push_back(static_cast<wchar_t>(c));
    }
    // Surrogate pairs are joined so that a wchar_t holds one code point.
    std::wstring out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size(); ++i) {
      uint32_t c = static_cast<uint32_t>(s[i]);
      if (c >= 0xD800 && c < 0xDC00 && i + 1 < s.size()) {
        uint32_t d = static_cast<uint32_t>(s[i + 1]);
        if (d >= 0xDC00 && d < 0xE000) {
          out.push_back(static_cast<wchar_t>(0x10000 + ((c - 0xD800) << 10) + (d - 0xDC00)));
          ++i;
          continue;
        }
      }
      out.push_back(static_cast<wchar_t>(c));
    }
    return out;
  }
  void Fail() { ok_ = false; }

 private:
  bool Need(size_t n) {
    if (!ok_ || n > size_ - pos_) {
      ok_ = false;
      return false;
    }
    return true;
  }

  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
  bool ok_ = true;
};

}  // namespace rt
}  // namespace kv
