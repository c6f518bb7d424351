// A staged install (DESTDIR) as a distribution checks it, and the installed
// program started from there: its window names itself and carries the icon.
#include <X11/Xatom.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "game_session.h"

namespace {

namespace fs = std::filesystem;
using kv_e2e::CommandResult;


// The whole of a 32-bit property, however long (an icon is thousands of items).
std::vector<long> WholeCardinalProperty(Display* display, Window window, const char* name) {
  Atom actual = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  std::vector<long> values;
  if (XGetWindowProperty(display, window, XInternAtom(display, name, False), 0, 1 << 20, False,
                         XA_CARDINAL, &actual, &format, &count, &after, &data) == Success &&
      data && format == 32) {
    const long* items = reinterpret_cast<const long*>(data);
    values.assign(items, items + count);
  }
  if (data) XFree(data);
  return values;
}

class StagedInstall : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    stage_ = new std::string(std::string(KV_BUILD_DIR) + "/dist-stage");
    fs::remove_all(*stage_);
    installed_ = new CommandResult(
        kv_e2e::Run({"cmake", "--install", KV_BUILD_DIR, "--prefix", "/usr"}, {{"DESTDIR", *stage_}},
            120000));
  }
  static void TearDownTestSuite() {
    delete installed_;
    delete stage_;
  }
  void SetUp() override {
    ASSERT_EQ(installed_->exitCode, 0) << installed_->out << installed_->err;
  }
  static std::string At(const std::string& path) { return *stage_ + "/usr/" + path; }

  static std::string* stage_;
  static CommandResult* installed_;
};
std::string* StagedInstall::stage_ = nullptr;
CommandResult* StagedInstall::installed_ = nullptr;

TEST_F(StagedInstall, PutsEveryFileInItsPlace) {
  for (const char* path :
       {"bin/kelvara", "share/applications/kelvara.desktop",
        "share/metainfo/io.github.kelvara.Kelvara.metainfo.xml", "share/man/man6/kelvara.6",
        "share/icons/hicolor/scalable/apps/kelvara.svg", "share/doc/kelvara/LICENSE"}) {
    EXPECT_TRUE(fs::is_regular_file(At(path))) << path;
  }
  for (int size : {16, 32, 48, 64, 128, 256}) {
    const std::string s = std::to_string(size);
    const std::string png = At("share/icons/hicolor/" + s + "x" + s + "/apps/kelvara.png");
    CommandResult id = kv_e2e::Run({"identify", "-format", "%w %h %[channels]", png});
    EXPECT_EQ(id.exitCode, 0) << png;
    EXPECT_EQ(id.out, s + " " + s + " srgba") << png;
  }
}

TEST_F(StagedInstall, PassesTheDesktopChecks) {
  CommandResult desktop = kv_e2e::Run({"desktop-file-validate", At("share/applications/kelvara.desktop")});
  EXPECT_EQ(desktop.exitCode, 0) << desktop.out << desktop.err;
  EXPECT_EQ(desktop.out + desktop.err, "");

  CommandResult meta = kv_e2e::Run({"appstreamcli", "validate", "--no-net",
                            At("share/metainfo/io.github.kelvara.Kelvara.metainfo.xml")},
                           {}, 60000);
  EXPECT_EQ(meta.exitCode, 0) << meta.out << meta.err;

  CommandResult man = kv_e2e::Run({"man", "-l", At("share/man/man6/kelvara.6")}, {{"MANWIDTH", "80"},
                          {"MAN_KEEP_FORMATTING", std::nullopt}}, 60000);
  EXPECT_EQ(man.exitCode, 0) << man.err;
  EXPECT_EQ(man.err, "");
  for (const char* heading : {"SYNOPSIS", "OPTIONS", "CONTROLS", "LEVELS", "EXIT STATUS"})
    EXPECT_NE(man.out.find(heading), std::string::npos) << heading;
}

TEST_F(StagedInstall, TheInstalledProgramNamesItsWindowAndShowsItsIcon) {
  // Started from a folder of its own, away from the source and build trees.
  const std::string program = *stage_ + "/elsewhere/kelvara";
  fs::create_directories(*stage_ + "/elsewhere");
  fs::copy_file(At("bin/kelvara"), program, fs::copy_options::overwrite_existing);

  kv_e2e::Xvfb server;
  ASSERT_TRUE(server.Start(1920, 1080)) << server.error();
  kv_e2e::Probe probe(server.display());
  ASSERT_TRUE(probe.ok());
  kv_e2e::Process game;
  ASSERT_TRUE(game.Start({program, "--pace", "500"}, server.Env()));
  std::optional<kv_e2e::TopWindow> window = probe.WaitForMapped("Kelvara", 30000);
  ASSERT_TRUE(window) << game.Stderr();

  const std::string id = std::to_string(window->id);
  CommandResult cls = kv_e2e::Run({"xprop", "-id", id, "WM_CLASS"}, server.Env());
  EXPECT_EQ(cls.out, "WM_CLASS(STRING) = \"kelvara\", \"Kelvara\"\n");
  CommandResult pid = kv_e2e::Run({"xprop", "-id", id, "_NET_WM_PID"}, server.Env());
  EXPECT_EQ(pid.out, "_NET_WM_PID(CARDINAL) = " + std::to_string(game.pid()) + "\n");
  CommandResult machine = kv_e2e::Run({"xprop", "-id", id, "WM_CLIENT_MACHINE"}, server.Env());
  EXPECT_EQ(machine.out.rfind("WM_CLIENT_MACHINE(STRING) = \"", 0), 0u) << machine.out;

  // The icon: 16, 32 and 48 pixels square, opaque green in the middle of
  // an edge (the pitch), transparent in the very corner (rounded).
  std::vector<long> icon = WholeCardinalProperty(probe.display(), window->id, "_NET_WM_ICON");
  size_t at = 0;
  std::vector<long> sizes;
  while (at + 2 <= icon.size()) {
    const long w = icon[at], h = icon[at + 1];
    ASSERT_EQ(w, h);
    ASSERT_LE(at + 2 + w * h, icon.size());
    auto pixel = [&](long x, long y) {
      return static_cast<unsigned long>(icon[at + 2 + y * w + x]) & 0xFFFFFFFFu;
    };
    EXPECT_LT(pixel(0, 0) >> 24, 0x40u) << w;
    EXPECT_EQ(pixel(w / 2, 0), 0xFF008000u) << w;
    sizes.push_back(w);
    at += 2 + w * h;
  }
  EXPECT_EQ(sizes, (std::vector<long>{16, 32, 48}));
  game.Stop();
}

}  // namespace
