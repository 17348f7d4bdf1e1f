// The real fetch against real Debian servers on loopback, each started by the test with its own
// configuration in a temporary folder and stopped by it (never the package's service, never the
// machine's configuration): apache2 in its default strict mode, which refuses a fragment in the
// request; nginx serving a list it keeps only gzip'd (gzip_static always); squid as a forward
// proxy with Basic authentication, whose own 407 and 502 must not read as the club's. A server
// whose program is missing is skipped with a message. Run as root, the servers drop privileges to
// nobody, so their files are made readable by all.
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "import/importrun.h"
#include "net/httpsend.h"
#include "support/loopback_server.h"
#include "support/process.h"
#include "support/tempdir.h"

namespace brevak {
namespace {

namespace fs = std::filesystem;

using test::RunningAsRoot;

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
  chmod(path.c_str(), 0644);
}

std::string Gzip(const std::string& data) {
  z_stream z{};
  deflateInit2(&z, 6, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY);
  std::string out(deflateBound(&z, static_cast<uLong>(data.size())) + 64, '\0');
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  z.avail_in = static_cast<uInt>(data.size());
  z.next_out = reinterpret_cast<Bytef*>(out.data());
  z.avail_out = static_cast<uInt>(out.size());
  deflate(&z, Z_FINISH);
  out.resize(z.total_out);
  deflateEnd(&z);
  return out;
}

// A server program with its folder (readable by all, for servers that drop privileges), a free
// loopback port, and the process once started.
class TRealServer {
public:
  explicit TRealServer(std::string program) : FProgram(std::move(program)) {
    chmod(FDir.c_str(), 0755);
    FPort = test::FreePort();
  }
  // The server ends before its folder is removed.
  ~TRealServer() { FProcess.reset(); }
  TRealServer(const TRealServer&) = delete;
  TRealServer& operator=(const TRealServer&) = delete;

