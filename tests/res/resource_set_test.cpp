// The built resource file and the image embedded in the program pass every
// check of the resource checker, and the checker itself catches damage.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "platform/rt/resources.h"
#include "res/resource.h"
#include "tools/rescheck/dib.h"
#include "tools/rescheck/rescheck.h"

namespace {

using kv::rescheck::Report;

std::vector<uint8_t> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)),
                              std::istreambuf_iterator<char>());
}

std::vector<uint8_t> BuiltRes() { return ReadFile(std::string(KV_BUILD_DIR) + "/res/kelvara.res"); }

std::string Failures(const Report& r) {
  std::string s;
  for (const std::string& f : r.failures) s += "  " + f + "\n";
  return s;
}

TEST(ResourceSet, BuiltFilePassesEveryCheck) {
  const std::vector<uint8_t> image = BuiltRes();
  ASSERT_FALSE(image.empty()) << "the build did not produce res/kelvara.res";
  HINSTANCE m = kv::rt::CreateInstanceFromRes(image.data(), image.size());
  Report r;
  kv::rescheck::CheckAll(m, &r);
  EXPECT_TRUE(r.ok()) << Failures(r);
  EXPECT_GT(r.checked.size(), 100u);
  kv::rt::DestroyInstance(m);
}

TEST(ResourceSet, ProgramEmbedsTheBuiltFile) {
  HINSTANCE program = kv::rt::ProgramInstance();
  ASSERT_NE(program, nullptr);
  EXPECT_EQ(program, kv::rt::ProgramInstance());  // made once
  Report r;
  kv::rescheck::CheckAll(program, &r);
  EXPECT_TRUE(r.ok()) << Failures(r);

  // Byte for byte the same resources as the file.
  const std::vector<uint8_t> image = BuiltRes();
  HINSTANCE file = kv::rt::CreateInstanceFromRes(image.data(), image.size());
  ASSERT_NE(file, nullptr);
  const auto a = kv::rt::ListResources(program);
  const auto b = kv::rt::ListResources(file);
  ASSERT_EQ(a.size(), b.size());
  for (size_t i = 0; i < a.size(); ++i) {
    EXPECT_EQ(a[i].type, b[i].type);
    EXPECT_EQ(a[i].id, b[i].id);
    ASSERT_EQ(a[i].data.size, b[i].data.size);
    EXPECT_TRUE(std::equal(a[i].data.data, a[i].data.data + a[i].data.size, b[i].data.data));
  }
  kv::rt::DestroyInstance(file);
  // The program's module is not the caller's to destroy.
  kv::rt::ResourceData d;
  EXPECT_TRUE(kv::rt::FindResource(program, RT_BITMAP_ID, IDB_PITCH, &d));
}

// Changes one resource's bytes in a copy of the built file and returns the
// failures that the given checks then report.
template <typename F>
std::vector<std::string> FailuresAfter(uint16_t type, uint16_t id, F change,
                                       std::initializer_list<void (*)(HINSTANCE, Report*)> checks) {
  std::vector<uint8_t> image = BuiltRes();
  HINSTANCE m = kv::rt::CreateInstanceFromRes(image.data(), image.size());
  kv::rt::ResourceData d;
  if (m == nullptr || !kv::rt::FindResource(m, type, id, &d)) return {"setup failed"};
  change(image.data() + (d.data - image.data()), d.size);
  Report r;
  for (auto check : checks) check(m, &r);
  kv::rt::DestroyInstance(m);
  return r.failures;
}

bool Mentions(const std::vector<std::string>& failures, const std::string& text) {
  for (const std::string& f : failures)
    if (f.find(text) != std::string::npos) return true;
  return false;
}

// Offset of pixel (x, y) of a bottom-up 24-bit DIB.
size_t Pixel24(int width, int height, int x, int y) {
  const size_t row = (static_cast<size_t>(width) * 3 + 3) / 4 * 4;
  return 40 + static_cast<size_t>(height - 1 - y) * row + static_cast<size_t>(x) * 3;
}

