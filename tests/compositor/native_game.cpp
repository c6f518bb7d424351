// The game's and the platform's headers before any X header, whose macros
// (KeyPress, None) would break them.
#include "app/app.h"
#include "platform/headless/headless.h"
#include "platform/rt/resources.h"
#include "state/cursor_visibility.h"
#include "state/globals.h"
#include "timing/match_clock.h"
#include "timing/title_stats.h"

#include "native_game.h"
#include "xwayland_game.h"

namespace kv_compositor {

bool StartNativeGame(kv_e2e::Process* game, const kv_e2e::EnvChanges& env,
                     const std::vector<std::string>& args) {
  kv_e2e::EnvChanges all = env;
  all["DISPLAY"] = std::nullopt;
  all["KELVARA_BACKEND"] = std::nullopt;
  std::vector<std::string> argv{KelvaraPath()};
  argv.insert(argv.end(), args.begin(), args.end());
  return game->Start(argv, all);
}

kv_e2e::Image OpeningFrame() {
  kv::headless::Install();
  gClock.StartClock();
  gStatsLastMs = NowMs();
  kv_e2e::Image image;
  if (StartUp(kv::rt::ProgramInstance())) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    RunFrame();
    const kv::PixelSurface s = kv::headless::PresentedSurface(gWindow);
    image.width = s.width;
    image.height = s.height;
    for (int y = 0; y < s.height; ++y)
      for (int x = 0; x < s.width; ++x)
        image.pixels.push_back(s.pixels[static_cast<size_t>(y) * s.stride + x] & 0xFFFFFFu);
    DestroyWindow(gWindow);
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
  }
  SetCursorVisible(true);
  kv::headless::Uninstall();
  return image;
}

int PixelsNotScaled(const kv_e2e::Image& frame, const kv_e2e::Image& shown, int factor) {
  if (frame.pixels.empty() || shown.width != frame.width * factor ||
      shown.height != frame.height * factor)
    return std::max<int>(1, frame.width * frame.height);
  int wrong = 0;
  for (int y = 0; y < frame.height; ++y)
    for (int x = 0; x < frame.width; ++x) {
      const uint32_t p = frame.At(x, y);
      bool block = true;
      for (int dy = 0; dy < factor; ++dy)
        for (int dx = 0; dx < factor; ++dx)
          block = block && shown.At(x * factor + dx, y * factor + dy) == p;
      wrong += !block;
    }
  return wrong;
}

}  // namespace kv_compositor
