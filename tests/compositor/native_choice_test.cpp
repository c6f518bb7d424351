// Which backend the game takes: Wayland where WAYLAND_DISPLAY names a
// compositor that offers all it needs, X11 otherwise (with one line when a
// compositor was there but could not serve), and the one KELVARA_BACKEND
// names. The compositor that lacks something is one of the test's own.
#include <gtest/gtest.h>

#include <string>

#include "bare_compositor.h"
#include "native_game.h"
#include "pointer-constraints-unstable-v1-client-protocol.h"
#include "probe.h"
#include "process.h"
#include "xdg-shell-client-protocol.h"
#include "xvfb.h"
#include "xwayland_game.h"

namespace kv_compositor {
namespace {

constexpr int kWindowMs = 30000;

TEST(ChoosingTheBackend, WaylandWhereItServesElseX11WithOneLineSayingWhy) {
  kv_e2e::Xvfb x;
  ASSERT_TRUE(x.Start()) << x.error();
  // Everything but relative pointer motion.
  BareCompositor bare;
  ASSERT_TRUE(bare.Start({{&wl_compositor_interface, 4},
                          {&wl_subcompositor_interface, 1},
                          {&wl_shm_interface, 1},
                          {&xdg_wm_base_interface, 2},
                          {&wl_seat_interface, 5},
                          {&zwp_pointer_constraints_v1_interface, 1}}));
  kv_e2e::Probe probe(x.display());
  ASSERT_TRUE(probe.ok());
  const std::string lacking = "kelvara: the Wayland compositor \"" + bare.socket() +
                              "\" offers no zwp_relative_pointer_manager_v1 (relative pointer "
                              "motion), which the game needs";

  {
    kv_e2e::Process game;
    ASSERT_TRUE(game.Start({KelvaraPath()}, {{"DISPLAY", x.display()},
                                             {"WAYLAND_DISPLAY", bare.socket()},
                                             {"KELVARA_BACKEND", std::nullopt}}));
    EXPECT_TRUE(probe.WaitForMapped("Kelvara", kWindowMs).has_value()) << game.Stderr();
    EXPECT_EQ(game.Stderr(), lacking + "; using X11 (Xwayland)\n");
  }
  {
    // No Wayland session: X11, as on any X desktop, without a word.
    kv_e2e::Process game;
    ASSERT_TRUE(game.Start({KelvaraPath()}, {{"DISPLAY", x.display()},
                                             {"WAYLAND_DISPLAY", std::nullopt},
                                             {"KELVARA_BACKEND", std::nullopt}}));
    EXPECT_TRUE(probe.WaitForMapped("Kelvara", kWindowMs).has_value()) << game.Stderr();
    EXPECT_EQ(game.Stderr(), "");
  }
  // Asked for by name, Wayland is the only one tried: the line, and the
  // failed start's status.
  kv_e2e::CommandResult r = kv_e2e::Run(
      {KelvaraPath()},
      {{"DISPLAY", x.display()}, {"WAYLAND_DISPLAY", bare.socket()}, {"KELVARA_BACKEND", "wayland"}},
      kWindowMs);
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.err.rfind(lacking + "\n", 0), 0u) << r.err;
  // A name that is no backend.
  r = kv_e2e::Run({KelvaraPath()}, {{"DISPLAY", x.display()}, {"KELVARA_BACKEND", "vulkan"}},
                  kWindowMs);
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.err.rfind("kelvara: KELVARA_BACKEND=vulkan names no display backend (wayland, x11, "
                        "headless)\n", 0), 0u) << r.err;
}

}  // namespace
}  // namespace kv_compositor
