#include "session_dir.h"

#include <X11/Xlib.h>
#include <dirent.h>
#include <pwd.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>


namespace kv_compositor {

bool SessionDir::Create(const std::string& tag, uid_t uid, gid_t gid) {
  Remove();
  std::string pattern = "/tmp/kv-" + tag + "-XXXXXX";
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  if (!mkdtemp(buffer.data())) return false;
  path_ = buffer.data();
  uid_ = uid;
  gid_ = gid;
  if (chown(path_.c_str(), uid, gid) != 0 || chmod(path_.c_str(), 0700) != 0) {
    Remove();
    return false;
  }
  return true;
}

void SessionDir::Remove() {
  if (path_.empty()) return;
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
  path_.clear();
}

bool SessionDir::Write(const std::string& name, const std::string& text) const {
  const std::string file = File(name);
  {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out << text;
    if (!out) return false;
  }
  return chown(file.c_str(), uid_, gid_) == 0;
}

bool NobodyIds(uid_t* uid, gid_t* gid) {
  const passwd* user = getpwnam("nobody");
  if (!user) return false;
  *uid = user->pw_uid;
  *gid = user->pw_gid;
  return true;
}

std::vector<pid_t> ChildrenOf(pid_t pid) {
  std::vector<pid_t> children;
  DIR* proc = opendir("/proc");
  if (!proc) return children;
  while (const dirent* entry = readdir(proc)) {
    char* end = nullptr;
    const long candidate = std::strtol(entry->d_name, &end, 10);
    if (*end != '\0' || candidate <= 0) continue;
    // /proc/N/stat: "N (name) state ppid ..."; the name may hold spaces
    // and parentheses, so read from the last ')'.
    const std::string stat = ReadText("/proc/" + std::string(entry->d_name) + "/stat");
    const size_t close = stat.rfind(')');
    if (close == std::string::npos) continue;
    std::istringstream rest(stat.substr(close + 1));
    std::string state;
    long parent = 0;
    if (rest >> state >> parent && parent == pid) children.push_back(static_cast<pid_t>(candidate));
  }
  closedir(proc);
  return children;
}

namespace {

// SIGTERM, then SIGKILL if it is still there a second later.
void EndStray(pid_t pid) {
  if (pid <= 0 || kill(pid, SIGTERM) != 0) return;
  for (int i = 0; i < 100; ++i) {
    // A zombie waiting for a parent that is gone counts as ended.
    const std::string stat = ReadText("/proc/" + std::to_string(pid) + "/stat");
    const size_t close = stat.rfind(')');
    if (close == std::string::npos || stat.compare(close + 2, 1, "Z") == 0) return;
    kv_e2e::SleepMs(10);
  }
  kill(pid, SIGKILL);
}

}  // namespace

void StopWithChildren(kv_e2e::Process* process) {
  const std::vector<pid_t> children =
      process->pid() > 0 ? ChildrenOf(process->pid()) : std::vector<pid_t>{};
  process->Stop();
  for (pid_t child : children) EndStray(child);
}

std::vector<std::string> FilesStartingWith(const std::string& dir, const std::string& prefix) {
  std::vector<std::string> names;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(dir, error)) {
    const std::string name = entry.path().filename().string();
    if (name.compare(0, prefix.size(), prefix) == 0) names.push_back(name);
  }
  return names;
}

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

bool WaitForX(const std::string& display, const std::string& xauthority, int timeoutMs) {
  if (!xauthority.empty()) setenv("XAUTHORITY", xauthority.c_str(), 1);
  const long long deadline = kv_e2e::MonotonicMs() + timeoutMs;
  for (;;) {
    if (Display* d = XOpenDisplay(display.c_str())) {
      XCloseDisplay(d);
      return true;
    }
    if (kv_e2e::MonotonicMs() >= deadline) return false;
    kv_e2e::SleepMs(50);
  }
}

std::string WatchdogCommand(const std::string& thenRun) {
  return "sh -c 'while [ -e /proc/" + std::to_string(getpid()) + " ]; do sleep 1; done; " +
         thenRun + "'";
}

}  // namespace kv_compositor
