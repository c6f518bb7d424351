#include "xvfb.h"

#include <X11/Xlib.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

namespace kv_e2e {

bool Xvfb::Start(int width, int height) {
  int fds[2];
  if (pipe(fds) != 0) {
    error_ = "pipe failed";
    return false;
  }
  std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
  std::string fd = std::to_string(fds[1]);
  pid_t parent = getpid();
  pid_t pid = fork();
  if (pid < 0) {
    error_ = "fork failed";
    close(fds[0]);
    close(fds[1]);
    return false;
  }
  if (pid == 0) {
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent) _exit(127);
    setpgid(0, 0);
    close(fds[0]);
    int devnull = open("/dev/null", O_RDWR);
    if (devnull >= 0) {
      dup2(devnull, 0);
      dup2(devnull, 1);
      dup2(devnull, 2);
    }
    // -displayfd: the server takes the first free display number and
    // writes it to the pipe once it listens.
    if (!screenDir_.empty())
      execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", screen.c_str(),
             "-nolisten", "tcp", "-noreset", "-fbdir", screenDir_.c_str(),
             static_cast<char*>(nullptr));
    else
      execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", screen.c_str(),
             "-nolisten", "tcp", "-noreset", static_cast<char*>(nullptr));
    _exit(127);
  }
  pid_ = pid;
  close(fds[1]);
  std::string number;
  pollfd p{fds[0], POLLIN, 0};
  // Generous: under load the server's start can take seconds.
  for (int waited = 0; waited < 30000;) {
    int ready = poll(&p, 1, 100);
    waited += 100;
    if (ready > 0) {
      char c;
      ssize_t n = read(fds[0], &c, 1);
      if (n <= 0) break;
      if (c == '\n') break;
      number.push_back(c);
    }
  }
  close(fds[0]);
  if (number.empty()) {
    error_ = "Xvfb did not report a display";
    Stop();
    return false;
  }
  display_ = ":" + number;
  // It listens now; make sure a client really gets through.
  for (int tries = 0; tries < 50; ++tries) {
    if (Display* d = XOpenDisplay(display_.c_str())) {
      XCloseDisplay(d);
      return true;
    }
    SleepMs(100);
  }
  error_ = "cannot connect to " + display_;
  Stop();
  return false;
}

std::string UnusedDisplay() {
  // Far above the numbers -displayfd hands out; a lock file or a socket
  // means a server has it (or had it and may come back).
  for (int n = 4093; n < 8192; n += 7) {
    std::string lock = "/tmp/.X" + std::to_string(n) + "-lock";
    std::string socket = "/tmp/.X11-unix/X" + std::to_string(n);
    if (access(lock.c_str(), F_OK) != 0 && access(socket.c_str(), F_OK) != 0)
      return ":" + std::to_string(n);
  }
  return ":8191";
}

void Xvfb::Stop() {
  if (pid_ <= 0) return;
  kill(pid_, SIGTERM);
  for (int i = 0; i < 300; ++i) {
    if (waitpid(pid_, nullptr, WNOHANG) == pid_) {
      pid_ = -1;
      return;
    }
    SleepMs(10);
  }
  kill(pid_, SIGKILL);
  waitpid(pid_, nullptr, 0);
  pid_ = -1;
}

void Xvfb::Kill() {
  if (pid_ <= 0) return;
  kill(pid_, SIGKILL);
  waitpid(pid_, nullptr, 0);
  pid_ = -1;
}

}  // namespace kv_e2e