  bool Installed() const { return access(FProgram.c_str(), X_OK) == 0; }
  // Starts the program with args and waits (a few seconds at most) until it listens.
  bool Start(std::vector<std::string> args) {
    args.insert(args.begin(), FProgram);
    FProcess = std::make_unique<test::TChildProcess>(args, FDir, FDir + "/server.out");
    return test::WaitForListener(FPort, 10000);
  }
  // What the server wrote about itself, for a failure's message.
  std::string Log(const std::string& name) const { return test::ReadBytes(FDir + "/" + name); }
  const std::string& Dir() const { return FDir; }
  int Port() const { return FPort; }
  std::string Url(const std::string& target) const {
    return "http://127.0.0.1:" + std::to_string(FPort) + target;
  }

private:
  std::string FProgram;
  test::TTempDir FTemp;
  std::string FDir = FTemp.Root();
  int FPort = 0;
  std::unique_ptr<test::TChildProcess> FProcess;
};

#define SKIP_UNLESS_INSTALLED(server) \
  if (!(server).Installed()) GTEST_SKIP() << "not installed, not tested: " #server

// apache2 with nothing but what serving files needs; HttpProtocolOptions stays at its default,
// Strict.
TEST(RealServers, Apache2StrictServesAPageAskedForWithAFragment) {
  TRealServer apache("/usr/sbin/apache2");
  SKIP_UNLESS_INSTALLED(apache);
  const std::string d = apache.Dir();
  fs::create_directories(d + "/www");
  chmod((d + "/www").c_str(), 0755);
  WriteFile(d + "/www/members.html", "<tr><td>R1ABC</td></tr>\n");
  std::string conf = "ServerRoot \"" + d +
                     "\"\nServerName 127.0.0.1\nListen 127.0.0.1:" + std::to_string(apache.Port()) +
                     "\nPidFile " + d + "/httpd.pid\nErrorLog " + d +
                     "/error.log\nDefaultRuntimeDir " + d + "\nMutex file:" + d +
                     " default\n"
                     "LoadModule mpm_event_module /usr/lib/apache2/modules/mod_mpm_event.so\n"
                     "LoadModule authz_core_module /usr/lib/apache2/modules/mod_authz_core.so\n"
                     "DocumentRoot " +
                     d + "/www\n<Directory " + d + "/www>\n  Require all granted\n</Directory>\n";
  if (RunningAsRoot()) conf += "User nobody\nGroup nogroup\n";
  WriteFile(d + "/httpd.conf", conf);
  ASSERT_TRUE(apache.Start({"-f", d + "/httpd.conf", "-DFOREGROUND"}))
      << apache.Log("error.log") << apache.Log("server.out");

  // The server is strict: the fragment itself is refused.
  int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in a = test::LoopbackAddress(apache.Port());
  ASSERT_EQ(connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
  const std::string withFragment = "GET /members.html#close HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n";
  ASSERT_EQ(send(fd, withFragment.data(), withFragment.size(), 0),
            static_cast<ssize_t>(withFragment.size()));
  char answer[64] = {};
  ASSERT_GT(recv(fd, answer, sizeof answer - 1, MSG_WAITALL), 12);
  close(fd);
  EXPECT_EQ(std::string(answer, 12), "HTTP/1.1 400");

  TMemoryStream document;
  std::string cause;
  ASSERT_TRUE(HTTPFetch(apache.Url("/members.html#close"), document, cause)) << cause;
  EXPECT_EQ(document.Bytes(), "<tr><td>R1ABC</td></tr>\n");
}

// nginx as a site that keeps its files only compressed: the answer is gzip'd although the request
// offers no encoding.
TEST(RealServers, NginxGzipStaticListIsDecoded) {
  TRealServer nginx("/usr/sbin/nginx");
  SKIP_UNLESS_INSTALLED(nginx);
  const std::string d = nginx.Dir();
  fs::create_directories(d + "/www/wp-content");
  fs::create_directories(d + "/run");
  chmod((d + "/www").c_str(), 0755);
  chmod((d + "/www/wp-content").c_str(), 0755);
  std::string list;
  for (int i = 0; i < 20000; ++i)
    list.append("R").append(std::to_string(i)).append("ABC;Member\r\n");
  WriteFile(d + "/www/wp-content/srr.csv.gz", Gzip(list));
  const std::string run = d + "/run";
  WriteFile(d + "/nginx.conf",
            "daemon off;\nworker_processes 1;\npid " + run + "/nginx.pid;\nerror_log " + run +
                "/error.log;\nevents { worker_connections 16; }\nhttp {\n  access_log off;\n"
                "  client_body_temp_path " +
                run + ";\n  proxy_temp_path " + run + ";\n  fastcgi_temp_path " + run +
                ";\n  uwsgi_temp_path " + run + ";\n  scgi_temp_path " + run +
                ";\n  server {\n    listen 127.0.0.1:" + std::to_string(nginx.Port()) +
                ";\n    root " + d + "/www;\n    gzip_static always;\n  }\n}\n");
  ASSERT_TRUE(nginx.Start({"-c", d + "/nginx.conf", "-p", run, "-e", run + "/error.log"}))
      << nginx.Log("run/error.log") << nginx.Log("server.out");

  THTTPSend http;
  ASSERT_TRUE(http.HTTPMethod("GET", nginx.Url("/wp-content/srr.csv"))) << http.ErrorCause();
  EXPECT_EQ(http.ResultCode(), 200);
  EXPECT_EQ(http.Header("Content-Encoding"), "gzip");
  EXPECT_TRUE(http.Document().Bytes() == list) << http.Document().Size();
}

// Sets a variable for the life of the object, and puts back what was there.
class TEnvSetting {
public:
  TEnvSetting(const char* name, const char* value) : FName(name) {
    if (const char* old = std::getenv(name)) FOld = old, FHad = true;
    if (value)
      setenv(name, value, 1);
    else
      unsetenv(name);
  }
  ~TEnvSetting() {
    if (FHad)
      setenv(FName, FOld.c_str(), 1);
    else
      unsetenv(FName);
  }
  TEnvSetting(const TEnvSetting&) = delete;
  TEnvSetting& operator=(const TEnvSetting&) = delete;

private:
  const char* FName;
  std::string FOld;
  bool FHad = false;
};

// An origin that takes every connection and closes it without a word: what a proxy answers with
// 502 Bad Gateway (even when it tries again).
class TSilentOrigin {
public:
  TSilentOrigin() {
    FListen = test::BindLoopback(FPort, false, 16);
    FThread = std::thread([this] {
      while (!FStop) {
        pollfd p{FListen, POLLIN, 0};
        if (poll(&p, 1, 50) <= 0) continue;
        int fd = accept4(FListen, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd >= 0) close(fd);
      }
    });
  }
  ~TSilentOrigin() {
    FStop = true;
    FThread.join();
    close(FListen);
  }
  TSilentOrigin(const TSilentOrigin&) = delete;
  TSilentOrigin& operator=(const TSilentOrigin&) = delete;
  int Port() const { return FPort; }

private:
  int FListen = -1;
  int FPort = 0;
  std::atomic<bool> FStop{false};
  std::thread FThread;
};

// squid as a forward proxy that wants a user (club, password secret), started once for the
// suite: it takes about a second to start and two to stop. Origins on loopback are reached by the
// name club.test, which only squid's own hosts file knows, as the client fetches loopback hosts
// directly.
class RealSquid : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    Squid = new TRealServer("/usr/sbin/squid");
    if (!Squid->Installed()) return;
    const std::string d = Squid->Dir();
    fs::create_directories(d + "/logs");
    chmod((d + "/logs").c_str(), 0777);  // written after squid has dropped privileges
    // club:secret, as htpasswd -m writes it.
    WriteFile(d + "/passwd", "club:$apr1$brevak00$9GFMbMxw7VuvzcriFPR0s0\n");
    WriteFile(d + "/hosts", "127.0.0.1 club.test\n");
    std::string conf = "http_port 127.0.0.1:" + std::to_string(Squid->Port()) + "\npid_filename " +
                       d + "/squid.pid\ncache_log " + d +
                       "/logs/cache.log\naccess_log none\ncache_store_log none\ncache deny all\n"
                       "cache_mem 8 MB\ncoredump_dir " +
                       d + "/logs\nnetdb_filename none\nshutdown_lifetime 0 seconds\nhosts_file " +
                       d +
                       "/hosts\ndns_nameservers 127.0.0.1\n"
                       "auth_param basic program /usr/lib/squid/basic_ncsa_auth " +
                       d +
                       "/passwd\nauth_param basic children 1 startup=1 idle=1\n"
                       "auth_param basic realm brevak-test\nacl club proxy_auth REQUIRED\n"
                       "http_access allow club\nhttp_access deny all\n";
    if (RunningAsRoot()) conf += "cache_effective_user nobody\ncache_effective_group nogroup\n";
    WriteFile(d + "/squid.conf", conf);
    Started = Squid->Start({"-N", "-f", d + "/squid.conf"});
  }
  static void TearDownTestSuite() {
    delete Squid;
    Squid = nullptr;
  }
  void SetUp() override {
    if (!Squid->Installed()) GTEST_SKIP() << "not installed, not tested: squid";
    ASSERT_TRUE(Started) << Squid->Log("logs/cache.log") << Squid->Log("server.out");
  }
  // Fetches url with http_proxy naming squid (with user, when given) and no exceptions.
  bool Fetch(const std::string& url, const char* user, TMemoryStream& document,
             std::string& cause) {
    const std::string proxy =
        std::string("http://") + (user ? user : "") + "127.0.0.1:" + std::to_string(Squid->Port());
    TEnvSetting http("http_proxy", proxy.c_str());
    TEnvSetting upper("HTTP_PROXY", nullptr);
    TEnvSetting none("no_proxy", nullptr);
    TEnvSetting noneUpper("NO_PROXY", nullptr);
    return HTTPFetch(url, document, cause);
  }
  std::string Through() const {
    return " (through proxy 127.0.0.1:" + std::to_string(Squid->Port()) + ")";
  }

