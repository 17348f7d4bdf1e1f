// Hosts and ports as the client meets them in URLs and proxy values: whether a host is an IP
// address written out (it gets no TLS server name), whether it is this machine's loopback (never
// reached through a proxy), and whether a port is one. Tested by tests/net/hostaddress_test.cpp.
#pragma once

#include <string>
#include <string_view>

namespace brevak {

// Whether host is an IP address written out: IPv6 (without brackets; a "%zone" allowed), or IPv4
// in any form the resolver reads as one (127.0.0.1, 127.1, 0x7f.0.0.1, 2130706433).
bool IsAddressLiteral(std::string_view host);

// Whether host is this machine's loopback, however it is spelt: "localhost" or a name under it,
// with or without the trailing dot of a fully qualified name, 127.0.0.0/8 in any IPv4 form, ::1,
// and 127.0.0.0/8 mapped into IPv6 (::ffff:127.0.0.1).
bool IsLoopbackHost(std::string_view host);

// The name a TLS client announces for host: none ("") for an address, else the name without the
// trailing dot of a fully qualified name.
std::string ServerNameFor(std::string_view host);

// Whether port is a TCP port number: decimal digits only, from 1 to 65535.
bool IsPortNumber(std::string_view port);

}  // namespace brevak
