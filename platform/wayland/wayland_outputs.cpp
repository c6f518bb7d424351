// Outputs and scale: each window's buffers are drawn at the largest scale
// of the outputs it is on, and again when it moves to another; the program's
// own pixels and coordinates never change.
#include <algorithm>

#include "platform/rt/program.h"
#include "platform/wayland/wayland_client.h"

namespace kv {
namespace wayland {

namespace {

// No buffer side is made longer than the surfaces' limit: a huge window is
// drawn at a lower scale (and enlarged by the compositor) rather than
// exhausting memory.
int ScaleWithinLimit(int scale, int longestSide) {
  const int fits = longestSide > 0 ? kMaxSurfaceSide / longestSide : scale;
  return std::max(1, std::min(scale, fits));
}

void OutputGeometry(void*, wl_output*, int32_t, int32_t, int32_t, int32_t, int32_t, const char*,
                    const char*, int32_t) {}

void OutputMode(void* data, wl_output* output, uint32_t flags, int32_t width, int32_t height,
                int32_t) {
  if (!(flags & WL_OUTPUT_MODE_CURRENT)) return;
  if (Output* o = static_cast<WaylandBackend*>(data)->FindOutput(output)) {
    o->width = width;
    o->height = height;
  }
}

void OutputDone(void* data, wl_output*) { static_cast<WaylandBackend*>(data)->OutputChanged(); }

void OutputScale(void* data, wl_output* output, int32_t factor) {
  if (Output* o = static_cast<WaylandBackend*>(data)->FindOutput(output))
    o->scale = std::clamp(factor, 1, 8);
}

// Names come with version 4, which is not asked for.
void OutputText(void*, wl_output*, const char*) {}

const wl_output_listener kOutputListener = {&OutputGeometry, &OutputMode, &OutputDone,
                                            &OutputScale,    &OutputText, &OutputText};

}  // namespace

void WaylandBackend::AddOutput(uint32_t name, unsigned version) {
  Output o;
  o.name = name;
  // Version 2 brings the scale.
  o.output = static_cast<wl_output*>(
      wl_registry_bind(registry, name, &wl_output_interface, std::min(version, 2u)));
  wl_output_add_listener(o.output, &kOutputListener, this);
  outputs.push_back(o);
}

void WaylandBackend::RemoveOutput(uint32_t name) {
  auto it = std::find_if(outputs.begin(), outputs.end(), [name](const Output& o) { return o.name == name; });
  if (it == outputs.end()) return;
  wl_output* gone = it->output;
  outputs.erase(it);
  for (WlWindow* w : windows)
    w->outputs.erase(std::remove(w->outputs.begin(), w->outputs.end(), gone), w->outputs.end());
  wl_output_destroy(gone);
  OutputChanged();
}

Output* WaylandBackend::FindOutput(wl_output* output) {
  for (Output& o : outputs)
    if (o.output == output) return &o;
  return nullptr;
}

void WaylandBackend::OutputChanged() {
  for (WlWindow* w : windows)
    if (UpdateScale(w)) Refresh(w);
}

bool WaylandBackend::UpdateScale(WlWindow* w) {
  int scale = 0;
  for (wl_output* output : w->outputs)
    if (const Output* o = FindOutput(output)) scale = std::max(scale, o->scale);
  // Before the compositor says where the window is, the largest of them:
  // on a single high-density output the first frame is already crisp.
  if (scale == 0) scale = LargestScale();
  scale = ScaleWithinLimit(scale, std::max(w->width, w->height) * zoom);
  if (scale == w->scale) return false;
  w->scale = scale;
  Invalidate(w);
  return true;
}

int WaylandBackend::LargestScale() const {
  int scale = 1;
  for (const Output& o : outputs) scale = std::max(scale, o.scale);
  return scale;
}

void WaylandBackend::LogicalScreen(int* width, int* height) const {
  long long area = -1;
  *width = *height = 0;
  for (const Output& o : outputs) {
    const int w = o.width / o.scale, h = o.height / o.scale;
    if (1LL * w * h > area) {
      area = 1LL * w * h;
      *width = w;
      *height = h;
    }
  }
}

void WaylandBackend::FitZoom(int width, int height) {
  if (zoomSettled) return;
  zoomSettled = true;
  int screenWidth = 0, screenHeight = 0;
  LogicalScreen(&screenWidth, &screenHeight);
  if (screenWidth <= 0 || screenHeight <= 0) return;  // nothing known to fit
  int fitting = zoom;
  while (fitting > 1 && (1LL * width * fitting > screenWidth || 1LL * height * fitting > screenHeight))
    --fitting;
  if (fitting == zoom) return;
  if (zoomGiven)
    rt::Say("at --scale %d the %dx%d window does not fit the %dx%d desktop; showing it at %d",
            zoom, width * zoom, height * zoom, screenWidth, screenHeight, fitting);
  zoom = fitting;
}

}  // namespace wayland
}  // namespace kv
