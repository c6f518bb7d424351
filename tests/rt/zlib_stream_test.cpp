// Our zlib streams against zlib itself: whatever zlib packs, at every level
// and strategy, unpacks to the same bytes; what we store, zlib unpacks; the
// checksums agree; and damaged, cut or oversized streams are refused without
// a byte written past the room given.
#include <gtest/gtest.h>
#include <zlib.h>

#include <random>
#include <string>
#include <vector>

#include "platform/rt/zlib_stream.h"

namespace {

using kv::rt::InflateResult;
using Bytes = std::vector<uint8_t>;

Bytes Pack(const Bytes& raw, int level, int strategy = Z_DEFAULT_STRATEGY) {
  z_stream z{};
  EXPECT_EQ(deflateInit2(&z, level, Z_DEFLATED, 15, 8, strategy), Z_OK);
  Bytes out(deflateBound(&z, raw.size()));
  z.next_in = const_cast<Bytef*>(raw.data());
  z.avail_in = static_cast<uInt>(raw.size());
  z.next_out = out.data();
  z.avail_out = static_cast<uInt>(out.size());
  EXPECT_EQ(deflate(&z, Z_FINISH), Z_STREAM_END);
  out.resize(z.total_out);
  deflateEnd(&z);
  return out;
}

// Unpacks into exactly `capacity` bytes followed by guard bytes that must
// stay as they were.
InflateResult Unpack(const Bytes& packed, size_t capacity, Bytes* out) {
  Bytes room(capacity + 16, 0xA5);
  size_t written = 0;
  const InflateResult r =
      kv::rt::InflateZlib(packed.data(), packed.size(), room.data(), capacity, &written);
  EXPECT_LE(written, capacity);
  for (size_t i = capacity; i < room.size(); ++i) EXPECT_EQ(room[i], 0xA5) << "written past the room";
  room.resize(written);
  if (out) *out = room;
  return r;
}

std::vector<Bytes> Samples() {
  std::mt19937 random(7);
  Bytes noise(300000);
  for (uint8_t& b : noise) b = static_cast<uint8_t>(random());
  Bytes text;
  const std::string words[] = {"ball ", "player ", "goal ", "Left Player Score: ", "frame ", "\n"};
  while (text.size() < 200000) {
    const std::string& w = words[random() % 6];
    text.insert(text.end(), w.begin(), w.end());
  }
  Bytes runs(1 << 20, 0);
  for (size_t i = 0; i < runs.size(); i += 1000) runs[i] = static_cast<uint8_t>(i / 1000);
  // A recording's records are small numbers, mostly repeats.
  Bytes records;
  for (int i = 0; i < 50000; ++i) {
    records.push_back(static_cast<uint8_t>(0x11 + (i % 3 == 0)));
    if (i % 97 == 0) records.push_back(static_cast<uint8_t>(random() % 256));
  }
  return {Bytes{}, Bytes{'a'}, noise, text, runs, records};
}

TEST(ZlibStream, UnpacksWhatZlibPacksAtEveryLevelAndStrategy) {
  for (const Bytes& raw : Samples()) {
    for (int level : {0, 1, 6, 9}) {
      for (int strategy : {Z_DEFAULT_STRATEGY, Z_FILTERED, Z_HUFFMAN_ONLY, Z_RLE, Z_FIXED}) {
        const Bytes packed = Pack(raw, level, strategy);
        Bytes out;
        ASSERT_EQ(Unpack(packed, raw.size(), &out), InflateResult::kOk)
            << raw.size() << " bytes, level " << level << ", strategy " << strategy;
        ASSERT_EQ(out, raw);
      }
    }
  }
}

TEST(ZlibStream, ZlibUnpacksWhatWeStore) {
  for (const Bytes& raw : Samples()) {
    Bytes packed(kv::rt::ZlibBound(raw.size()));
    const size_t size = kv::rt::StoreZlib(raw.data(), raw.size(), packed.data(), packed.size());
    ASSERT_GT(size, 0u);
    ASSERT_LE(size, compressBound(static_cast<uLong>(raw.size())));
    Bytes out(raw.size() + 1);
    uLongf outSize = static_cast<uLongf>(out.size());
    ASSERT_EQ(uncompress(out.data(), &outSize, packed.data(), static_cast<uLong>(size)), Z_OK);
    out.resize(outSize);
    EXPECT_EQ(out, raw);
    // And so do we; one byte less of room is refused.
    packed.resize(size);
    EXPECT_EQ(Unpack(packed, raw.size(), &out), InflateResult::kOk);
    EXPECT_EQ(out, raw);
    EXPECT_EQ(kv::rt::StoreZlib(raw.data(), raw.size(), packed.data(), size - 1), 0u);
  }
}

TEST(ZlibStream, ChecksumsAreZlibs) {
  for (const Bytes& raw : Samples()) {
    const size_t half = raw.size() / 2;
    const uint32_t crc = kv::rt::Crc32(kv::rt::Crc32(0, raw.data(), half), raw.data() + half,
                                       raw.size() - half);
    EXPECT_EQ(crc, crc32(0, raw.data(), static_cast<uInt>(raw.size())));
    const uint32_t adler = kv::rt::Adler32(kv::rt::Adler32(1, raw.data(), half),
                                           raw.data() + half, raw.size() - half);
    EXPECT_EQ(adler, adler32(1, raw.data(), static_cast<uInt>(raw.size())));
  }
}

TEST(ZlibStream, RefusesStreamsCutShortOrWithoutRoom) {
  const Bytes raw = Samples()[3];
  for (int level : {0, 6}) {
    const Bytes packed = Pack(raw, level);
    // Every cut is refused; the cuts through the data say so.
    for (size_t cut = 0; cut < packed.size(); cut += cut < 64 ? 1 : 997) {
      const Bytes part(packed.begin(), packed.begin() + cut);
      const InflateResult r = Unpack(part, raw.size(), nullptr);
      EXPECT_NE(r, InflateResult::kOk) << "cut at " << cut;
      if (cut > 2) EXPECT_EQ(r, InflateResult::kTruncated) << "cut at " << cut;
    }
    EXPECT_EQ(Unpack(packed, raw.size() - 1, nullptr), InflateResult::kNoRoom);
    EXPECT_EQ(Unpack(packed, 0, nullptr), InflateResult::kNoRoom);
  }
}

TEST(ZlibStream, RefusesDamagedStreams) {
  const Bytes raw = Samples()[3];
  const Bytes packed = Pack(raw, 6);
  auto damaged = [&](void (*damage)(Bytes&)) {
    Bytes b = packed;
    damage(b);
    return Unpack(b, raw.size(), nullptr);
  };
  EXPECT_EQ(damaged([](Bytes& b) { b[0] = 0x77; }), InflateResult::kBadData);  // not deflate
  EXPECT_EQ(damaged([](Bytes& b) { b[1] ^= 1; }), InflateResult::kBadData);    // header check
  EXPECT_EQ(damaged([](Bytes& b) { b[1] = 0xBB; }), InflateResult::kBadData);  // a dictionary
  EXPECT_EQ(damaged([](Bytes& b) { b.back() ^= 1; }), InflateResult::kBadData);  // Adler-32
  EXPECT_EQ(damaged([](Bytes& b) { b[2] |= 6; }), InflateResult::kBadData);  // block type 3

  // Handmade: a stored block whose length does not match its complement,
  // and a fixed-code block that copies from before the start.
  const Bytes badStored = {0x78, 0x01, 0x01, 0x05, 0x00, 0xFA, 0xFE, 'a'};
  EXPECT_EQ(Unpack(badStored, 16, nullptr), InflateResult::kBadData);
  // Fixed codes: length 3 (symbol 257, code 0000001) at distance 1 (code 00000).
  const Bytes copyBefore = {0x78, 0x01, 0x03, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00};
  EXPECT_EQ(Unpack(copyBefore, 16, nullptr), InflateResult::kBadData);

  // Flipped bits anywhere: a refusal or the right bytes, nothing past the room.
  std::mt19937 random(11);
  for (int i = 0; i < 500; ++i) {
    Bytes b = packed;
    b[2 + random() % (b.size() - 2)] ^= static_cast<uint8_t>(1u << (random() % 8));
    Bytes out;
    if (Unpack(b, raw.size(), &out) == InflateResult::kOk) EXPECT_EQ(out, raw);
  }
}

}  // namespace
