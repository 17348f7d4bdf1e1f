// Regression tests for faults the network layer once had, one line each on what broke. Each ends
// quickly whether the fault is there or not: a scripted peer sends a bounded amount and closes.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "fake_socket.h"
#include "net/httpsend.h"

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

}  // namespace
}  // namespace brevak
