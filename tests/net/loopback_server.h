// A scripted loopback server for the network tests: listens on 127.0.0.1 (or ::1) on a free port,
// accepts one connection, records the request head, then plays a script of sends, pauses and a
// close, each send as its own TCP segment.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace brevak::test {

struct TStep {
  enum Kind { Send, Pause, Close, Hold } kind;
  std::string bytes;  // Send
  int ms = 0;         // Pause; Hold: the longest it keeps the connection open silently
};
inline TStep Send(std::string bytes) { return {TStep::Send, std::move(bytes), 0}; }
inline TStep Pause(int ms) { return {TStep::Pause, {}, ms}; }
inline TStep Close() { return {TStep::Close, {}, 0}; }
inline TStep Hold(int ms) { return {TStep::Hold, {}, ms}; }

// Splits bytes into one Send per piece, with a pause between, so that each arrives as a packet.
inline std::vector<TStep> Packets(const std::vector<std::string>& pieces, int pauseMs = 15) {
  std::vector<TStep> steps;
  for (std::size_t i = 0; i < pieces.size(); ++i) {
    if (i) steps.push_back(Pause(pauseMs));
    steps.push_back(Send(pieces[i]));
  }
  steps.push_back(Close());
  return steps;
}

class TScriptedServer {
public:
  // When readRequest is set the script starts after the request head's empty line.
  explicit TScriptedServer(std::vector<TStep> script, bool ip6 = false, bool readRequest = true)
      : FScript(std::move(script)), FReadRequest(readRequest) {
    FListen = socket(ip6 ? AF_INET6 : AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    int one = 1;
    setsockopt(FListen, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    if (ip6) {
      sockaddr_in6 a{};
      a.sin6_family = AF_INET6;
      a.sin6_addr = in6addr_loopback;
      bind(FListen, reinterpret_cast<sockaddr*>(&a), sizeof a);
    } else {
      sockaddr_in a{};
      a.sin_family = AF_INET;
      a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
      bind(FListen, reinterpret_cast<sockaddr*>(&a), sizeof a);
    }
    listen(FListen, 4);
    sockaddr_storage bound{};
    socklen_t len = sizeof bound;
    getsockname(FListen, reinterpret_cast<sockaddr*>(&bound), &len);
    FPort = ntohs(ip6 ? reinterpret_cast<sockaddr_in6*>(&bound)->sin6_port : reinterpret_cast<sockaddr_in*>(&bound)->sin_port);
    FThread = std::thread([this] { Run(); });
  }
  ~TScriptedServer() {
    FStop = true;
    Join();
    close(FListen);
  }

  int Port() const { return FPort; }
  std::string Url(const std::string& target = "/") const {
    return "http://127.0.0.1:" + std::to_string(FPort) + target;
  }
  // The request bytes received up to and including the head's empty line. Call after the fetch.
  std::string Request() {
    Join();
    return FRequest;
  }
  // Whether a client connected at all.
  bool Accepted() {
    Join();
    return FAccepted;
  }

private:
  void Join() {
    if (FThread.joinable()) FThread.join();
  }
  bool WaitReadable(int fd, int ms) {
    pollfd p{fd, POLLIN, 0};
    return poll(&p, 1, ms) > 0;
  }
  void Run() {
    // Wait for the client at most 5 s, so a test that never connects still ends.
    if (!WaitReadable(FListen, 5000)) return;
    int fd = accept4(FListen, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) return;
    FAccepted = true;
    int one = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    char buffer[4096];
    while (FReadRequest && FRequest.find("\r\n\r\n") == std::string::npos && WaitReadable(fd, 3000)) {
      ssize_t n = recv(fd, buffer, sizeof buffer, 0);
      if (n <= 0) break;
      FRequest.append(buffer, static_cast<std::size_t>(n));
    }
    for (const TStep& step : FScript) {
      switch (step.kind) {
        case TStep::Send: {
          std::size_t sent = 0;
          while (sent < step.bytes.size()) {
            ssize_t n = send(fd, step.bytes.data() + sent, step.bytes.size() - sent, MSG_NOSIGNAL);
            if (n <= 0) break;
            sent += static_cast<std::size_t>(n);
          }
          break;
        }
        case TStep::Pause: std::this_thread::sleep_for(std::chrono::milliseconds(step.ms)); break;
        case TStep::Hold: {
          // Silent until the client closes or the time is up.
          auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(step.ms);
          while (!FStop && std::chrono::steady_clock::now() < end) {
            if (WaitReadable(fd, 20) && recv(fd, buffer, sizeof buffer, 0) <= 0) break;
          }
          break;
        }
        case TStep::Close: close(fd); fd = -1; break;
      }
      if (fd < 0) break;
    }
    if (fd >= 0) close(fd);
  }

  std::vector<TStep> FScript;
  bool FReadRequest;
  int FListen = -1;
  int FPort = 0;
  std::string FRequest;
  bool FAccepted = false;
  std::atomic<bool> FStop{false};
  std::thread FThread;
};

// A listener whose accept queue is full: it drops further connection requests, so connecting to
// it waits until the client's time limit.
class TFullListener {
public:
  TFullListener() {
    FListen = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(FListen, reinterpret_cast<sockaddr*>(&a), sizeof a);
    listen(FListen, 0);
    socklen_t len = sizeof a;
    getsockname(FListen, reinterpret_cast<sockaddr*>(&a), &len);
    FPort = ntohs(a.sin_port);
    for (int i = 0; i < 3; ++i) {
      int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
      connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
      FFillers.push_back(fd);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  ~TFullListener() {
    for (int fd : FFillers) close(fd);
    close(FListen);
  }
  TFullListener(const TFullListener&) = delete;
  TFullListener& operator=(const TFullListener&) = delete;
  int Port() const { return FPort; }

private:
  int FListen = -1;
  int FPort = 0;
  std::vector<int> FFillers;
};

}  // namespace brevak::test
