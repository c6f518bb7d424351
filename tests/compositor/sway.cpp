#include "sway.h"

#include <pwd.h>
#include <unistd.h>

#include "process.h"

namespace kv_compositor {

namespace {

constexpr int kStartMs = 30000;  // generous: two cores shared with other tests

std::string Trim(std::string text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
  return text;
}

std::string Tail(const std::string& text, size_t length) {
  return text.size() > length ? text.substr(text.size() - length) : text;
}

std::string UserName(uid_t uid) {
  const passwd* user = getpwuid(uid);
  return user ? user->pw_name : std::to_string(uid);
}

}  // namespace

bool Sway::Start(const SwayOutput& output) {
  // As root the test runs sway as nobody; as anyone else, as itself.
  const uid_t tester = getuid();
  uid_t uid = tester;
  gid_t gid = getgid();
  if (tester == 0 && !NobodyIds(&uid, &gid)) {
    error_ = "no user nobody to run sway as";
    return false;
  }
  if (!dir_.Create("sway", uid, gid)) {
    error_ = "cannot make a runtime directory";
    return false;
  }
  // `xwayland force` starts Xwayland at once and keeps it: a lazy one would
  // end with its last client, and the access given to the test with it.
  const std::string config =
      "xwayland force\n"
      "output HEADLESS-1 mode " + std::to_string(output.width) + "x" +
      std::to_string(output.height) + " position 0 0 scale " + std::to_string(output.scale) +
      "\n"
      "exec sh -c 'xhost +si:localuser:" + UserName(tester) + " >/dev/null && echo \"$DISPLAY\" > "
      "$XDG_RUNTIME_DIR/display.new && mv $XDG_RUNTIME_DIR/display.new "
      "$XDG_RUNTIME_DIR/display'\n"
      "exec " + WatchdogCommand("swaymsg exit") + "\n";
  if (!dir_.Write("config", config)) {
    error_ = "cannot write the sway config";
    return false;
  }
  const kv_e2e::EnvChanges env{
      {"XDG_RUNTIME_DIR", dir_.path()}, {"HOME", dir_.path()},
      {"WLR_BACKENDS", "headless"},     {"WLR_LIBINPUT_NO_DEVICES", "1"},
      {"WLR_RENDERER", "pixman"},       {"DISPLAY", std::nullopt},
      {"WAYLAND_DISPLAY", std::nullopt}, {"SWAYSOCK", std::nullopt},
      {"XAUTHORITY", std::nullopt}};
  std::vector<std::string> argv{"sway", "-d", "-c", dir_.File("config")};
  if (uid != tester)
    argv.insert(argv.begin(), {"setpriv", "--reuid=" + std::to_string(uid),
                               "--regid=" + std::to_string(gid), "--clear-groups"});
  if (!sway_.Start(argv, env)) {
    error_ = "cannot start sway";
    return false;
  }
  const long long deadline = kv_e2e::MonotonicMs() + kStartMs;
  while ((xDisplay_ = Trim(ReadText(dir_.File("display")))).empty()) {
    if (!sway_.Running() || kv_e2e::MonotonicMs() >= deadline) {
      error_ = "sway brought up no Xwayland; its log ends:\n" + Tail(Log(), 3000);
      Stop();
      return false;
    }
    kv_e2e::SleepMs(20);
  }
  for (const std::string& name : FilesStartingWith(dir_.path(), "wayland-"))
    if (name.find(".lock") == std::string::npos) waylandSocket_ = dir_.File(name);
  for (const std::string& name : FilesStartingWith(dir_.path(), "sway-ipc."))
    ipcSocket_ = dir_.File(name);
  if (waylandSocket_.empty() || ipcSocket_.empty()) {
    error_ = "sway's sockets are missing";
    Stop();
    return false;
  }
  if (!WaitForX(xDisplay_, "", kStartMs)) {
    error_ = "no X client gets through to " + xDisplay_;
    Stop();
    return false;
  }
  return true;
}

void Sway::Stop() {
  StopWithChildren(&sway_);
  dir_.Remove();
  xDisplay_.clear();
  waylandSocket_.clear();
  ipcSocket_.clear();
}

kv_e2e::EnvChanges Sway::XEnv() const {
  return {{"DISPLAY", xDisplay_}, {"XAUTHORITY", std::nullopt}, {"WAYLAND_DISPLAY", std::nullopt}};
}

kv_e2e::EnvChanges Sway::WaylandEnv() const {
  return {{"WAYLAND_DISPLAY", waylandSocket_}, {"DISPLAY", std::nullopt}};
}

kv_e2e::CommandResult Sway::Msg(const std::vector<std::string>& args) {
  std::vector<std::string> argv{"swaymsg", "-s", ipcSocket_};
  argv.insert(argv.end(), args.begin(), args.end());
  return kv_e2e::Run(argv, {}, 15000);
}

kv_e2e::Image Sway::Grab(int x, int y, int width, int height) {
  kv_e2e::Image image;
  const std::string geometry = std::to_string(x) + "," + std::to_string(y) + " " +
                               std::to_string(width) + "x" + std::to_string(height);
  kv_e2e::CommandResult r = kv_e2e::Run({"grim", "-t", "ppm", "-g", geometry, "-"}, WaylandEnv(), 20000);
  if (r.exitCode != 0 || !kv_e2e::ParsePpm(r.out, &image)) return kv_e2e::Image{};
  return image;
}

}  // namespace kv_compositor
