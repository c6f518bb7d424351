// The bench's hand on the mouse under a wlroots compositor: a virtual
// pointer (wlr-virtual-pointer) that clicks the left button at one point of
// the layout every 200 ms for a while, as bench/run.sh does with xdotool on
// X11 (a click on the player starts play again whenever it has stopped).
// Usage: kelvara_wl_clicker X Y LAYOUT_WIDTH LAYOUT_HEIGHT SECONDS
#include <linux/input-event-codes.h>
#include <wayland-client.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "wlr-virtual-pointer-unstable-v1-client-protocol.h"

namespace {

struct Globals {
  wl_seat* seat = nullptr;
  zwlr_virtual_pointer_manager_v1* manager = nullptr;
};

void Global(void* data, wl_registry* registry, uint32_t name, const char* interface, uint32_t) {
  auto* g = static_cast<Globals*>(data);
  if (!std::strcmp(interface, wl_seat_interface.name) && !g->seat)
    g->seat = static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
  else if (!std::strcmp(interface, zwlr_virtual_pointer_manager_v1_interface.name))
    g->manager = static_cast<zwlr_virtual_pointer_manager_v1*>(
        wl_registry_bind(registry, name, &zwlr_virtual_pointer_manager_v1_interface, 1));
}
void GlobalRemove(void*, wl_registry*, uint32_t) {}
const wl_registry_listener kRegistry = {&Global, &GlobalRemove};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 6) {
    std::fprintf(stderr, "usage: kelvara_wl_clicker X Y LAYOUT_WIDTH LAYOUT_HEIGHT SECONDS\n");
    return 2;
  }
  const uint32_t x = std::strtoul(argv[1], nullptr, 10), y = std::strtoul(argv[2], nullptr, 10);
  const uint32_t width = std::strtoul(argv[3], nullptr, 10);
  const uint32_t height = std::strtoul(argv[4], nullptr, 10);
  const double seconds = std::strtod(argv[5], nullptr);
  wl_display* display = wl_display_connect(nullptr);
  if (!display) {
    std::fprintf(stderr, "kelvara_wl_clicker: no Wayland compositor\n");
    return 1;
  }
  Globals g;
  wl_registry_add_listener(wl_display_get_registry(display), &kRegistry, &g);
  wl_display_roundtrip(display);
  if (!g.seat || !g.manager) {
    std::fprintf(stderr, "kelvara_wl_clicker: the compositor offers no virtual pointer\n");
    return 1;
  }
  zwlr_virtual_pointer_v1* pointer =
      zwlr_virtual_pointer_manager_v1_create_virtual_pointer(g.manager, g.seat);
  const auto start = std::chrono::steady_clock::now();
  uint32_t time = 0;
  while (std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() < seconds) {
    zwlr_virtual_pointer_v1_motion_absolute(pointer, ++time, x, y, width, height);
    zwlr_virtual_pointer_v1_frame(pointer);
    zwlr_virtual_pointer_v1_button(pointer, ++time, BTN_LEFT, WL_POINTER_BUTTON_STATE_PRESSED);
    zwlr_virtual_pointer_v1_frame(pointer);
    zwlr_virtual_pointer_v1_button(pointer, ++time, BTN_LEFT, WL_POINTER_BUTTON_STATE_RELEASED);
    zwlr_virtual_pointer_v1_frame(pointer);
    if (wl_display_roundtrip(display) < 0) return 1;
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
  }
  zwlr_virtual_pointer_v1_destroy(pointer);
  wl_display_roundtrip(display);
  wl_display_disconnect(display);
  return 0;
}
