// Address literals, loopback in its spellings, the TLS server name and port numbers.
#include "net/hostaddress.h"

#include <gtest/gtest.h>

namespace brevak {
namespace {

TEST(HostAddress, LiteralsLoopbackAndServerNames) {
  const struct {
    const char* Host;
    bool Literal;
    bool Loopback;
    const char* ServerName;
  } cases[] = {
      // Names.
      {"srr.example.org", false, false, "srr.example.org"},
      {"srr.example.org.", false, false, "srr.example.org"},
      {"localhost", false, true, "localhost"},
      {"LocalHost.", false, true, "LocalHost"},
      {"dev.localhost", false, true, "dev.localhost"},
      {"localhost.example.org", false, false, "localhost.example.org"},
      {"127.example.org", false, false, "127.example.org"},
      {"cafe.bad", false, false, "cafe.bad"},
      // IPv4 in the forms the resolver reads.
      {"127.0.0.1", true, true, ""},
      {"127.1", true, true, ""},
      {"127.255.0.9", true, true, ""},
      {"0x7f.0.0.1", true, true, ""},
      {"2130706433", true, true, ""},
      {"128.0.0.1", true, false, ""},
      {"192.0.2.7", true, false, ""},
      {"127.0.0.1 x", false, false, "127.0.0.1 x"},
      // IPv6, brackets already taken off by the URL.
      {"::1", true, true, ""},
      {"0:0:0:0:0:0:0:1", true, true, ""},
      {"::ffff:127.0.0.1", true, true, ""},
      {"::ffff:7f00:2", true, true, ""},
      {"::ffff:192.0.2.7", true, false, ""},
      {"fe80::1%lo", true, false, ""},
      {"2001:db8::1", true, false, ""},
      {"::2", true, false, ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(IsAddressLiteral(c.Host), c.Literal) << c.Host;
    EXPECT_EQ(IsLoopbackHost(c.Host), c.Loopback) << c.Host;
    EXPECT_EQ(ServerNameFor(c.Host), c.ServerName) << c.Host;
  }
}

TEST(HostAddress, PortNumbers) {
  for (const char* port : {"1", "80", "08080", "65535"}) EXPECT_TRUE(IsPortNumber(port)) << port;
  for (const char* port : {"", "0", "00000", "65536", "83535", "123456", "-1", "+80", "8o", " 80"})
    EXPECT_FALSE(IsPortNumber(port)) << port;
}

}  // namespace
}  // namespace brevak
