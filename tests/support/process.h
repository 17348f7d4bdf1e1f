// Child processes for the network tests (openssl, python3 peers): started in a directory, output
// to a log file, ended by their process id.
#pragma once

#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "support/loopback_server.h"

namespace brevak::test {

class TChildProcess {
public:
  TChildProcess(const std::vector<std::string>& argv, const std::string& dir,
                const std::string& log = "/dev/null") {
    std::vector<char*> args;
    args.reserve(argv.size() + 1);
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    FPid = fork();
    if (FPid == 0) {
      if (chdir(dir.c_str()) != 0) _exit(126);
      int out = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      int in = open("/dev/null", O_RDONLY);
      dup2(in, 0);
      dup2(out, 1);
      dup2(out, 2);
      execvp(args[0], args.data());
      _exit(127);
    }
  }
  ~TChildProcess() { Stop(); }
  TChildProcess(const TChildProcess&) = delete;
  TChildProcess& operator=(const TChildProcess&) = delete;

  // Waits for the child to end by itself, at most ms; its exit status, or -1.
  int Wait(int ms) {
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (FPid > 0 && std::chrono::steady_clock::now() < end) {
      int status = 0;
      if (waitpid(FPid, &status, WNOHANG) == FPid) {
        FPid = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return -1;
  }
  void Stop() {
    if (FPid <= 0) return;
    kill(FPid, SIGTERM);
    if (Wait(2000) == -1 && FPid > 0) {
      kill(FPid, SIGKILL);
      waitpid(FPid, nullptr, 0);
    }
    FPid = -1;
  }
  bool Started() const { return FPid > 0; }

private:
  pid_t FPid = -1;
};

// Polls until something accepts TCP connections on 127.0.0.1:port, at most ms.
inline bool WaitForListener(int port, int ms) {
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (std::chrono::steady_clock::now() < end) {
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a = LoopbackAddress(port);
    bool ok = connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
    close(fd);
    if (ok) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return false;
}

}  // namespace brevak::test
