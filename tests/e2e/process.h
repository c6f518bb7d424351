// Starting, watching and always ending the programs a test runs (Xvfb, the
// game, xdotool, xprop, import).
#pragma once

#include <sys/types.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace kv_e2e {

// Environment changes for a child: a value sets the variable, nullopt
// removes it.
using EnvChanges = std::map<std::string, std::optional<std::string>>;

struct CommandResult {
  int exitCode = -1;       // the exit status, or -signal when killed
  bool timedOut = false;
  std::string out, err;
};

// Runs a command to its end, or kills it after timeoutMs.
CommandResult Run(const std::vector<std::string>& argv, const EnvChanges& env = {},
                  int timeoutMs = 15000);

// A program running in the background. The destructor ends it.
class Process {
 public:
  Process() = default;
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;
  ~Process();

  bool Start(const std::vector<std::string>& argv, const EnvChanges& env = {});
  // The exit status (-signal when killed), or nullopt if it still runs
  // after timeoutMs.
  std::optional<int> Wait(int timeoutMs);
  bool Running();
  // SIGTERM, then SIGKILL if it lingers; waits for it.
  void Stop();
  pid_t pid() const { return pid_; }
  std::string Stdout() const;
  std::string Stderr() const;

 private:
  pid_t pid_ = -1;
  std::optional<int> status_;
  std::string outPath_, errPath_;
};

// Milliseconds since some fixed point.
long long MonotonicMs();
void SleepMs(int ms);

}  // namespace kv_e2e