  static TRealServer* Squid;
  static bool Started;
};
TRealServer* RealSquid::Squid = nullptr;
bool RealSquid::Started = false;

TEST_F(RealSquid, ItsOwnRefusalNamesIt) {
  TMemoryStream document;
  std::string cause;
  EXPECT_FALSE(Fetch("http://club.test:9/list.csv", nullptr, document, cause));
  EXPECT_EQ(cause, "proxy 127.0.0.1:" + std::to_string(Squid->Port()) +
                       " answered 407 Proxy Authentication Required");
  EXPECT_FALSE(Fetch("http://club.test:9/list.csv", "club:wrong@", document, cause));
  EXPECT_EQ(cause, "proxy 127.0.0.1:" + std::to_string(Squid->Port()) +
                       " answered 407 Proxy Authentication Required");
}

TEST_F(RealSquid, ItsBadGatewayIsNotTheClubs) {
  TSilentOrigin origin;
  TMemoryStream document;
  std::string cause;
  EXPECT_FALSE(Fetch("http://club.test:" + std::to_string(origin.Port()) + "/list.csv",
                     "club:secret@", document, cause));
  EXPECT_EQ(cause, "the server answered 502 Bad Gateway" + Through());
}

TEST_F(RealSquid, CarriesTheList) {
  test::TScriptedServer origin(
      {test::Send("HTTP/1.0 200 OK\r\nContent-Length: 7\r\n\r\nR1ABC\r\n"), test::Close()});
  TMemoryStream document;
  std::string cause;
  ASSERT_TRUE(Fetch("http://club.test:" + std::to_string(origin.Port()) + "/list.csv#top",
                    "club:secret@", document, cause))
      << cause;
  EXPECT_EQ(document.Bytes(), "R1ABC\r\n");
  EXPECT_EQ(origin.Request().substr(0, origin.Request().find("\r\n")), "GET /list.csv HTTP/1.1");
}

}  // namespace
}  // namespace brevak
