// Peak memory of one import run against a loopback server, per document shape: a 200 MB page of one
// line (no match, and one match spanning it), and an endless body stopped at the 256 MiB cap. Each
// run is a child process of its own, so its peak (ru_maxrss) is the run's alone; the server lives
// in this process and makes the body as it sends it. Beside the peak it reports how much of the
// run's resident memory was lazily freed at its end: pages let go of but marked free for the
// system to take back at any time, which count as resident until taken.
//   build/bench/docmemory_bench [repetitions]      (default 3)
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "sources/sourcetable.h"

namespace {

namespace fs = std::filesystem;
using brevak::TSourceId;

constexpr std::size_t kPageBytes = std::size_t(200) << 20;

struct TShape {
  const char* Name;
  std::string Head;  // sent first; then the filler up to Bytes (endless: until the client goes)
  std::string Tail;  // sent after the filler
  std::size_t Bytes;
  bool Endless;
};

bool SendAll(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    ssize_t n = send(fd, data, size, MSG_NOSIGNAL);
    if (n <= 0) return false;
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

// Serves one connection: reads the request head, then sends the shape.
void Serve(int listenFd, const TShape& shape) {
  pollfd p{listenFd, POLLIN, 0};
  if (poll(&p, 1, 30000) <= 0) return;
  int fd = accept(listenFd, nullptr, nullptr);
  if (fd < 0) return;
  std::string request;
  char buffer[4096];
  while (request.find("\r\n\r\n") == std::string::npos) {
    ssize_t n = recv(fd, buffer, sizeof buffer, 0);
    if (n <= 0) break;
    request.append(buffer, static_cast<std::size_t>(n));
  }
  const std::string filler(1 << 20, 'x');
  bool ok = SendAll(fd, shape.Head.data(), shape.Head.size());
  for (std::size_t sent = 0; ok && (shape.Endless || sent < shape.Bytes); sent += filler.size()) {
    std::size_t piece = shape.Endless ? filler.size() : std::min(filler.size(), shape.Bytes - sent);
    ok = SendAll(fd, filler.data(), piece);
  }
  if (ok) SendAll(fd, shape.Tail.data(), shape.Tail.size());
  close(fd);
}

class TQuietHost : public brevak::TImportHost {
public:
  void SetPercent(int) override {}
  void ProcessMessages() override {}
};

// The resident pages of this process that are lazily freed, in KiB (0 when unknown).
long LazyFreeKiB() {
  std::ifstream rollup("/proc/self/smaps_rollup");
  std::string key;
  long kib = 0;
  while (rollup >> key) {
    if (key == "LazyFree:") {
      rollup >> kib;
      return kib;
    }
    rollup.ignore(1 << 20, '\n');
  }
  return 0;
}

struct TRunMemory {
  double PeakMB = -1;      // -1 when the child failed to run
  double LazyFreeMB = -1;  // at the end of the run
};

// The peak resident size of one run in a child, and what of it was lazily freed at its end.
TRunMemory MemoryOfOneRun(const TShape& shape, TSourceId source, const fs::path& dir) {
  int port = 0;
  int listenFd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t len = sizeof a;
  int report[2];
  if (bind(listenFd, reinterpret_cast<sockaddr*>(&a), len) != 0 || listen(listenFd, 1) != 0 ||
      pipe(report) != 0)
    return {};
  getsockname(listenFd, reinterpret_cast<sockaddr*>(&a), &len);
  port = ntohs(a.sin_port);
  std::ofstream(dir / "sources.ini")
      << "[Hosts]\r\n"
      << brevak::SourceInfo(source).Name << "=127.0.0.1:" << port << "\r\n";
  fs::remove(dir / "brevak.ini");

  pid_t child = fork();
  if (child == 0) {
    close(listenFd);
    close(report[0]);
    TQuietHost host;
    try {
      brevak::ImportSourceOverHttp(source, brevak::ImportFilesIn(dir.string()), host);
    } catch (const std::exception& e) {
      std::fprintf(stderr, "  (%s)\n", e.what());
    }
    long lazy = LazyFreeKiB();
    _exit(write(report[1], &lazy, sizeof lazy) == sizeof lazy ? 0 : 1);
  }
  close(report[1]);
  std::thread server([&] { Serve(listenFd, shape); });
  int status = 0;
  rusage usage{};
  long lazy = 0;
  bool reported = read(report[0], &lazy, sizeof lazy) == sizeof lazy;
  wait4(child, &status, 0, &usage);
  server.join();
  close(listenFd);
  close(report[0]);
  if (!reported || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return {};
  // ru_maxrss is in KiB
  return {static_cast<double>(usage.ru_maxrss) / 1024.0, static_cast<double>(lazy) / 1024.0};
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  int repetitions = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
  fs::path dir = fs::temp_directory_path() / ("docmemory_bench." + std::to_string(getpid()));
  fs::create_directories(dir);
  const std::string counted = "HTTP/1.0 200 OK\r\nContent-Length: ";
  const std::string open = "_blank\">";  // 5 Ocean's link pattern opens with this ...
  const std::string close = "</a>";      // ... and closes with this
  const TShape shapes[] = {
      {"200 MB page of one line, no match", counted + std::to_string(kPageBytes) + "\r\n\r\n", "",
       kPageBytes, false},
      {"200 MB page of one line, one match spanning it",
       counted + std::to_string(kPageBytes + open.size() + close.size()) + "\r\n\r\n" + open, close,
       kPageBytes, false},
      {"endless body, stopped at the 256 MiB cap", "HTTP/1.0 200 OK\r\n\r\n", "", 0, true},
  };
  std::printf("Peak resident memory of one 5 Ocean import run (MB), %d runs each:\n", repetitions);
  for (const TShape& shape : shapes) {
    std::vector<double> peaks, lazy;
    for (int i = 0; i < repetitions; ++i) {
      TRunMemory run = MemoryOfOneRun(shape, TSourceId::FiveOcean, dir);
      peaks.push_back(run.PeakMB);
      lazy.push_back(run.LazyFreeMB);
    }
    const double peak = Median(peaks);
    std::printf("  %-48s min %7.1f  median %7.1f  max %7.1f", shape.Name,
                *std::min_element(peaks.begin(), peaks.end()), peak,
                *std::max_element(peaks.begin(), peaks.end()));
    if (!shape.Endless) std::printf("   (%.2fx the document)", peak / (kPageBytes / 1048576.0));
    std::printf("   lazily freed at the end: %.1f\n", Median(lazy));
  }
  fs::remove_all(dir);
  return 0;
}