TEST(ResourceSet, CheckerCatchesDamage) {
  // A pixel of the left goal area's outline turned to grass.
  auto f = FailuresAfter(RT_BITMAP_ID, IDB_PITCH,
                         [](uint8_t* p, size_t) {
                           uint8_t* px = p + Pixel24(1000, 600, 60, 224);
                           px[0] = 0;
                           px[1] = 128;
                           px[2] = 0;
                         },
                         {kv::rescheck::CheckPitch});
  EXPECT_TRUE(Mentions(f, "pure blue")) << f.size();
  // A gap in the halfway line, and a blue pixel in the grass.
  f = FailuresAfter(RT_BITMAP_ID, IDB_PITCH,
                    [](uint8_t* p, size_t) {
                      p[Pixel24(1000, 600, 499, 40)] = 0;
                      uint8_t* px = p + Pixel24(1000, 600, 300, 100);
                      px[0] = 255;
                      px[1] = 0;
                      px[2] = 0;
                    },
                    {kv::rescheck::CheckPitch});
  EXPECT_TRUE(Mentions(f, "halfway line"));
  EXPECT_TRUE(Mentions(f, "flat grass"));
  // A visible pixel in the ball's transparent corner.
  f = FailuresAfter(RT_BITMAP_ID, IDB_BALL,
                    [](uint8_t* p, size_t) { p[Pixel24(30, 30, 29, 0)] = 9; },
                    {kv::rescheck::CheckPictures});
  EXPECT_TRUE(Mentions(f, "ball: the picture is black wherever the mask is white"));
  // A grey speck inside the player's silhouette, and a coloured mask pixel.
  f = FailuresAfter(RT_BITMAP_ID, IDB_LEFT_PLAYER_MASK,
                    [](uint8_t* p, size_t) {
                      uint8_t* px = p + Pixel24(80, 120, 44, 40);
                      px[0] = px[1] = px[2] = 100;
                      p[Pixel24(80, 120, 44, 44)] = 7;
                    },
                    {kv::rescheck::CheckPictures});
  EXPECT_TRUE(Mentions(f, "left player: grey mask pixels lie only along the outline"));
  EXPECT_TRUE(Mentions(f, "only black, white and grey"));
  EXPECT_TRUE(Mentions(f, "right player: the exact mirror"));
  // A stored size that is not the table's.
  f = FailuresAfter(RT_BITMAP_ID, IDB_TROPHY, [](uint8_t* p, size_t) { p[4] = 110; },
                    {kv::rescheck::CheckBitmapFormats});
  EXPECT_TRUE(Mentions(f, "bitmap 170 is 111 x 299"));
  // A menu text, the dialog's width and the manifest's level changed.
  f = FailuresAfter(RT_MENU_ID, IDR_MAIN_MENU,
                    [](uint8_t* p, size_t n) {
                      for (size_t i = 0; i + 1 < n; i += 2)
                        if (p[i] == 'x' && p[i + 1] == 0) p[i] = 'y';  // E&xit
                    },
                    {kv::rescheck::CheckMenu});
  EXPECT_TRUE(Mentions(f, "E&xit"));
  f = FailuresAfter(RT_DIALOG_ID, IDD_ABOUT,
                    [](uint8_t* p, size_t) {
                      // The dialog's width: after version, signature, help id, ex style,
                      // style, count, x and y.
                      p[22] = 0;
                    },
                    {kv::rescheck::CheckDialog});
  EXPECT_TRUE(Mentions(f, "284 x 190"));
  f = FailuresAfter(RT_MANIFEST_ID, 1,
                    [](uint8_t* p, size_t n) {
                      const std::string text(reinterpret_cast<char*>(p), n);
                      const size_t at = text.find("asInvoker");
                      if (at != std::string::npos) p[at] = 'A';
                    },
                    {kv::rescheck::CheckManifest});
  EXPECT_TRUE(Mentions(f, "asInvoker"));
}

