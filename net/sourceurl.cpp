// Fetchable URLs and redirect locations. Tested by tests/net/sourceurl_test.cpp.
#include "net/sourceurl.h"

#include <vector>

#include "net/hostaddress.h"
#include "net/httptext.h"

namespace brevak {
namespace {

// The length of "http://" or "https://" at the start of url, any case; 0 when neither.
std::size_t SchemeLength(std::string_view url) {
  const std::string lower = http::Lower(url.substr(0, 8));
  if (lower.starts_with("http://")) return 7;
  if (lower.starts_with("https://")) return 8;
  return 0;
}

// Whether a reference begins with a scheme ("http:", "https:", "ftp:" ...), which makes it
// absolute; "://" later on, as in "/login?next=http://x/", is part of a relative one.
bool HasScheme(std::string_view ref) {
  const std::size_t colon = ref.find(':');
  if (colon == 0 || colon == std::string_view::npos) return false;
  auto letter = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
  if (!letter(ref[0])) return false;
  for (char c : ref.substr(1, colon - 1))
    if (!letter(c) && !(c >= '0' && c <= '9') && c != '+' && c != '-' && c != '.') return false;
  return true;
}

bool IsHostName(std::string_view host) {
  if (host.empty() || host.size() > 253) return false;
  for (char c : host) {
    const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                    c == '.' || c == '-' || c == '_';
    if (!ok) return false;
  }
  return true;
}

// Why authority is not host[:port] or [IPv6][:port]; empty when it is.
std::string AuthorityProblem(std::string_view authority) {
  std::string_view host = authority;
  std::string_view port;
  bool hasPort = false;
  if (authority.starts_with('[')) {
    const std::size_t close = authority.find(']');
    if (close == std::string_view::npos) return "the IPv6 address has no closing ]";
    host = authority.substr(1, close - 1);
    const std::string_view after = authority.substr(close + 1);
    if (!after.empty() && !after.starts_with(':')) return "text after the IPv6 address";
    hasPort = !after.empty();
    if (hasPort) port = after.substr(1);
    if (host.find(':') == std::string_view::npos || !IsAddressLiteral(host))
      return "not an IPv6 address in brackets";
  } else {
    const std::size_t colon = authority.find(':');
    if (colon != std::string_view::npos) {
      host = authority.substr(0, colon);
      port = authority.substr(colon + 1);
      hasPort = true;
    }
    if (host.empty()) return "no host";
    if (!IsHostName(host)) return "the host is not a host name";
  }
  if (hasPort && !IsPortNumber(port)) return "the port is not a number from 1 to 65535";
  return {};
}

// Resolves "." and ".." in a path that begins with "/".
std::string WithoutDotSegments(std::string_view path) {
  std::vector<std::string_view> kept;
  std::size_t start = 1;
  bool endsInDirectory = false;
  while (start <= path.size()) {
    std::size_t slash = path.find('/', start);
    if (slash == std::string_view::npos) slash = path.size();
    const std::string_view segment = path.substr(start, slash - start);
    endsInDirectory = segment == "." || segment == "..";
    if (segment == "..") {
      if (!kept.empty()) kept.pop_back();
    } else if (segment != ".") {
      kept.push_back(segment);
    }
    start = slash + 1;
  }
  std::string out;
  for (std::string_view segment : kept) out.append("/").append(segment);
  if (out.empty() || endsInDirectory) out += '/';
  return out;
}

}  // namespace

std::string FetchableUrlProblem(std::string_view url) {
  const std::size_t scheme = SchemeLength(url);
  if (scheme == 0) return "not an http:// or https:// URL";
  for (char c : url) {
    if (c == '#') return "a fragment (#...) is never sent to the server";
    if (c <= ' ' || c >= 0x7F) return "spaces, control characters and non-ASCII must be %-escaped";
  }
  std::string_view rest = url.substr(scheme);
  const std::size_t end = rest.find_first_of("/?");
  if (end != std::string_view::npos && rest[end] == '?') return "a query needs a path (/?...)";
  const std::string_view authority = rest.substr(0, end);
  if (authority.find('@') != std::string_view::npos) return "a user name is not allowed";
  return AuthorityProblem(authority);
}

bool IsFetchableUrl(std::string_view url) { return FetchableUrlProblem(url).empty(); }

std::string ResolveLocation(std::string_view base, std::string_view location) {
  location = http::Trim(location.substr(0, location.find('#')));
  if (location.empty()) return {};
  if (HasScheme(location)) return std::string(location);
  base = base.substr(0, base.find('#'));
  const std::size_t scheme = base.find("://");
  if (scheme == std::string_view::npos) return {};
  const std::size_t pathStart = base.find_first_of("/?", scheme + 3);
  const std::string_view origin = base.substr(0, pathStart);
  std::string_view basePath =
      pathStart == std::string_view::npos ? std::string_view("/") : base.substr(pathStart);
  basePath = basePath.substr(0, basePath.find('?'));
  if (basePath.empty()) basePath = "/";
  if (location.starts_with("//")) return std::string(base.substr(0, scheme + 1)).append(location);
  if (location.starts_with('?')) return std::string(origin).append(basePath).append(location);
  std::string_view query;
  if (const std::size_t q = location.find('?'); q != std::string_view::npos) {
    query = location.substr(q);
    location = location.substr(0, q);
  }
  std::string path;
  if (location.starts_with('/')) {
    path = std::string(location);
  } else {
    path = std::string(basePath.substr(0, basePath.rfind('/') + 1)).append(location);
  }
  return std::string(origin).append(WithoutDotSegments(path)).append(query);
}

}  // namespace brevak
