// TBlockSocket over real loopback connections: line ends across packets, packets, counted reads,
// sending in pieces, time-outs and the peer's close, name resolution.
#include "net/blocksocket.h"

#include <gtest/gtest.h>

#include "support/loopback_server.h"
#include "support/test_util.h"

namespace brevak {
namespace {

using test::Close;
using test::Hold;
using test::Packets;
using test::Send;
using test::TScriptedServer;

constexpr int kTimeout = 300;

void ConnectTo(TBlockSocket& sock, TScriptedServer& server, const std::string& host = "127.0.0.1") {
  sock.Connect(host, std::to_string(server.Port()));
  ASSERT_EQ(sock.LastError(), 0) << sock.LastErrorDesc();
}

TEST(BlockSocket, RecvStringLineEnds) {
  struct Case {
    std::vector<std::string> Packets;
    std::vector<std::string> Lines;
    std::string Rest;  // what a following counted read of its size returns
  } cases[] = {
      // One packet
      {{"a\r\nb\r\n"}, {"a", "b"}, ""},
      {{"a\nb\n"}, {"a", "b"}, ""},
      {{"a\rb\r"}, {"a", "b"}, ""},
      {{"a\n\rb\n\r"}, {"a", "b"}, ""},
      {{"a\r\rb\r\n"}, {"a", "", "b"}, ""},
      {{"a\n\nb\r\n"}, {"a", "", "b"}, ""},
      {{"a\r\n\r\nbody"}, {"a", ""}, "body"},
      // Split across packets
      {{"ab", "c\r\n"}, {"abc"}, ""},
      {{"a\r", "\nb\r\n"}, {"a", "b"}, ""},
      {{"a\n", "\rb\n"}, {"a", "b"}, ""},
      {{"a\r", "b\r\n"}, {"a", "b"}, ""},
      {{"a\r", "\r\nb\r\n"}, {"a", "", "b"}, ""},
      // The partner of a lone CR is dropped from the next packet even when body bytes follow.
      {{"a\r\n\r", "\nbody"}, {"a", ""}, "body"},
      {{"a\r\n\r", "body"}, {"a", ""}, "body"},
  };
  for (const Case& c : cases) {
    TScriptedServer server(Packets(c.Packets), false, false);
    TBlockSocket sock;
    sock.ConvertLineEnd = true;
    ConnectTo(sock, server);
    std::string label = ::testing::PrintToString(c.Packets);
    for (const std::string& expected : c.Lines) {
      EXPECT_EQ(sock.RecvString(kTimeout), expected) << label;
      EXPECT_EQ(sock.LastError(), 0) << label;
    }
    if (!c.Rest.empty()) {
      EXPECT_EQ(sock.RecvBufferStr(static_cast<int64_t>(c.Rest.size()), kTimeout), c.Rest) << label;
    }
    // Then the server's close.
    EXPECT_EQ(sock.RecvString(kTimeout), "") << label;
    EXPECT_EQ(sock.LastError(), WSAECONNRESET) << label;
  }
}

TEST(BlockSocket, CRLFOnlyWithoutConvertLineEnd) {
  TScriptedServer server(Packets({"a\nb\r", "\nc\r\n"}), false, false);
  TBlockSocket sock;
  ConnectTo(sock, server);
  EXPECT_EQ(sock.RecvString(kTimeout), "a\nb");
  EXPECT_EQ(sock.RecvString(kTimeout), "c");
}

TEST(BlockSocket, MaxLineLength) {
  TScriptedServer server(Packets({std::string(100, 'x'), std::string(100, 'y') + "\r\n"}), false,
                         false);
  TBlockSocket sock;
  sock.MaxLineLength = 150;
  ConnectTo(sock, server);
  EXPECT_EQ(sock.RecvString(kTimeout), "");
  EXPECT_EQ(sock.LastError(), WSAEMSGSIZE);
}

TEST(BlockSocket, CountedReadsLeaveTheRestBuffered) {
  TScriptedServer server(Packets({"0123456789", "abcdef"}), false, false);
  TBlockSocket sock;
  ConnectTo(sock, server);
  EXPECT_EQ(sock.RecvBufferStr(4, kTimeout), "0123");
  EXPECT_EQ(sock.LineBuffer(), "456789");
  EXPECT_EQ(sock.RecvBufferStr(8, kTimeout), "456789ab");
  EXPECT_EQ(sock.LineBuffer(), "cdef");
  EXPECT_EQ(sock.RecvPacket(kTimeout), "cdef");
  EXPECT_EQ(sock.LineBuffer(), "");
  // Cut short by the close: the partial piece is dropped.
  EXPECT_EQ(sock.RecvBufferStr(3, kTimeout), "");
  EXPECT_EQ(sock.LastError(), WSAECONNRESET);
}

TEST(BlockSocket, RecvStreamSizeInPieces) {
  std::string data(200000, '\0');
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>(i * 7);
  TScriptedServer server({Send(data + "tail"), Hold(2000)}, false, false);
  TBlockSocket sock;
  ConnectTo(sock, server);
  TMemoryStream stream;
  sock.RecvStreamSize(stream, kTimeout, static_cast<int64_t>(data.size()));
  EXPECT_EQ(sock.LastError(), 0);
  EXPECT_TRUE(stream.Bytes() == data);
  EXPECT_EQ(sock.RecvPacket(kTimeout), "tail");
}

TEST(BlockSocket, TimeOutAndClose) {
  {
    TScriptedServer server({Send("x"), Hold(3000)}, false, false);
    TBlockSocket sock;
    ConnectTo(sock, server);
    EXPECT_EQ(sock.RecvPacket(kTimeout), "x");
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(sock.RecvString(kTimeout), "");
    EXPECT_EQ(sock.LastError(), WSAETIMEDOUT);
    EXPECT_GE(test::SecondsSince(start), 0.25);
    EXPECT_LT(test::SecondsSince(start), 1.5);
  }
  {
    TScriptedServer server({Send("partial line"), Close()}, false, false);
    TBlockSocket sock;
    ConnectTo(sock, server);
    EXPECT_EQ(sock.RecvString(kTimeout), "");
    EXPECT_EQ(sock.LastError(), WSAECONNRESET);
  }
}

// Every piece handed to the network is at most SendMaxChunk bytes.
class TRecordingSocket : public TBlockSocket {
public:
  std::vector<int> Pieces;
  int SendBuffer(const char* buffer, int length) override {
    Pieces.push_back(length);
    return TBlockSocket::SendBuffer(buffer, length);
  }
};

TEST(BlockSocket, SendStringInPieces) {
  std::string data(300000, 'q');
  data += "\r\n\r\n";
  TScriptedServer server({Close()});
  TRecordingSocket sock;
  sock.SendMaxChunk = 65536;
  ConnectTo(sock, server);
  sock.SendString(data);
  EXPECT_EQ(sock.LastError(), 0);
  EXPECT_TRUE(server.Request() == data);
  int total = 0;
  for (int piece : sock.Pieces) {
    EXPECT_LE(piece, 65536);
    total += piece;
  }
  EXPECT_EQ(total, static_cast<int>(data.size()));
  EXPECT_GE(sock.Pieces.size(), 5u);
}

TEST(BlockSocket, ResolvesIPv4FirstAndIPv6Literals) {
  {
    // "localhost" must reach the IPv4-only server.
    TScriptedServer server({Send("four\r\n"), Close()}, false, false);
    TBlockSocket sock;
    sock.ConvertLineEnd = true;
    ConnectTo(sock, server, "localhost");
    EXPECT_EQ(sock.RecvString(kTimeout), "four");
  }
  {
    TScriptedServer server({Send("six\r\n"), Close()}, true, false);
    if (server.Port() == 0) GTEST_SKIP() << "no IPv6 loopback";
    TBlockSocket sock;
    sock.ConvertLineEnd = true;
    ConnectTo(sock, server, "::1");
    EXPECT_EQ(sock.RecvString(kTimeout), "six");
  }
}

TEST(BlockSocket, ConnectIsBoundedByConnectionTimeout) {
  test::TFullListener listener;
  TBlockSocket sock;
  sock.ConnectionTimeout = 300;
  auto start = std::chrono::steady_clock::now();
  sock.Connect("127.0.0.1", std::to_string(listener.Port()));
  double seconds = test::SecondsSince(start);
  if (sock.LastError() == 0) GTEST_SKIP() << "this system accepted the connection anyway";
  EXPECT_EQ(sock.LastError(), WSAETIMEDOUT);
  EXPECT_GE(seconds, 0.25);
  EXPECT_LT(seconds, 1.5);
}

TEST(BlockSocket, NotConnectedNeverThrows) {
  TBlockSocket sock;
  EXPECT_EQ(sock.RecvString(kTimeout), "");
  EXPECT_NE(sock.LastError(), 0);
  sock.SendString("x");
  EXPECT_EQ(sock.LastError(), WSAENOTCONN);
  EXPECT_FALSE(sock.CanRead(0));
  sock.CloseSocket();
  sock.CloseSocket();
}

}  // namespace
}  // namespace brevak