TEST(ResourceSet, CheckerReportsAMissingImageOrResource) {
  Report r;
  kv::rescheck::CheckAll(nullptr, &r);
  EXPECT_FALSE(r.ok());
  // A resource file with only the menu: everything else is reported missing.
  std::vector<uint8_t> image = BuiltRes();
  HINSTANCE full = kv::rt::CreateInstanceFromRes(image.data(), image.size());
  ASSERT_NE(full, nullptr);
  kv::rt::ResourceData menu;
  ASSERT_TRUE(kv::rt::FindResource(full, RT_MENU_ID, IDR_MAIN_MENU, &menu));
  kv::rt::DestroyInstance(full);
  Report partial;
  // Rebuild a file from the leading empty entry and the menu's entry.
  size_t pos = 32, menuStart = 0, menuEnd = 0;
  while (pos + 8 <= image.size()) {
    uint32_t ds = 0, hs = 0;
    for (int i = 0; i < 4; ++i) {
      ds |= uint32_t(image[pos + i]) << (8 * i);
      hs |= uint32_t(image[pos + 4 + i]) << (8 * i);
    }
    const size_t end = (pos + hs + ds + 3) / 4 * 4;
    if (image.data() + pos + hs == menu.data) {
      menuStart = pos;
      menuEnd = end;
    }
    pos = end;
  }
  ASSERT_LT(menuStart, menuEnd);
  std::vector<uint8_t> small(image.begin(), image.begin() + 32);
  small.insert(small.end(), image.begin() + menuStart, image.begin() + menuEnd);
  HINSTANCE m = kv::rt::CreateInstanceFromRes(small.data(), small.size());
  ASSERT_NE(m, nullptr);
  kv::rescheck::CheckAll(m, &partial);
  EXPECT_TRUE(Mentions(partial.failures, "bitmap 130 (pitch) is present once (found 0)"));
  EXPECT_TRUE(Mentions(partial.failures, "manifest 1 is found"));
  EXPECT_FALSE(Mentions(partial.failures, "menu:"));
  kv::rt::DestroyInstance(m);
}

TEST(ResourceSet, DibDecoderRefusesShortOrOddBitmaps) {
  std::vector<uint8_t> image = BuiltRes();
  HINSTANCE m = kv::rt::CreateInstanceFromRes(image.data(), image.size());
  ASSERT_NE(m, nullptr);
  kv::rt::ResourceData ball;
  ASSERT_TRUE(kv::rt::FindResource(m, RT_BITMAP_ID, IDB_BALL, &ball));
  const std::vector<uint8_t> dib(ball.data, ball.data + ball.size);
  kv::rt::DestroyInstance(m);
  kv::rescheck::Dib d;
  std::string why;
  ASSERT_TRUE(kv::rescheck::DecodeDib(dib.data(), dib.size(), &d, &why));
  for (size_t n = 0; n < dib.size(); n += (n < 64 ? 1 : 97)) {
    std::vector<uint8_t> cut(dib.begin(), dib.begin() + n);
    EXPECT_FALSE(kv::rescheck::DecodeDib(cut.data(), n, &d, &why)) << n;
  }
  std::vector<uint8_t> odd = dib;
  odd[14] = 32;  // 32 bits per pixel
  EXPECT_FALSE(kv::rescheck::DecodeDib(odd.data(), odd.size(), &d, &why));
  odd = dib;
  odd[16] = 1;  // RLE8
  EXPECT_FALSE(kv::rescheck::DecodeDib(odd.data(), odd.size(), &d, &why));
  odd = dib;
  odd[7] = 0x7F;  // an absurd width
  EXPECT_FALSE(kv::rescheck::DecodeDib(odd.data(), odd.size(), &d, &why));
}

}  // namespace
