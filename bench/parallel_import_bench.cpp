// The command line's imports against slow servers: ten loopback servers, one per source (HTTPS
// for Hamlog), each answering 300 ms after the request, and the program run as a child process
// with --import SRR (one fetch) and with the ten named. The fetches of a run wait on ten
// different servers, so that ten of them should take about as long as one (target: at most 1.3
// times one fetch's wall time).
//   build/bench/parallel_import_bench [runs [brevak binary]]   (default 5 and build/brevak)
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "sources/sourcetable.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr auto kAnswerDelay = std::chrono::milliseconds(300);
// The ten by name, in the window's order, as "all" names them.
const std::string kAll = "Hamlog,SRR,KDR,AGB,ARCK,RCWC,5 Ocean,RRC,RCPW,RadioWave";
const std::string kBody = "1.R0AAA\r\n2.R0AAB\r\n";

std::atomic<bool> gStop{false};

// The request head: up to the blank line, or what arrived before the client gave up.
template <typename TRead>
void ReadHead(TRead read) {
  std::string head;
  char buffer[4096];
  while (head.find("\r\n\r\n") == std::string::npos) {
    int n = read(buffer, static_cast<int>(sizeof buffer));
    if (n <= 0) return;
    head.append(buffer, static_cast<std::size_t>(n));
  }
}

std::string Answer() {
  return "HTTP/1.0 200 OK\r\nContent-Length: " + std::to_string(kBody.size()) + "\r\n\r\n" + kBody;
}

void ServeConnection(int fd, SSL_CTX* tls) {
  if (tls) {
    SSL* ssl = SSL_new(tls);
    SSL_set_fd(ssl, fd);
    if (SSL_accept(ssl) == 1) {
      ReadHead([&](char* b, int n) { return SSL_read(ssl, b, n); });
      std::this_thread::sleep_for(kAnswerDelay);
      const std::string answer = Answer();
      SSL_write(ssl, answer.data(), static_cast<int>(answer.size()));
      SSL_shutdown(ssl);
    }
    SSL_free(ssl);
  } else {
    ReadHead([&](char* b, int n) { return static_cast<int>(recv(fd, b, std::size_t(n), 0)); });
    std::this_thread::sleep_for(kAnswerDelay);
    const std::string answer = Answer();
    if (send(fd, answer.data(), answer.size(), MSG_NOSIGNAL) < 0) std::perror("send");
  }
  close(fd);
}

// Accepts connections until the benchmark ends, each served on a thread of its own.
void Serve(int listenFd, SSL_CTX* tls) {
  while (!gStop) {
    pollfd p{listenFd, POLLIN, 0};
    if (poll(&p, 1, 100) <= 0) continue;
    int fd = accept(listenFd, nullptr, nullptr);
    if (fd >= 0) std::thread(ServeConnection, fd, tls).detach();
  }
  close(listenFd);
}

int ListenLoopback(int& port) {
  int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t len = sizeof a;
  if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || listen(fd, 16) != 0 ||
      getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len) != 0) {
    std::perror("listen");
    std::exit(1);
  }
  port = ntohs(a.sin_port);
  return fd;
}

// Wall time of one run of the program with args, its output discarded.
double RunSeconds(const std::string& program, const std::vector<std::string>& args) {
  std::vector<char*> argv{const_cast<char*>(program.c_str())};
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  const auto start = Clock::now();
  pid_t pid;
  if (posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ) != 0) {
    std::perror("posix_spawn");
    std::exit(1);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  posix_spawn_file_actions_destroy(&actions);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::fprintf(stderr, "%s %s: exit status %d\n", program.c_str(), args.back().c_str(),
                 WEXITSTATUS(status));
    std::exit(1);
  }
  return seconds;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
  const fs::path built = argc > 2 ? fs::path(argv[2]) : fs::path("../brevak");
  char dirTemplate[] = "/tmp/brevak-parallel-bench.XXXXXX";
  if (!mkdtemp(dirTemplate)) return 1;
  const fs::path dir = dirTemplate;
  const fs::path program = dir / "brevak";
  fs::copy_file(built, program);

  const std::string cert = (dir / "cert.pem").string(), key = (dir / "key.pem").string();
  const std::string req =
      "openssl req -x509 -newkey rsa:2048 -nodes -days 1 -subj /CN=127.0.0.1 "
      "-keyout " +
      key + " -out " + cert + " 2>/dev/null";
  if (std::system(req.c_str()) != 0) return 1;
  SSL_CTX* tls = SSL_CTX_new(TLS_server_method());
  if (SSL_CTX_use_certificate_file(tls, cert.c_str(), SSL_FILETYPE_PEM) != 1 ||
      SSL_CTX_use_PrivateKey_file(tls, key.c_str(), SSL_FILETYPE_PEM) != 1) {
    ERR_print_errors_fp(stderr);
    return 1;
  }

  std::ofstream hosts(dir / "sources.ini");
  hosts << "[Hosts]\r\n";
  std::vector<std::thread> servers;
  for (int i = 0; i < brevak::kSourceCount; ++i) {
    const brevak::TSourceInfo& info = brevak::SourceTable()[i];
    int port = 0;
    int fd = ListenLoopback(port);
    hosts << info.Name << "=127.0.0.1:" << port << "\r\n";
    servers.emplace_back(Serve, fd, std::string(info.Scheme) == "https" ? tls : nullptr);
  }
  hosts.close();

  std::vector<double> one, all;
  for (int r = 0; r < runs; ++r) {
    one.push_back(RunSeconds(program.string(), {"--import", "SRR"}));
    all.push_back(RunSeconds(program.string(), {"--import", kAll}));
  }
  gStop = true;
  for (std::thread& server : servers) server.join();
  SSL_CTX_free(tls);
  fs::remove_all(dir);

  const double a = Median(one), b = Median(all);
  std::printf("servers answer after %lld ms; median of %d runs, wall time of the program\n",
              static_cast<long long>(kAnswerDelay.count()), runs);
  std::printf("  --import SRR (one fetch)   %7.3f s\n", a);
  std::printf("  --import <the ten>       %7.3f s\n", b);
  std::printf("  ratio                      %7.2f   (target 1.3 or below)\n", b / a);
  return 0;
}
