// Regression tests for faults the network layer once had, one line each on what broke. Each ends
// quickly whether the fault is there or not: a scripted peer sends a bounded amount and closes.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "net/httpsend.h"
#include "support/fake_socket.h"

namespace brevak {
namespace {

using test::TFakeSocket;

// A peer that sends head, then filler repeated up to limit bytes, then closes.
std::unique_ptr<TFakeSocket> BoundedPeer(const std::string& head, const std::string& filler,
                                         std::size_t limit) {
  auto sock = std::make_unique<TFakeSocket>();
  sock->Packets = {head};
  std::string piece;
  while (piece.size() < 4096) piece += filler;
  auto sent = std::make_shared<std::size_t>(0);
  sock->More = [piece, limit, sent](std::string& next) {
    if (*sent >= limit) return false;
    next = piece;
    *sent += piece.size();
    return true;
  };
  return sock;
}

// Chunk-size lines and empty lines between chunks were not counted against the body limit, so a
// server sending framing without end kept the fetch reading forever.
TEST(FormerBugs, ChunkFramingCountsAgainstTheBodyLimit) {
  const std::string head = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n";
  const struct {
    const char* Name;
    std::string Filler;
  } kCases[] = {
      {"empty lines", "\r\n"},
      // One byte of body for every kilobyte of framing.
      {"zero-padded chunk sizes", std::string(1000, '0') + "1\r\nx\r\n"},
  };
  constexpr int64_t kLimit = 64 << 10;
  for (const auto& c : kCases) {
    // Sixteen times the limit: far past it, yet read in a moment if nothing stops the fetch.
    THTTPSend http(BoundedPeer(head, c.Filler, 16 * kLimit));
    http.MaxBodySize = kLimit;
    EXPECT_FALSE(http.HTTPMethod("GET", "http://h/")) << c.Name;
    EXPECT_EQ(http.ErrorCause(), "response body too large") << c.Name;
    EXPECT_LE(static_cast<int64_t>(http.Document().Size()), kLimit) << c.Name;
  }
}

// RCPW's page was asked for with its fragment ("GET /members.html#close"): strict servers answer
// 400 and many others 404, and a proxy was handed the fragment too.
TEST(FormerBugs, NoFragmentOnTheWire) {
  for (bool viaProxy : {false, true}) {
    auto sock = std::make_unique<TFakeSocket>();
    TFakeSocket& fake = *sock;
    fake.Packets = {"HTTP/1.0 200 OK\r\n\r\n"};
    THTTPSend http(std::move(sock));
    if (viaProxy) http.ProxyHost = "proxy.example.org";
    ASSERT_TRUE(http.HTTPMethod("GET", "http://rcpw.example.org/members.html#close"));
    const std::string line = fake.Sent.substr(0, fake.Sent.find("\r\n"));
    EXPECT_EQ(line, viaProxy ? "GET http://rcpw.example.org/members.html HTTP/1.0"
                             : "GET /members.html HTTP/1.0");
  }
}

// A counted body is held to the body limit before it is read, and no test said on which side of
// the limit its last byte falls: a body of exactly the limit must be read, one of a byte more
// refused. At the default limit of 256 MiB the peer sends only the body's first 64 KiB and closes,
// so an accepted body ends in the close, cheaply, rather than in 256 MiB read.
TEST(FormerBugs, CountedBodyOfExactlyTheLimitIsReadAndOneByteMoreIsRefused) {
  constexpr int64_t kSmall = 64 << 10;
  constexpr int64_t kDefault = int64_t{256} << 20;
  const struct {
    const char* Name;
    int64_t Limit;  // 0: THTTPSend's own
    int64_t Length;
    std::size_t Sent;   // body bytes the peer sends before it closes
    const char* Cause;  // "" for a fetch that succeeds
  } kCases[] = {
      {"64 KiB limit, exactly", kSmall, kSmall, kSmall, ""},
      {"64 KiB limit, a byte over", kSmall, kSmall + 1, kSmall + 1, "response body too large"},
      {"default limit, exactly", 0, kDefault, kSmall, "connection closed by the server"},
      {"default limit, a byte over", 0, kDefault + 1, kSmall, "response body too large"},
  };
  for (const auto& c : kCases) {
    const std::string head =
        "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(c.Length) + "\r\n\r\n";
    THTTPSend http(BoundedPeer(head, "x", c.Sent));
    if (c.Limit != 0) http.MaxBodySize = c.Limit;
    const bool ok = http.HTTPMethod("GET", "http://h/");
    EXPECT_EQ(ok, *c.Cause == '\0') << c.Name << ": " << http.ErrorCause();
    EXPECT_EQ(http.ErrorCause(), c.Cause) << c.Name;
    if (ok) {
      EXPECT_EQ(static_cast<int64_t>(http.Document().Size()), c.Length) << c.Name;
    }
  }
}

}  // namespace
}  // namespace brevak
