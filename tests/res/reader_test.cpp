// The .res reader: lookup rules, and untrusted images that are cut short or
// damaged never lead to a read outside the image.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/rt/resources.h"
#include "tests/support/res_image_builder.h"

namespace {

using kv::rt::CreateInstanceFromRes;
using kv::rt::DestroyInstance;
using kv::rt::FindResource;
using kv::rt::ListResources;
using kv::rt::ResourceData;
using kvtest::ResImageBuilder;

std::vector<uint8_t> Bytes(std::initializer_list<int> v) {
  std::vector<uint8_t> out;
  for (int b : v) out.push_back(static_cast<uint8_t>(b));
  return out;
}

ResImageBuilder SmallImage() {
  ResImageBuilder b;
  b.Add(2, 120, 1033, Bytes({1, 2, 3}))
      .Add(4, 106, 1031, Bytes({4, 5, 6, 7, 8}))
      .Add(4, 106, 1033, Bytes({9}))
      .Add(5, 116, 1031, Bytes({10, 11}))
      .AddNamed(ResImageBuilder::String(u"PNG"), ResImageBuilder::Ordinal(7), 1033, Bytes({12}))
      .AddNamed(ResImageBuilder::Ordinal(2), ResImageBuilder::String(u"LOGO"), 1033, Bytes({13, 14}))
      .Add(24, 1, 1033, {});
  return b;
}

// Every resource a module lists lies inside the image it was made from.
bool AllInside(HINSTANCE module, const std::vector<uint8_t>& image) {
  for (const kv::rt::ResourceInfo& e : ListResources(module)) {
    if (e.data.size > image.size()) return false;
    if (e.data.size == 0) continue;
    if (e.data.data < image.data() || e.data.data + e.data.size > image.data() + image.size())
      return false;
  }
  return true;
}

TEST(ResReader, FindsByTypeAndIdPreferringUsEnglish) {
  const ResImageBuilder b = SmallImage();
  HINSTANCE m = CreateInstanceFromRes(b.bytes().data(), b.bytes().size());
  ASSERT_NE(m, nullptr);
  ResourceData d;
  ASSERT_TRUE(FindResource(m, 2, 120, &d));
  EXPECT_EQ(std::vector<uint8_t>(d.data, d.data + d.size), Bytes({1, 2, 3}));
  // Two languages: 1033 wins although it comes second.
  ASSERT_TRUE(FindResource(m, 4, 106, &d));
  EXPECT_EQ(std::vector<uint8_t>(d.data, d.data + d.size), Bytes({9}));
  // Only another language: that one is taken.
  ASSERT_TRUE(FindResource(m, 5, 116, &d));
  EXPECT_EQ(d.size, 2u);
  // An empty resource is found, with size 0.
  ASSERT_TRUE(FindResource(m, 24, 1, &d));
  EXPECT_EQ(d.size, 0u);
  // The interface's way of naming a resource.
  ASSERT_TRUE(FindResource(m, 2, MAKEINTRESOURCEW(120), &d));
  EXPECT_EQ(d.size, 3u);

  // Absent: wrong type, wrong id, named resources, names given as strings.
  EXPECT_FALSE(FindResource(m, 2, 121, &d));
  EXPECT_FALSE(FindResource(m, 3, 120, &d));
  EXPECT_FALSE(FindResource(m, 7, 7, &d));
  EXPECT_FALSE(FindResource(m, 2, uint16_t{0}, &d));
  EXPECT_FALSE(FindResource(m, 2, L"LOGO", &d));
  EXPECT_FALSE(FindResource(m, 2, static_cast<LPCWSTR>(nullptr), &d));

  const auto list = ListResources(m);
  ASSERT_EQ(list.size(), 7u);
  EXPECT_FALSE(list[4].typeIsOrdinal);
  EXPECT_EQ(list[4].typeName, L"PNG");
  EXPECT_FALSE(list[5].nameIsOrdinal);
  EXPECT_EQ(list[5].name, L"LOGO");
  EXPECT_EQ(list[1].language, 1031);
  DestroyInstance(m);
}

TEST(ResReader, RefusesWhatIsNotAModule) {
  ResourceData d;
  EXPECT_FALSE(FindResource(nullptr, 2, 120, &d));
  // A pointer that is not one of the reader's modules is never dereferenced.
  int notAModule = 0;
  HINSTANCE fake = reinterpret_cast<HINSTANCE>(&notAModule);
  EXPECT_FALSE(FindResource(fake, 2, 120, &d));
  EXPECT_TRUE(ListResources(fake).empty());
  DestroyInstance(fake);
  DestroyInstance(nullptr);

  EXPECT_EQ(CreateInstanceFromRes(nullptr, 100), nullptr);
  const ResImageBuilder b = SmallImage();
  EXPECT_EQ(CreateInstanceFromRes(b.bytes().data(), 0), nullptr);

  // Data that does not open with the empty entry is not a .res image.
  ResImageBuilder other;
  other.Add(2, 120, 1033, Bytes({1}));
  std::vector<uint8_t> noLead(other.bytes().begin() + 32, other.bytes().end());
  EXPECT_EQ(CreateInstanceFromRes(noLead.data(), noLead.size()), nullptr);

  // A file with nothing but the empty entry is a module with no resources.
  ResImageBuilder empty;
  HINSTANCE m = CreateInstanceFromRes(empty.bytes().data(), empty.bytes().size());
  ASSERT_NE(m, nullptr);
  EXPECT_TRUE(ListResources(m).empty());
  EXPECT_FALSE(FindResource(m, 2, 120, &d));
  DestroyInstance(m);
}

TEST(ResReader, EveryPrefixEitherParsesAtAnEntryBoundaryOrIsRefused) {
  const ResImageBuilder b = SmallImage();
  const std::vector<uint8_t>& full = b.bytes();
  for (size_t n = 0; n <= full.size(); ++n) {
    // A fresh copy of exactly n bytes, so that a read past it is caught by
    // the address sanitizer.
    std::vector<uint8_t> prefix(full.begin(), full.begin() + n);
    HINSTANCE m = CreateInstanceFromRes(n ? prefix.data() : nullptr, n);
    // A prefix parses when it ends after an entry's data; only that entry's
    // padding may be missing. Anywhere else it is refused.
    int entries = -1;
    for (size_t k = 0; k < b.ends().size(); ++k)
      if (n >= b.dataEnds()[k] && n <= b.ends()[k]) entries = static_cast<int>(k);
    if (entries >= 0) {
      ASSERT_NE(m, nullptr) << "prefix " << n;
      EXPECT_EQ(ListResources(m).size(), static_cast<size_t>(entries)) << "prefix " << n;
      EXPECT_TRUE(AllInside(m, prefix));
    } else {
      EXPECT_EQ(m, nullptr) << "prefix " << n;
    }
    DestroyInstance(m);
  }
}

TEST(ResReader, BitFlipsNeverLeadOutsideTheImage) {
  const ResImageBuilder b = SmallImage();
  int parsed = 0, refused = 0;
  for (size_t byte = 0; byte < b.bytes().size(); ++byte) {
    for (int bit = 0; bit < 8; ++bit) {
      std::vector<uint8_t> image = b.bytes();
      image[byte] ^= static_cast<uint8_t>(1u << bit);
      HINSTANCE m = CreateInstanceFromRes(image.data(), image.size());
      if (m == nullptr) {
        ++refused;
        continue;
      }
      ++parsed;
      EXPECT_TRUE(AllInside(m, image)) << "byte " << byte << " bit " << bit;
      ResourceData d;
      for (uint16_t type : {2, 4, 5, 24}) {
        for (uint16_t id : {1, 106, 116, 120}) {
          if (FindResource(m, type, id, &d) && d.size) {
            EXPECT_TRUE(d.data >= image.data() && d.data + d.size <= image.data() + image.size());
          }
        }
      }
      DestroyInstance(m);
    }
  }
  // Flips in data bytes and languages still parse; flips in sizes do not.
  EXPECT_GT(parsed, 0);
  EXPECT_GT(refused, 0);
}

TEST(ResReader, HugeSizesAreRefused) {
  for (uint32_t dataSize : {0xFFFFFFFFu, 0xFFFFFFF0u, 0x80000000u, 1000u}) {
    ResImageBuilder b;
    b.Add(2, 120, 1033, Bytes({1, 2, 3, 4}));
    std::vector<uint8_t> image = b.bytes();
    for (int i = 0; i < 4; ++i) image[32 + i] = static_cast<uint8_t>(dataSize >> (8 * i));
    EXPECT_EQ(CreateInstanceFromRes(image.data(), image.size()), nullptr) << dataSize;
  }
  for (uint32_t headerSize : {0xFFFFFFFCu, 0u, 8u, 30u, 34u, 4096u}) {
    ResImageBuilder b;
    b.Add(2, 120, 1033, Bytes({1, 2, 3, 4}));
    std::vector<uint8_t> image = b.bytes();
    for (int i = 0; i < 4; ++i) image[36 + i] = static_cast<uint8_t>(headerSize >> (8 * i));
    EXPECT_EQ(CreateInstanceFromRes(image.data(), image.size()), nullptr) << headerSize;
  }
  // A string name with no terminator inside its header.
  ResImageBuilder b;
  b.AddNamed(ResImageBuilder::String(u"ABCDEFGH"), ResImageBuilder::Ordinal(1), 1033, Bytes({1}));
  std::vector<uint8_t> image = b.bytes();
  for (size_t i = 40; i < 58; ++i)
    if (image[i] == 0) image[i] = 'Z';
  EXPECT_EQ(CreateInstanceFromRes(image.data(), image.size()), nullptr);
}

}  // namespace
