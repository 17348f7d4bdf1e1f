// THTTPSend against servers that misbehave on purpose: numbers chosen to overflow, endless or huge
// lines, resets at every stage, trickles, garbage where a handshake should be. Each case ends
// quickly because the limits are lowered; what is checked is the outcome and its cause.
#include <gtest/gtest.h>

#include "net/httpsend.h"
#include "net/sslinterface.h"
#include "support/loopback_server.h"
#include "support/test_util.h"

namespace brevak {
namespace {

using test::Close;
using test::Hold;
using test::Pause;
using test::Reset;
using test::Send;
using test::TScriptedServer;
using test::TStep;

constexpr int64_t kCap = 1 << 20;  // the body cap of these tests
const std::string kChunked = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n";

std::string Repeat(const std::string& piece, std::size_t total) {
  std::string s;
  while (s.size() < total) s += piece;
  return s;
}

struct THostileCase {
  const char* Name;
  std::vector<TStep> Script;
  bool Ok;
  const char* Cause;     // when !Ok
  std::string Document;  // when Ok
};

std::vector<THostileCase> HostileCases() {
  const std::string mb4 = Repeat("z", 4 << 20);
  return {
      // Numbers a peer chose: never added to, only compared with what is left of the cap.
      {"chunk size 7fffffffffffffff then a stream",
       {Send(kChunked + "7fffffffffffffff\r\n"), Send(mb4), Close()},
       false,
       "response body too large",
       {}},
      {"a second chunk just over what is left of the cap",
       {Send(kChunked + "10\r\n0123456789abcdef\r\nfffeb\r\n"), Send(mb4), Close()},
       false,
       "response body too large",
       {}},
      {"chunk size of 18 hex digits",
       {Send(kChunked + "fffffffffffffffff0\r\n"), Close()},
       false,
       "chunk size too large",
       {}},
      {"chunk size -5 reads as no more chunks",
       {Send(kChunked + "-5\r\nabc\r\n"), Hold(2000)},
       true,
       nullptr,
       ""},
      {"chunk size garbage reads as no more chunks",
       {Send(kChunked + "xyz\r\nabc\r\n"), Hold(2000)},
       true,
       nullptr,
       ""},
      {"a 10 MB chunk-size line",
       {Send(kChunked), Send(Repeat("1", 10 << 20)), Close()},
       false,
       "malformed chunked body",
       {}},
      {"Content-Length 10^12",
       {Send("HTTP/1.0 200 OK\r\nContent-Length: 1000000000000\r\n\r\nabc"), Close()},
       false,
       "response body too large",
       {}},
      {"Content-Length of 20 digits reads to the close",
       {Send("HTTP/1.0 200 OK\r\nContent-Length: 99999999999999999999\r\n\r\nabc"), Close()},
       true,
       nullptr,
       "abc"},
      {"Content-Length -5 reads nothing",
       {Send("HTTP/1.0 200 OK\r\nContent-Length: -5\r\n\r\nabc"), Hold(2000)},
       true,
       nullptr,
       ""},
      {"exactly the cap, then close",
       {Send("HTTP/1.0 200 OK\r\n\r\n"), Send(Repeat("c", kCap)), Close()},
       true,
       nullptr,
       Repeat("c", kCap)},
      {"one byte over the cap, then close",
       {Send("HTTP/1.0 200 OK\r\n\r\n"), Send(Repeat("c", kCap + 1)), Close()},
       false,
       "response body too large",
       {}},
      {"trailing garbage after a counted body",
       {Send("HTTP/1.0 200 OK\r\nContent-Length: 3\r\n\r\nabc\x01garbage"), Close()},
       true,
       nullptr,
       "abc"},
      // Heads that never end.
      {"10 MB of header lines",
       {Send("HTTP/1.0 200 OK\r\n" + Repeat("X-Filler: 1\r\n", 10 << 20)), Close()},
       false,
       "response header too large",
       {}},
      {"one 10 MB header line",
       {Send("HTTP/1.0 200 OK\r\nX-Long: " + Repeat("h", 10 << 20)), Close()},
       false,
       "response header too large",
       {}},
      {"a 10 MB status line",
       {Send("HTTP/1.0 200 " + Repeat("s", 10 << 20)), Close()},
       false,
       "response header too large",
       {}},
      // Resets and closes at each stage.
      {"reset before the status line", {Reset()}, false, "connection reset by the server", {}},
      {"reset in the header block",
       {Send("HTTP/1.0 200 OK\r\nServer: x\r\n"), Pause(30), Reset()},
       false,
       "connection reset by the server",
       {}},
      {"reset in a counted body",
       {Send("HTTP/1.0 200 OK\r\nContent-Length: 10\r\n\r\nabc"), Pause(30), Reset()},
       false,
       "connection reset by the server",
       {}},
      {"reset in a chunk",
       {Send(kChunked + "5\r\nab"), Pause(30), Reset()},
       false,
       "connection reset by the server",
       {}},
      {"close in a counted body",
       {Send("HTTP/1.0 200 OK\r\nContent-Length: 10\r\n\r\nabc"), Close()},
       false,
       "connection closed by the server",
       {}},
      {"reset ends a body read until close as a close would",
       {Send("HTTP/1.0 200 OK\r\n\r\nall of it"), Pause(30), Reset()},
       true,
       nullptr,
       "all of it"},
      {"reset right after a counted response",
       {Send("HTTP/1.0 200 OK\r\nContent-Length: 2\r\n\r\nok"), Reset()},
       true,
       nullptr,
       "ok"},
      // Waits.
      {"never answers", {Hold(3000)}, false, "timed out", {}},
      {"a slow drip is not cut off",
       {Send("HTTP/1.0 200 OK\r\n"), Pause(150), Send("\r\n"), Pause(150), Send("d"), Pause(150),
        Send("r"), Pause(150), Send("ip"), Close()},
       true,
       nullptr,
       "drip"},
      // Not HTTP at all: read as a body without a status line.
      {"an SSH banner",
       {Send("SSH-2.0-OpenSSH_9.2\r\n"), Close()},
       true,
       nullptr,
       "SSH-2.0-OpenSSH_9.2\r\n"},
      // Interim answers, with and without header lines of their own, are skipped.
      {"103 Early Hints before the answer",
       {Send("HTTP/1.1 103 Early Hints\r\nLink: </s.css>; rel=preload\r\n\r\n"
             "HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok"),
        Hold(2000)},
       true,
       nullptr,
       "ok"},
  };
}

TEST(HostileServer, EachRowEndsAsExpected) {
  for (const THostileCase& c : HostileCases()) {
    TScriptedServer server(c.Script);
    THTTPSend http;
    http.Timeout = 400;
    http.MaxBodySize = kCap;
    auto start = std::chrono::steady_clock::now();
    bool ok = http.HTTPMethod("GET", server.Url("/x"));
    EXPECT_LT(test::SecondsSince(start), 3.0) << c.Name;
    EXPECT_EQ(ok, c.Ok) << c.Name << ": " << http.ErrorCause();
    if (c.Ok)
      EXPECT_EQ(http.Document().Bytes(), c.Document) << c.Name;
    else
      EXPECT_EQ(http.ErrorCause(), c.Cause) << c.Name;
    EXPECT_LE(http.Document().Size(), static_cast<std::size_t>(kCap)) << c.Name;
  }
}

// What stands where a TLS server's first flight should be: every case fails the handshake with
// a cause, in bounded time.
TEST(HostileServer, TLSHandshakeWithWhatIsNoServerHello) {
  InitSSLInterface();
  if (!IsSSLloaded()) GTEST_SKIP() << "TLS is not available";
  struct Case {
    const char* Name;
    std::vector<TStep> Script;
    const char* CauseStart;
  } cases[] = {
      {"garbage",
       {Send(Repeat(std::string("\x17\xfe\x00garbage", 10), 300)), Close()},
       "TLS handshake failed: "},
      // A fatal handshake_failure alert.
      {"alert",
       {Send(std::string("\x15\x03\x03\x00\x02\x02\x28", 7)), Close()},
       "TLS handshake failed: "},
      {"an SSH banner", {Send("SSH-2.0-OpenSSH_9.2\r\n"), Close()}, "TLS handshake failed: "},
      {"FIN at once", {Close()}, "TLS handshake failed: "},
      // After a pause, so that the reset meets the handshake: a reset that beats the end of
      // connecting is a failed connect ("connection reset by the server").
      {"RST instead of the ServerHello", {Pause(100), Reset()}, "TLS handshake failed: "},
  };
  for (const Case& c : cases) {
    TScriptedServer server(c.Script, false, /*readRequest=*/false);
    THTTPSend http;
    http.Timeout = 400;
    auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(http.HTTPMethod("GET", "https://127.0.0.1:" + std::to_string(server.Port()) + "/"))
        << c.Name;
    EXPECT_LT(test::SecondsSince(start), 3.0) << c.Name;
    EXPECT_EQ(http.ErrorCause().rfind(c.CauseStart, 0), 0u) << c.Name << ": " << http.ErrorCause();
  }
}

// A whole request has a time limit besides the limit of each wait: a server that sends a byte
// now and then, or that never answers, is cut off when it runs out, and that is a time-out, not
// the caller's stop.
TEST(HostileServer, AWholeRequestEndsAtItsTimeLimit) {
  std::vector<TStep> drip = {Send("HTTP/1.0 200 OK\r\n\r\n")};
  for (int i = 0; i < 15; ++i) {
    drip.push_back(Pause(40));
    drip.push_back(Send("d"));
  }
  drip.push_back(Close());
  const struct {
    const char* Name;
    std::vector<TStep> Script;
    bool Hook;
  } cases[] = {
      {"a byte every 40 ms", drip, false},
      {"a byte every 40 ms, with a hook that goes on", drip, true},
      {"no answer", {Hold(800)}, false},
  };
  for (const auto& c : cases) {
    TScriptedServer server(c.Script);
    THTTPSend http;
    http.Timeout = 2000;
    http.MaxTime = 250;
    if (c.Hook) http.WaitHook = [] { return true; };
    auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(http.HTTPMethod("GET", server.Url("/x"))) << c.Name;
    const double seconds = test::SecondsSince(start);
    EXPECT_GE(seconds, 0.25) << c.Name;
    EXPECT_LT(seconds, 1.0) << c.Name;
    EXPECT_EQ(http.ErrorCause(), "timed out after 0.25 s") << c.Name;
    EXPECT_FALSE(http.Stopped()) << c.Name;
  }
}

// A trickle never makes a wait run out, yet the hook still runs every slice or so, and its stop
// ends the request.
TEST(HostileServer, ATrickleStillLetsTheHookRunAndStop) {
  std::vector<TStep> drip = {Send("HTTP/1.0 200 OK\r\n\r\n")};
  for (int i = 0; i < 80; ++i) {
    drip.push_back(Pause(10));
    drip.push_back(Send("d"));
  }
  drip.push_back(Close());
  for (bool stop : {false, true}) {
    TScriptedServer server(drip);
    THTTPSend http;
    int calls = 0;
    http.WaitHook = [&] { return !(++calls >= 3 && stop); };
    auto start = std::chrono::steady_clock::now();
    bool ok = http.HTTPMethod("GET", server.Url("/x"));
    double seconds = test::SecondsSince(start);
    if (stop) {
      EXPECT_FALSE(ok);
      EXPECT_TRUE(http.Stopped());
      EXPECT_EQ(http.ErrorCause(), "stopped");
      EXPECT_LT(seconds, 0.5);
    } else {
      ASSERT_TRUE(ok) << http.ErrorCause();
      EXPECT_EQ(http.Document().Size(), 80u);
      // About 0.8 s of drip: the hook ran at least every few slices.
      EXPECT_GE(calls, 5) << seconds;
    }
  }
}

}  // namespace
}  // namespace brevak
