// What every compositor a test starts needs around it: a private runtime
// directory (its sockets, configuration and log), a way to find the servers
// it starts in turn, and a wait for an X display to take clients.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

#include "process.h"

namespace kv_compositor {

// A fresh directory under /tmp, 0700, owned by `uid`:`gid`; removed with
// everything in it when this goes.
class SessionDir {
 public:
  SessionDir() = default;
  SessionDir(const SessionDir&) = delete;
  SessionDir& operator=(const SessionDir&) = delete;
  ~SessionDir() { Remove(); }
  bool Create(const std::string& tag, uid_t uid, gid_t gid);
  void Remove();
  const std::string& path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }
  // Writes `text` to a file in the directory, readable by its owner.
  bool Write(const std::string& name, const std::string& text) const;

 private:
  std::string path_;
  uid_t uid_ = 0;
  gid_t gid_ = 0;
};

// The unprivileged account compositors that refuse root run as.
bool NobodyIds(uid_t* uid, gid_t* gid);

// Processes whose parent is `pid`, from /proc.
std::vector<pid_t> ChildrenOf(pid_t pid);
// Ends a compositor we started and the servers it started in turn
// (Xwayland, helpers of its config): those are not our children, and a
// compositor's SIGKILL would leave them running.
void StopWithChildren(kv_e2e::Process* process);

// Names of the files in `dir` that start with `prefix`.
std::vector<std::string> FilesStartingWith(const std::string& dir, const std::string& prefix);
std::string ReadText(const std::string& path);

// Waits until an X client gets through to `display`. A non-empty
// `xauthority` becomes this process's XAUTHORITY, so that the test's own X
// clients get through as well.
bool WaitForX(const std::string& display, const std::string& xauthority, int timeoutMs);

// A line for the sway config or a shell that ends it once this test process
// is gone: compositors run as another user cannot be sent our death signal.
std::string WatchdogCommand(const std::string& thenRun);

}  // namespace kv_compositor
