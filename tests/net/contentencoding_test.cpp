// Compressed answers: each encoding and framing decoded into the document, corrupt and truncated
// streams, encodings the client cannot read, and decompression bombs stopped at the body cap.
#include "net/contentencoding.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "net/httpsend.h"
#include "support/fake_socket.h"

namespace brevak {
namespace {

using test::TFakeSocket;

enum class TWrap { Gzip = 31, Zlib = 15, Raw = -15 };

std::string Compress(const std::string& data, TWrap wrap) {
  z_stream z{};
  EXPECT_EQ(deflateInit2(&z, 9, Z_DEFLATED, static_cast<int>(wrap), 9, Z_DEFAULT_STRATEGY), Z_OK);
  std::string out(deflateBound(&z, static_cast<uLong>(data.size())) + 64, '\0');
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  z.avail_in = static_cast<uInt>(data.size());
  z.next_out = reinterpret_cast<Bytef*>(out.data());
  z.avail_out = static_cast<uInt>(out.size());
  EXPECT_EQ(deflate(&z, Z_FINISH), Z_STREAM_END);
  out.resize(z.total_out);
  deflateEnd(&z);
  return out;
}

std::string Chunked(const std::string& body, std::size_t piece) {
  std::string out;
  for (std::size_t i = 0; i < body.size(); i += piece) {
    char size[20];
    std::snprintf(size, sizeof size, "%zx\r\n", std::min(piece, body.size() - i));
    out.append(size).append(body, i, piece).append("\r\n");
  }
  return out + "0\r\n\r\n";
}

// The head with the given Content-Encoding lines, the body framed by Content-Length, and the
// whole answer cut into packets of packet bytes.
std::vector<std::string> Answer(const std::vector<std::string>& encodings, const std::string& body,
                                std::size_t packet = 1 << 20) {
  std::string head = "HTTP/1.1 200 OK\r\n";
  for (const std::string& e : encodings) head += "Content-Encoding: " + e + "\r\n";
  std::string all = head + "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
  std::vector<std::string> packets;
  for (std::size_t i = 0; i < all.size(); i += packet) packets.push_back(all.substr(i, packet));
  return packets;
}

const std::string kList = [] {
  std::string s;
  for (int i = 0; i < 5000; ++i) {
    const std::string n = std::to_string(i);
    s.append("R").append(n).append("ABC;Member ").append(n).append("\r\n");
  }
  return s;
}();

struct TResult {
  bool Ok;
  std::string CauseOrDocument;
};

TResult Fetch(std::vector<std::string> packets, int64_t cap = int64_t(256) << 20) {
  auto sock = std::make_unique<TFakeSocket>();
  sock->Packets = std::move(packets);
  THTTPSend http(std::move(sock));
  http.MaxBodySize = cap;
  bool ok = http.HTTPMethod("GET", "http://srr.example.org/list.csv");
  EXPECT_LE(http.Document().Size(), static_cast<std::size_t>(cap));
  return {ok, ok ? std::string(http.Document().Bytes()) : http.ErrorCause()};
}

TEST(ContentEncoding, EachEncodingAndFramingGivesTheList) {
  const std::string gz = Compress(kList, TWrap::Gzip);
  const std::string half = kList.substr(0, kList.size() / 2);
  const struct {
    const char* Name;
    std::vector<std::string> Packets;
  } cases[] = {
      {"gzip, one packet", Answer({"gzip"}, gz)},
      {"gzip, a byte a packet", Answer({"gzip"}, gz, 1)},
      {"x-gzip in capitals", Answer({"X-GZIP"}, gz)},
      {"deflate, zlib-wrapped", Answer({"deflate"}, Compress(kList, TWrap::Zlib), 7)},
      // Raw deflate, its first two bytes in packets of their own.
      {"deflate, raw", Answer({"deflate"}, Compress(kList, TWrap::Raw), 1)},
      {"gzip, chunked a byte a chunk",
       {"HTTP/1.1 200 OK\r\nContent-Encoding: gzip\r\nTransfer-Encoding: chunked\r\n\r\n" +
        Chunked(gz, 1)}},
      {"deflate, read until the close",
       {"HTTP/1.0 200 OK\r\nContent-Encoding: deflate\r\n\r\n", Compress(kList, TWrap::Raw)}},
      // Undone in reverse order, whether in one line or several.
      {"deflate over gzip", Answer({"gzip, deflate"}, Compress(gz, TWrap::Zlib))},
      {"gzip over raw deflate, two lines",
       Answer({"deflate", "gzip"}, Compress(Compress(kList, TWrap::Raw), TWrap::Gzip))},
      {"identity around gzip", Answer({"identity, gzip", "identity"}, gz)},
      // gzip members follow one another (files joined with cat); zeros after the last are padding.
      {"two gzip members and padding",
       Answer({"gzip"}, Compress(half, TWrap::Gzip) +
                            Compress(kList.substr(half.size()), TWrap::Gzip) +
                            std::string(9, '\0'))},
  };
  for (const auto& c : cases) {
    TResult r = Fetch(c.Packets);
    ASSERT_TRUE(r.Ok) << c.Name << ": " << r.CauseOrDocument;
    EXPECT_TRUE(r.CauseOrDocument == kList) << c.Name << ": " << r.CauseOrDocument.size();
  }
}

TEST(ContentEncoding, WhatCannotBeDecodedFailsTheFetch) {
  const std::string gz = Compress(kList, TWrap::Gzip);
  std::string flipped = gz;
  flipped[flipped.size() / 2] = static_cast<char>(flipped[flipped.size() / 2] ^ 0x55);
  std::string badCrc = gz;
  badCrc[badCrc.size() - 6] = static_cast<char>(badCrc[badCrc.size() - 6] ^ 1);
  const std::string raw = Compress(kList, TWrap::Raw);
  const struct {
    const char* Name;
    std::vector<std::string> Packets;
    const char* Cause;
  } cases[] = {
      {"gzip cut short", Answer({"gzip"}, gz.substr(0, gz.size() - 10)),
       "the server's gzip data is corrupt"},
      {"gzip header only", Answer({"gzip"}, gz.substr(0, 10)), "the server's gzip data is corrupt"},
      {"a byte changed", Answer({"gzip"}, flipped), "the server's gzip data is corrupt"},
      {"a checksum changed", Answer({"gzip"}, badCrc), "the server's gzip data is corrupt"},
      {"plain text sent as gzip", Answer({"gzip"}, kList), "the server's gzip data is corrupt"},
      {"garbage after the stream", Answer({"gzip"}, gz + "<html>"),
       "the server's gzip data is corrupt"},
      {"raw deflate cut short", Answer({"deflate"}, raw.substr(0, raw.size() / 2)),
       "the server's deflate data is corrupt"},
      {"one byte of deflate", Answer({"deflate"}, raw.substr(0, 1)),
       "the server's deflate data is corrupt"},
      // Encodings named but not known: nothing is imported, and the name is shown as sent.
      {"br", Answer({"br"}, "\x0b\x02\x80"),
       "the server sent the list encoded as \"br\", which Brevak cannot read"},
      {"zstd after gzip", Answer({"gzip, zstd"}, gz),
       "the server sent the list encoded as \"zstd\", which Brevak cannot read"},
      {"a name with an escape", Answer({"x\x1b[2J"}, gz),
       "the server sent the list encoded as \"x\\x1B[2J\", which Brevak cannot read"},
  };
  for (const auto& c : cases) {
    TResult r = Fetch(c.Packets);
    EXPECT_FALSE(r.Ok) << c.Name;
    EXPECT_EQ(r.CauseOrDocument, c.Cause) << c.Name;
  }
}

TEST(ContentEncoding, AnEmptyEncodedBodyIsAnEmptyDocument) {
  for (const char* encoding : {"gzip", "deflate", "gzip, deflate"}) {
    TResult r = Fetch(Answer({encoding}, ""));
    EXPECT_TRUE(r.Ok) << encoding << ": " << r.CauseOrDocument;
    EXPECT_EQ(r.CauseOrDocument, "") << encoding;
  }
}

// A small body that decodes past the cap fails without the document ever holding more than the
// cap, whichever stage expands; exactly the cap is still a document.
TEST(ContentEncoding, DecodedBytesCountAgainstTheCap) {
  constexpr int64_t kCap = 1 << 20;
  const std::string zeros(16 << 20, '\0');
  const std::string bomb = Compress(zeros, TWrap::Gzip);
  ASSERT_LT(bomb.size(), 20000u);
  const std::string exact(kCap, 'x');
  const struct {
    const char* Name;
    std::vector<std::string> Packets;
    bool Ok;
  } cases[] = {
      {"gzip bomb", Answer({"gzip"}, bomb), false},
      {"gzip bomb inside gzip", Answer({"gzip, gzip"}, Compress(bomb, TWrap::Gzip)), false},
      {"deflate bomb read until the close",
       {"HTTP/1.0 200 OK\r\nContent-Encoding: deflate\r\n\r\n", Compress(zeros, TWrap::Zlib)},
       false},
      {"exactly the cap", Answer({"gzip"}, Compress(exact, TWrap::Gzip)), true},
      {"one byte over the cap", Answer({"gzip"}, Compress(exact + "x", TWrap::Gzip)), false},
  };
  for (const auto& c : cases) {
    TResult r = Fetch(c.Packets, kCap);
    EXPECT_EQ(r.Ok, c.Ok) << c.Name;
    if (c.Ok)
      EXPECT_TRUE(r.CauseOrDocument == exact) << c.Name;
    else
      EXPECT_EQ(r.CauseOrDocument, "response body too large") << c.Name;
  }
}

}  // namespace
}  // namespace brevak
