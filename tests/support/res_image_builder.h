// Builds compiled .res images in memory, entry by entry, as a resource
// compiler lays them out: every test that crafts resources uses this one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kvtest {

class ResImageBuilder {
 public:
  // US English, as the game's own script is compiled.
  static constexpr uint16_t kEnglish = 1033;

  ResImageBuilder() { Add(0, 0, 0, {}); }  // the empty entry that opens every .res

  // Adds an entry with numeric type and name.
  ResImageBuilder& Add(uint16_t type, uint16_t id, uint16_t language,
                       const std::vector<uint8_t>& data) {
    return AddNamed(Ordinal(type), Ordinal(id), language, data);
  }
  // Adds an entry whose type and name are given in their stored form.
  ResImageBuilder& AddNamed(const std::vector<uint8_t>& type, const std::vector<uint8_t>& name,
                            uint16_t language, const std::vector<uint8_t>& data) {
    std::vector<uint8_t> header;
    Put32(header, static_cast<uint32_t>(data.size()));
    Put32(header, 0);  // header size, filled below
    header.insert(header.end(), type.begin(), type.end());
    header.insert(header.end(), name.begin(), name.end());
    while (header.size() % 4) header.push_back(0);
    Put32(header, 0);       // DataVersion
    Put16(header, 0x1030);  // MemoryFlags
    Put16(header, language);
    Put32(header, 0);  // Version
    Put32(header, 0);  // Characteristics
    const uint32_t hs = static_cast<uint32_t>(header.size());
    for (int i = 0; i < 4; ++i) header[4 + i] = static_cast<uint8_t>(hs >> (8 * i));
    bytes_.insert(bytes_.end(), header.begin(), header.end());
    bytes_.insert(bytes_.end(), data.begin(), data.end());
    dataEnds_.push_back(bytes_.size());
    while (bytes_.size() % 4) bytes_.push_back(0);
    ends_.push_back(bytes_.size());
    return *this;
  }

  const std::vector<uint8_t>& bytes() const { return bytes_; }
  // The offsets at which each entry (with its padding) ends.
  const std::vector<size_t>& ends() const { return ends_; }
  // The offsets at which each entry's data ends, before its padding.
  const std::vector<size_t>& dataEnds() const { return dataEnds_; }

  static std::vector<uint8_t> Ordinal(uint16_t v) {
    return {0xFF, 0xFF, static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8)};
  }
  static std::vector<uint8_t> String(const std::u16string& s) {
    std::vector<uint8_t> out;
    for (char16_t c : s) Put16(out, c);
    Put16(out, 0);
    return out;
  }
  static void Put16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
  }
  static void Put32(std::vector<uint8_t>& out, uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
  }

 private:
  std::vector<uint8_t> bytes_;
  std::vector<size_t> ends_;
  std::vector<size_t> dataEnds_;
};

}  // namespace kvtest
