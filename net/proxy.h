// Which HTTP proxy a request goes through, read from the environment the way curl reads it.
// Tested by tests/net/proxy_test.cpp.
#pragma once

#include <string>

#include "base/environment.h"

namespace brevak {

struct TProxySetting {
  std::string Host;  // empty: the request goes straight to the URL's host
  std::string Port;
  std::string User;
  std::string Password;
};

// The proxy for url: http_proxy for http:// URLs and https_proxy for https:// ones (each in lower
// case first, then upper case), unless no_proxy (then NO_PROXY) names the URL's host: a comma list
// of host names, each matching itself and every name under it, or "*" for all. Loopback targets
// in any spelling (IsLoopbackHost) never go through a proxy. A proxy value is
// [http://][user[:password]@]host[:port] (port 1080 when none is given). False with cause set when
// the value names another kind of proxy (socks5://, https://) or no host.
bool ProxyForUrl(const std::string& url, const TEnvLookup& env, TProxySetting& proxy,
                 std::string& cause);

}  // namespace brevak
