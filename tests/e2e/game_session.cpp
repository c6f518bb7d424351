#include "game_session.h"

#include <X11/Xatom.h>

namespace kv_e2e {

const char* KelvaraPath() { return KV_KELVARA_PATH; }

GameSession::~GameSession() {
  game_.Stop();
  delete probe_;
  probe_ = nullptr;
  server_.Stop();
}

void GameSession::CloseProbe() {
  delete probe_;
  probe_ = nullptr;
}

bool GameSession::Start() { return Start({}, ""); }

bool GameSession::Start(const std::vector<std::string>& args, const std::string& resources) {
  if (!server_.Start(screenWidth_, screenHeight_)) {
    error_ = server_.error();
    return false;
  }
  probe_ = new Probe(server_.display());
  if (!probe_->ok()) {
    error_ = "the probe cannot connect to " + server_.display();
    return false;
  }
  if (!resources.empty()) {
    Display* d = probe_->display();
    XChangeProperty(d, DefaultRootWindow(d), XInternAtom(d, "RESOURCE_MANAGER", False), XA_STRING,
                    8, PropModeReplace, reinterpret_cast<const unsigned char*>(resources.data()),
                    static_cast<int>(resources.size()));
    XSync(d, False);
  }
  std::vector<std::string> argv = launcher_;
  argv.push_back(KelvaraPath());
  argv.insert(argv.end(), args.begin(), args.end());
  if (!game_.Start(argv, server_.Env())) {
    error_ = "cannot start the game";
    return false;
  }
  // Generous: on a loaded machine the start alone can take seconds.
  std::optional<TopWindow> found = probe_->WaitForMapped("Kelvara", 30000);
  if (!found) {
    error_ = "no window named Kelvara appeared; game stderr: " + game_.Stderr();
    return false;
  }
  window_ = *found;
  // On a bare server the game hands itself the keyboard right after the
  // map; a key sent before that lands on the root window and is lost.
  if (!probe_->WaitForFocus(window_.id, 10000)) {
    error_ = "the window never took the keyboard focus";
    return false;
  }
  return true;
}

bool GameSession::Xdotool(const std::vector<std::string>& args) {
  std::vector<std::string> argv{"xdotool"};
  argv.insert(argv.end(), args.begin(), args.end());
  CommandResult r = Run(argv, server_.Env(), 10000);
  return r.exitCode == 0;
}

bool GameSession::ClickClient(int x, int y, int button) {
  return Xdotool({"mousemove", std::to_string(clientX() + x), std::to_string(clientY() + y),
                  "click", std::to_string(button)});
}

bool GameSession::Click(int button) { return Xdotool({"click", std::to_string(button)}); }

bool GameSession::Key(const std::string& keys) { return Xdotool({"key", keys}); }

std::string GameSession::Title() {
  CommandResult r = Run({"xprop", "-id", std::to_string(window_.id), "WM_NAME"}, server_.Env());
  // WM_NAME(STRING) = "Kelvara - ..."
  size_t first = r.out.find('"');
  size_t last = r.out.rfind('"');
  if (r.exitCode != 0 || first == std::string::npos || last <= first) return {};
  return r.out.substr(first + 1, last - first - 1);
}

Image GameSession::Screenshot() {
  Image image;
  CommandResult r = Run({"import", "-window", "root", "-depth", "8", "ppm:-"}, server_.Env(), 20000);
  if (r.exitCode != 0 || !ParsePpm(r.out, &image)) return Image{};
  return image;
}

uint32_t GameSession::ClientPixel(const Image& screen, int x, int y) const {
  int sx = clientX() + x, sy = clientY() + y;
  return screen.Contains(sx, sy) ? screen.At(sx, sy) : 0xFFFFFFFFu;
}

}  // namespace kv_e2e
