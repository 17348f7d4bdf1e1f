// Proxy choice from the environment. Tested by tests/net/proxy_test.cpp.
#include "net/proxy.h"

#include <string_view>

#include "net/hostaddress.h"
#include "net/httpsend.h"
#include "net/httptext.h"

namespace brevak {
namespace {

using http::Lower;

// The first of the two spellings that is set and not empty.
std::string Variable(const TEnvLookup& env, const char* lower, const char* upper) {
  for (const char* name : {lower, upper}) {
    std::string value = env(name);
    if (!value.empty()) return value;
  }
  return {};
}

// Whether an entry of no_proxy covers host: the same name, or a name under it.
bool NoProxyCovers(std::string_view list, const std::string& host) {
  std::string h = Lower(host);
  while (!list.empty()) {
    std::size_t comma = list.find(',');
    std::string entry = Lower(http::Trim(list.substr(0, comma)));
    list = comma == std::string_view::npos ? std::string_view() : list.substr(comma + 1);
    if (entry == "*") return true;
    if (entry.starts_with('.')) entry.erase(0, 1);
    if (entry.size() > 2 && entry.front() == '[' && entry.back() == ']')
      entry = entry.substr(1, entry.size() - 2);
    if (entry.empty()) continue;
    if (h == entry ||
        (h.size() > entry.size() && h.ends_with(entry) && h[h.size() - entry.size() - 1] == '.'))
      return true;
  }
  return false;
}

}  // namespace

bool ProxyForUrl(const std::string& url, const TEnvLookup& env, TProxySetting& proxy,
                 std::string& cause) {
  proxy = {};
  TUrlParts target = SplitUrl(url);
  std::string scheme = Lower(target.Scheme);
  std::string value;
  if (scheme == "http")
    value = Variable(env, "http_proxy", "HTTP_PROXY");
  else if (scheme == "https")
    value = Variable(env, "https_proxy", "HTTPS_PROXY");
  if (value.empty() || IsLoopbackHost(target.Host) ||
      NoProxyCovers(Variable(env, "no_proxy", "NO_PROXY"), target.Host))
    return true;

  std::size_t sep = value.find("://");
  if (sep != std::string::npos && Lower(value.substr(0, sep)) != "http") {
    cause = "the proxy " + value.substr(0, sep) + "://... is not supported (only http:// proxies)";
    return false;
  }
  std::string rest = sep == std::string::npos ? value : value.substr(sep + 3);
  std::string_view authority = std::string_view(rest).substr(0, rest.find('/'));
  std::size_t at = authority.rfind('@');
  std::string_view hostPort = at == std::string_view::npos ? authority : authority.substr(at + 1);
  // SplitUrl gives every part; whether a port was written decides between it and curl's 1080.
  bool portGiven = hostPort.starts_with('[') ? hostPort.find("]:") != std::string_view::npos
                                             : hostPort.find(':') != std::string_view::npos;
  TUrlParts parts = SplitUrl("http://" + std::string(authority) + "/");
  if (hostPort.empty() || hostPort.starts_with(':') || parts.Port.empty()) {
    cause = "the proxy \"" + value + "\" names no host";
    return false;
  }
  proxy.Host = parts.Host;
  proxy.Port = portGiven ? parts.Port : "1080";
  proxy.User = parts.User;
  proxy.Password = parts.Password;
  return true;
}

}  // namespace brevak
