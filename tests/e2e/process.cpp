#include "process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace kv_e2e {

namespace {

std::string MakeTempFile(const char* tag) {
  std::string path = std::string("/tmp/kv_e2e_") + tag + "_XXXXXX";
  std::vector<char> buffer(path.begin(), path.end());
  buffer.push_back('\0');
  int fd = mkstemp(buffer.data());
  if (fd >= 0) close(fd);
  return fd >= 0 ? std::string(buffer.data()) : std::string();
}

std::string ReadFile(const std::string& path) {
  if (path.empty()) return {};
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

int DecodeStatus(int status) {
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  if (WIFSIGNALED(status)) return -WTERMSIG(status);
  return -1;
}

}  // namespace

long long MonotonicMs() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<long long>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

void SleepMs(int ms) {
  timespec ts{ms / 1000, static_cast<long>(ms % 1000) * 1000000L};
  while (nanosleep(&ts, &ts) != 0) {
  }
}

Process::~Process() {
  Stop();
  if (!outPath_.empty()) unlink(outPath_.c_str());
  if (!errPath_.empty()) unlink(errPath_.c_str());
}

bool Process::Start(const std::vector<std::string>& argv, const EnvChanges& env) {
  if (argv.empty() || pid_ > 0) return false;
  outPath_ = MakeTempFile("out");
  errPath_ = MakeTempFile("err");
  pid_t parent = getpid();
  pid_t pid = fork();
  if (pid < 0) return false;
  if (pid == 0) {
    // Whatever happens to the test, nothing it started outlives it.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent) _exit(127);
    setpgid(0, 0);
    int in = open("/dev/null", O_RDONLY);
    int out = open(outPath_.c_str(), O_WRONLY | O_TRUNC);
    int err = open(errPath_.c_str(), O_WRONLY | O_TRUNC);
    if (in >= 0) dup2(in, 0);
    if (out >= 0) dup2(out, 1);
    if (err >= 0) dup2(err, 2);
    for (const auto& [name, value] : env) {
      if (value)
        setenv(name.c_str(), value->c_str(), 1);
      else
        unsetenv(name.c_str());
    }
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    execvp(args[0], args.data());
    std::fprintf(stderr, "cannot run %s\n", args[0]);
    _exit(127);
  }
  pid_ = pid;
  status_.reset();
  return true;
}

std::optional<int> Process::Wait(int timeoutMs) {
  if (status_) return status_;
  if (pid_ <= 0) return std::nullopt;
  long long deadline = MonotonicMs() + timeoutMs;
  for (;;) {
    int status = 0;
    pid_t done = waitpid(pid_, &status, WNOHANG);
    if (done == pid_) {
      status_ = DecodeStatus(status);
      return status_;
    }
    if (done < 0) {
      status_ = -1;
      return status_;
    }
    if (MonotonicMs() >= deadline) return std::nullopt;
    SleepMs(10);
  }
}

bool Process::Running() { return pid_ > 0 && !Wait(0); }

void Process::Stop() {
  if (pid_ <= 0 || status_) return;
  kill(pid_, SIGTERM);
  if (!Wait(2000)) {
    kill(pid_, SIGKILL);
    Wait(5000);
  }
}

std::string Process::Stdout() const { return ReadFile(outPath_); }
std::string Process::Stderr() const { return ReadFile(errPath_); }

CommandResult Run(const std::vector<std::string>& argv, const EnvChanges& env, int timeoutMs) {
  CommandResult result;
  Process p;
  if (!p.Start(argv, env)) return result;
  std::optional<int> code = p.Wait(timeoutMs);
  if (!code) {
    result.timedOut = true;
    p.Stop();
  }
  result.exitCode = code.value_or(-1);
  result.out = p.Stdout();
  result.err = p.Stderr();
  return result;
}

}  // namespace kv_e2e
