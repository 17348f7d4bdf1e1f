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
  enum class TKind { Send, Pause, Close, Hold, Reset };
  TKind Kind;
  std::string Bytes;  // Send
  int Ms = 0;         // Pause; Hold: the longest it keeps the connection open silently
};
inline TStep Send(std::string bytes) { return {TStep::TKind::Send, std::move(bytes), 0}; }
inline TStep Pause(int ms) { return {TStep::TKind::Pause, {}, ms}; }
inline TStep Close() { return {TStep::TKind::Close, {}, 0}; }
inline TStep Hold(int ms) { return {TStep::TKind::Hold, {}, ms}; }
// Ends the connection with a TCP reset instead of an orderly close.
inline TStep Reset() { return {TStep::TKind::Reset, {}, 0}; }

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

// A TCP socket bound to a free port on 127.0.0.1 (or ::1), listening when backlog >= 0; port
// tells which. -1 when the system has no such loopback.
inline int BindLoopback(int& port, bool ip6 = false, int backlog = -1) {
  int fd = socket(ip6 ? AF_INET6 : AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_storage address{};
  socklen_t len;
  if (ip6) {
    auto* a = reinterpret_cast<sockaddr_in6*>(&address);
    a->sin6_family = AF_INET6;
    a->sin6_addr = in6addr_loopback;
    len = sizeof *a;
  } else {
    auto* a = reinterpret_cast<sockaddr_in*>(&address);
    a->sin_family = AF_INET;
    a->sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    len = sizeof *a;
  }
  if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&address), len) != 0 ||
      (backlog >= 0 && listen(fd, backlog) != 0)) {
    if (fd >= 0) close(fd);
    port = 0;
    return -1;
  }
  getsockname(fd, reinterpret_cast<sockaddr*>(&address), &len);
  port = ntohs(ip6 ? reinterpret_cast<sockaddr_in6*>(&address)->sin6_port
                   : reinterpret_cast<sockaddr_in*>(&address)->sin_port);
  return fd;
}

// A loopback TCP port that was free a moment ago.
inline int FreePort() {
  int port = 0;
  int fd = BindLoopback(port);
  if (fd >= 0) close(fd);
  return port;
}

inline sockaddr_in LoopbackAddress(int port) {
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  a.sin_port = htons(static_cast<uint16_t>(port));
  return a;
}

class TScriptedServer {
public:
  // When readRequest is set the script starts after the request head's empty line.
  explicit TScriptedServer(std::vector<TStep> script, bool ip6 = false, bool readRequest = true)
      : FScript(std::move(script)), FReadRequest(readRequest) {
    FListen = BindLoopback(FPort, ip6, 4);
    FThread = std::thread([this] { Run(); });
  }
  ~TScriptedServer() {
    FStop = true;
    Join();
    if (FListen >= 0) close(FListen);
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
    if (FListen < 0 || !WaitReadable(FListen, 5000)) return;
    int fd = accept4(FListen, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) return;
    FAccepted = true;
    int one = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    char buffer[4096];
    while (FReadRequest && FRequest.find("\r\n\r\n") == std::string::npos &&
           WaitReadable(fd, 3000)) {
      ssize_t n = recv(fd, buffer, sizeof buffer, 0);
      if (n <= 0) break;
      FRequest.append(buffer, static_cast<std::size_t>(n));
    }
    for (const TStep& step : FScript) {
      switch (step.Kind) {
        case TStep::TKind::Send: {
          std::size_t sent = 0;
          while (sent < step.Bytes.size()) {
            ssize_t n = send(fd, step.Bytes.data() + sent, step.Bytes.size() - sent, MSG_NOSIGNAL);
            if (n <= 0) break;
            sent += static_cast<std::size_t>(n);
          }
          break;
        }
        case TStep::TKind::Pause:
          std::this_thread::sleep_for(std::chrono::milliseconds(step.Ms));
          break;
        case TStep::TKind::Hold: {
          // Silent until the client closes or the time is up.
          auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(step.Ms);
          while (!FStop && std::chrono::steady_clock::now() < end) {
            if (WaitReadable(fd, 20) && recv(fd, buffer, sizeof buffer, 0) <= 0) break;
          }
          break;
        }
        case TStep::TKind::Close:
          close(fd);
          fd = -1;
          break;
        case TStep::TKind::Reset: {
          linger hard{1, 0};
          setsockopt(fd, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
          close(fd);
          fd = -1;
          break;
        }
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
    FListen = BindLoopback(FPort, false, 0);
    sockaddr_in a = LoopbackAddress(FPort);
    for (int i = 0; i < 3; ++i) {
      int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
      // Non-blocking: the connect is left in progress (EINPROGRESS) to fill the backlog.
      (void)connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
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
