// Proxy choice from the environment. Tested by tests/net/proxy_test.cpp.
#include "net/proxy.h"

#include <string_view>

#include "base/showntext.h"
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

// A proxy value as a message may show it: its user name and password replaced by "***".
std::string WithoutSecrets(const std::string& value) {
  std::size_t sep = value.find("://");
  std::size_t start = sep == std::string::npos ? 0 : sep + 3;
  std::size_t at = UserPartEnd(std::string_view(value).substr(start));
  if (at == std::string_view::npos) return value;
  return value.substr(0, start) + "***" + value.substr(start + at);
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
    cause = "the proxy " + ShownText(value.substr(0, sep)) +
            "://... is not supported (only http:// proxies)";
    return false;
  }
  TUrlParts parts = SplitUrl(sep == std::string::npos ? "http://" + value : value);
  if (!parts.HostGiven || parts.Port.empty()) {
    cause = "the proxy \"" + ShownText(WithoutSecrets(value)) + "\" names no host";
    return false;
  }
  proxy.Host = parts.Host;
  // curl's default, where a URL of the http scheme would have 80.
  proxy.Port = parts.PortGiven ? parts.Port : "1080";
  proxy.User = parts.User;
  proxy.Password = parts.Password;
  return true;
}

}  // namespace brevak
