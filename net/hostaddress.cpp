// Address literals, loopback hosts and port numbers. Tested by tests/net/hostaddress_test.cpp.
#include "net/hostaddress.h"

#include <arpa/inet.h>
#include <netinet/in.h>

#include <cstdint>
#include <cstring>

#include "net/httptext.h"

namespace brevak {
namespace {

// An IPv4 address in any form inet_aton reads. inet_aton itself stops at white space and accepts
// whatever follows, so only the characters of a number may be there.
bool ParseIP4(std::string_view host, in_addr& address) {
  if (host.empty() || host.find_first_not_of("0123456789abcdefABCDEFxX.") != std::string::npos)
    return false;
  return inet_aton(std::string(host).c_str(), &address) != 0;
}

bool ParseIP6(std::string_view host, in6_addr& address) {
  host = host.substr(0, host.find('%'));
  return !host.empty() && inet_pton(AF_INET6, std::string(host).c_str(), &address) == 1;
}

bool IsLoopback4(const in_addr& address) { return (ntohl(address.s_addr) >> 24) == 127; }

// A fully qualified name may end in a dot; the name is the same without it.
std::string_view WithoutRootDot(std::string_view host) {
  if (host.size() > 1 && host.back() == '.') host.remove_suffix(1);
  return host;
}

}  // namespace

bool IsAddressLiteral(std::string_view host) {
  in_addr v4;
  in6_addr v6;
  return ParseIP4(host, v4) || ParseIP6(host, v6);
}

bool IsLoopbackHost(std::string_view host) {
  in_addr v4;
  if (ParseIP4(host, v4)) return IsLoopback4(v4);
  in6_addr v6;
  if (ParseIP6(host, v6)) {
    if (IN6_IS_ADDR_LOOPBACK(&v6)) return true;
    if (!IN6_IS_ADDR_V4MAPPED(&v6)) return false;
    in_addr mapped;
    std::memcpy(&mapped.s_addr, v6.s6_addr + 12, sizeof mapped.s_addr);
    return IsLoopback4(mapped);
  }
  const std::string name = http::Lower(WithoutRootDot(host));
  return name == "localhost" || name.ends_with(".localhost");
}

std::string ServerNameFor(std::string_view host) {
  if (IsAddressLiteral(host)) return {};
  return std::string(WithoutRootDot(host));
}

bool IsPortNumber(std::string_view port) {
  if (port.empty() || port.size() > 5 || port.find_first_not_of("0123456789") != std::string::npos)
    return false;
  const int64_t value = http::ToInt64(port, 0);
  return value >= 1 && value <= 65535;
}

}  // namespace brevak
