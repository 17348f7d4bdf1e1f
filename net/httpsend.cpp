// THTTPSend: URL splitting, the request head, connecting and the request/response sequence. The
// response itself is read by THTTPResponseReader (httpresponse.*).
// Tested by tests/net/httpsend_test.cpp.
#include "net/httpsend.h"

#include <chrono>
#include <exception>
#include <new>

#include "base/hexdigit.h"
#include "base/showntext.h"
#include "net/blocksocket.h"
#include "net/hostaddress.h"
#include "net/httpresponse.h"
#include "net/httptext.h"
#include "net/sslplugin.h"

namespace brevak {

using http::Upper;

namespace {

// Each "%" followed by two hexadecimal digits becomes that byte.
std::string PercentDecode(std::string_view s) {
  std::string r;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '%' && i + 2 < s.size() && HexDigitValue(s[i + 1]) >= 0 &&
        HexDigitValue(s[i + 2]) >= 0) {
      r += static_cast<char>(HexDigitValue(s[i + 1]) * 16 + HexDigitValue(s[i + 2]));
      i += 2;
    } else {
      r += s[i];
    }
  }
  return r;
}

std::string Base64(std::string_view s) {
  static const char kAlphabet[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string r;
  for (std::size_t i = 0; i < s.size(); i += 3) {
    unsigned n = static_cast<unsigned char>(s[i]) << 16;
    if (i + 1 < s.size()) n |= static_cast<unsigned char>(s[i + 1]) << 8;
    if (i + 2 < s.size()) n |= static_cast<unsigned char>(s[i + 2]);
    r += kAlphabet[n >> 18 & 63];
    r += kAlphabet[n >> 12 & 63];
    r += i + 1 < s.size() ? kAlphabet[n >> 6 & 63] : '=';
    r += i + 2 < s.size() ? kAlphabet[n & 63] : '=';
  }
  return r;
}

}  // namespace

std::size_t UserPartEnd(std::string_view rest) { return rest.substr(0, rest.find('/')).rfind('@'); }

TUrlParts SplitUrl(const std::string& url) {
  TUrlParts parts;
  std::string_view rest = url;
  std::size_t sep = rest.find("://");
  if (sep != std::string_view::npos) {
    parts.Scheme = std::string(rest.substr(0, sep));
    rest.remove_prefix(sep + 3);
  }
  std::string scheme = Upper(parts.Scheme);
  if (scheme == "HTTPS")
    parts.Port = "443";
  else if (scheme == "FTP")
    parts.Port = "21";

  std::size_t at = UserPartEnd(rest);
  if (at != std::string_view::npos) {
    std::string_view userPart = rest.substr(0, at);
    rest.remove_prefix(at + 1);
    std::size_t colon = userPart.find(':');
    parts.User = PercentDecode(userPart.substr(0, colon));
    if (colon != std::string_view::npos) parts.Password = PercentDecode(userPart.substr(colon + 1));
  }

  // A fragment names a place inside the page for the reader; it is never part of a request.
  rest = rest.substr(0, rest.find('#'));
  std::size_t slash = rest.find('/');
  std::string_view hostPart = rest.substr(0, slash);
  std::string_view tail =
      slash == std::string_view::npos ? std::string_view() : rest.substr(slash + 1);
  if (!hostPart.empty() && hostPart[0] == '[') {
    hostPart.remove_prefix(1);
    std::size_t close = hostPart.find(']');
    parts.Host = std::string(hostPart.substr(0, close));
    if (close != std::string_view::npos && hostPart.substr(close + 1, 1) == ":") {
      parts.Port = std::string(hostPart.substr(close + 2));
      parts.PortGiven = true;
    }
  } else {
    std::size_t colon = hostPart.find(':');
    parts.Host = std::string(hostPart.substr(0, colon));
    if (colon != std::string_view::npos) {
      parts.Port = std::string(hostPart.substr(colon + 1));
      parts.PortGiven = true;
    }
  }
  parts.HostGiven = !parts.Host.empty();
  // Appended to the "/" it starts with: GCC 12 at -O3 takes "/" + std::string(tail) for an
  // overlapping copy (-Wrestrict) that cannot happen.
  parts.Target.append(tail);
  if (parts.Host.empty()) parts.Host = "localhost";
  return parts;
}

THTTPSend::THTTPSend() : THTTPSend(std::make_unique<TTCPBlockSocket>()) {}

THTTPSend::THTTPSend(std::unique_ptr<TTCPBlockSocket> sock) : FSock(std::move(sock)) {
  FSock->ConvertLineEnd = true;
}

THTTPSend::~THTTPSend() {
  if (FSock) FSock->CloseSocket();
}

namespace {

// host:port, an IPv6 literal in brackets; the port left off when it is "80" and not always wanted.
std::string Authority(const std::string& host, const std::string& port, bool alwaysPort) {
  std::string r = host.find(':') != std::string::npos ? "[" + host + "]" : host;
  if (alwaysPort || port != "80") r += ":" + port;
  return r;
}

// ms as seconds: "600", "0.25".
std::string SecondsText(int ms) {
  std::string text = std::to_string(ms / 1000);
  if (ms % 1000 != 0) {
    std::string fraction = std::to_string(1000 + ms % 1000).substr(1);
    text += "." + fraction.substr(0, fraction.find_last_not_of('0') + 1);
  }
  return text;
}

std::string PortCause(const char* what, const std::string& port) {
  return std::string(what) + " \"" + ShownText(port) + "\" is not a number from 1 to 65535";
}

}  // namespace

std::string THTTPSend::ProxyName() const {
  return ProxyHost.empty() ? std::string() : ShownText(Authority(ProxyHost, ProxyPort, true));
}

std::string THTTPSend::ThroughProxy() const {
  return ProxyHost.empty() ? std::string() : " (through proxy " + ProxyName() + ")";
}

std::string THTTPSend::ComposeHead(const std::string& method, const TUrlParts& url,
                                   std::size_t bodySize, bool absoluteTarget) const {
  std::vector<std::string> lines;
  std::string target = url.Target == "/*" ? "*" : url.Target;
  // A proxy is asked for the whole URL.
  if (absoluteTarget) target = "http://" + Authority(url.Host, url.Port, false) + url.Target;
  std::string requestLine = Upper(method) + " " + target;
  if (Protocol != "0.9") requestLine += " HTTP/" + Protocol;
  lines.push_back(requestLine);

  lines.push_back("Host: " + Authority(url.Host, AddPortNumberToHost ? url.Port : "80", false));
  if (absoluteTarget && !ProxyUser.empty())
    lines.push_back("Proxy-Authorization: Basic " + Base64(ProxyUser + ":" + ProxyPass));

  std::string user = url.User.empty() ? UserName : url.User;
  std::string password = url.User.empty() ? Password : url.Password;
  if (!user.empty()) lines.push_back("Authorization: Basic " + Base64(user + ":" + password));
  if (KeepAlive) {
    lines.push_back("Keep-Alive: " + std::to_string(KeepAliveTimeout));
    lines.push_back("Connection: keep-alive");
  } else {
    lines.push_back("Connection: close");
  }
  if (!Cookies.empty()) {
    std::string cookie = "Cookie: ";
    for (std::size_t i = 0; i < Cookies.size(); ++i) cookie += (i ? "; " : "") + Cookies[i];
    lines.push_back(cookie);
  }
  if (RangeStart > 0 || RangeEnd > 0) {
    std::string range = "Range: bytes=" + std::to_string(RangeStart) + "-";
    if (RangeEnd >= RangeStart && RangeEnd > 0) range += std::to_string(RangeEnd);
    lines.push_back(range);
  }
  if (!UserAgent.empty()) lines.push_back("User-Agent: " + UserAgent);
  if (bodySize > 0) {
    lines.push_back("Content-Type: " + MimeType);
    lines.push_back("Content-Length: " + std::to_string(bodySize));
  }
  lines.push_back("");

  std::string head;
  for (const std::string& line : lines) head += line + "\r\n";
  return head;
}

std::string THTTPSend::SocketCause(TSocketStage stage) const {
  const TTCPBlockSocket& sock = *FSock;
  switch (sock.LastError()) {
    case WSAHOST_NOT_FOUND:
      return "host not found";
    case WSAECONNREFUSED:
      return "connection refused";
    case WSAETIMEDOUT:
      return "timed out";
    case WSAECONNRESET:
      return sock.PeerReset() ? "connection reset by the server"
                              : "connection closed by the server";
    case WSAECANCELLED:
      return "stopped";
    case WSAENOBUFS:
      return "out of memory";
    case WSASYSNOTREADY:
      if (FSock->SSL().LibName() == "ssl_none") return "TLS unavailable";
      return (stage == TSocketStage::Handshake ? "TLS handshake failed: " : "TLS error: ") +
             sock.LastErrorDesc();
    default:
      return sock.LastErrorDesc().empty() ? "network error " + std::to_string(sock.LastError())
                                          : sock.LastErrorDesc();
  }
}

bool THTTPSend::Fail(std::string cause) { return FailAsIs(std::move(cause) + ThroughProxy()); }

bool THTTPSend::FailAsIs(std::string cause) {
  // A wait cut short by the time limit is a time-out, not the caller's stop.
  FStopped = !FOverTime && FSock->LastError() == WSAECANCELLED;
  FErrorCause = FOverTime ? "timed out after " + SecondsText(MaxTime) + " s" + ThroughProxy()
                          : std::move(cause);
  DropConnection();
  return false;
}

bool THTTPSend::HTTPMethod(const std::string& method, const std::string& url) {
  try {
    return DoHTTPMethod(method, url);
  } catch (const std::bad_alloc&) {
    return Fail("out of memory");
  } catch (const std::exception& e) {
    return Fail(e.what());
  }
}

bool THTTPSend::DoHTTPMethod(const std::string& method, const std::string& url) {
  FErrorCause.clear();
  FStopped = false;
  FOverTime = false;
  // The whole request's limit is checked where the caller's hook runs: between the slices of
  // every wait, and every slice or so while data keeps arriving.
  FSock->WaitHook = WaitHook;
  if (MaxTime > 0) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(MaxTime);
    FSock->WaitHook = [this, deadline] {
      if (std::chrono::steady_clock::now() >= deadline) {
        FOverTime = true;
        return false;
      }
      return !WaitHook || WaitHook();
    };
  }
  FResultCode = 500;
  FResultString.clear();
  FDownloadSize = 0;
  TUrlParts parts = SplitUrl(url);
  FTargetHost = parts.Host;
  FTargetPort = parts.Port;

  // A request body is whatever Document holds at the call.
  std::string body(FDocument.Bytes());
  FDocument.Clear();
  const bool tls = Upper(parts.Scheme) == "HTTPS";
  const bool viaProxy = !ProxyHost.empty();
  // A port past 65535 would wrap around to another one.
  if (viaProxy && !IsPortNumber(ProxyPort)) return FailAsIs(PortCause("the proxy port", ProxyPort));
  if (!IsPortNumber(parts.Port)) return FailAsIs(PortCause("the port", parts.Port));
  std::string head = ComposeHead(method, parts, body.size(), viaProxy && !tls);

  if (!ConnectOrReuse(parts, tls, viaProxy)) return false;

  FHeaders.clear();
  std::string_view request = head;
  FHeaders.push_back(head);  // the request head while it is sent
  FSock->SendString(request);
  if (FSock->LastError() == 0 && !body.empty()) FSock->SendString(body);
  if (FSock->LastError() != 0) return Fail(SocketCause(TSocketStage::Transfer));

  FHeaders.clear();
  FDocument.Clear();
  MimeType = "text/html";
  RangeStart = RangeEnd = 0;
  THTTPResponseReader reader(*FSock, Timeout, MaxBodySize, FDocument, FHeaders);
  bool ok = reader.Read(method);
  TakeResult(reader);
  if (!ok)
    return Fail(reader.FailCause.empty() ? SocketCause(TSocketStage::Transfer) : reader.FailCause);

  if (Protocol != "1.1" || reader.Framing.Close) DropConnection();
  StoreCookies();
  return true;
}

bool THTTPSend::ConnectOrReuse(const TUrlParts& parts, bool tls, bool viaProxy) {
  // Reuse only a connection to the same place that the server has left quiet: bytes waiting on
  // it now would be the end of an earlier answer, or the server closing it.
  bool reuse = !viaProxy && FSock->IsOpen() && FAliveHost == parts.Host &&
               FAlivePort == parts.Port && !FSock->CanRead(0);
  if (reuse) return true;
  DropConnection();
  FSock->ConnectionTimeout = Timeout;
  FSock->Connect(viaProxy ? ProxyHost : parts.Host, viaProxy ? ProxyPort : parts.Port);
  if (FSock->LastError() != 0) {
    std::string cause = SocketCause(TSocketStage::Transfer);
    return viaProxy ? FailAsIs(ProxyCause(cause)) : Fail(cause);
  }
  if (viaProxy && tls && !OpenTunnel(parts)) return false;
  if (tls) {
    // No name for an address: a server name is a host name only.
    FSock->SSL().SNIHost = ServerNameFor(parts.Host);
    bool ok = FSock->SSLDoConnect();
    FSock->SSL().SNIHost.clear();
    if (!ok) return Fail(SocketCause(TSocketStage::Handshake));
  }
  FAliveHost = parts.Host;
  FAlivePort = parts.Port;
  return true;
}

void THTTPSend::TakeResult(const THTTPResponseReader& reader) {
  FResultCode = reader.ResultCode;
  FResultString = reader.ResultString;
  FDownloadSize = reader.DownloadSize;
  MimeType = reader.Framing.MimeType;
  FDocument.SetPosition(0);
}

void THTTPSend::DropConnection() {
  FSock->CloseSocket();
  FAliveHost.clear();
  FAlivePort.clear();
}

std::string THTTPSend::Header(std::string_view name) const {
  std::string prefix = Upper(name) + ":";
  // The first entry is the status line, the last the block's empty line.
  for (std::size_t i = 1; i < FHeaders.size(); ++i) {
    if (http::StartsWith(Upper(std::string_view(FHeaders[i]).substr(0, prefix.size())), prefix))
      return std::string(http::Trim(std::string_view(FHeaders[i]).substr(prefix.size())));
  }
  return {};
}

std::string THTTPSend::ProxyCause(const std::string& cause) const {
  std::string proxy = "proxy " + ProxyName();
  if (FSock->LastError() == WSAECONNREFUSED) return proxy + " refused the connection";
  return proxy + ": " + cause;
}

std::string THTTPSend::ProxyAnswered(int code, const std::string& reason) const {
  std::string cause = "proxy " + ProxyName() + " answered " + std::to_string(code);
  if (!reason.empty()) cause.append(" ").append(ShownText(reason));
  return cause;
}

bool THTTPSend::OpenTunnel(const TUrlParts& url) {
  std::string authority = Authority(url.Host, url.Port, true);
  std::string head = "CONNECT " + authority + " HTTP/1.1\r\nHost: " + authority + "\r\n";
  if (!ProxyUser.empty())
    head += "Proxy-Authorization: Basic " + Base64(ProxyUser + ":" + ProxyPass) + "\r\n";
  if (!UserAgent.empty()) head += "User-Agent: " + UserAgent + "\r\n";
  head += "\r\n";
  FSock->SendString(head);
  if (FSock->LastError() != 0) return FailAsIs(ProxyCause(SocketCause(TSocketStage::Transfer)));

  // The proxy's answer has a head only; after a 2xx the connection carries the origin's TLS.
  TMemoryStream none;
  std::vector<std::string> headers;
  THTTPResponseReader reader(*FSock, Timeout, 0, none, headers);
  if (!reader.ReadHead())
    return FailAsIs(ProxyCause(reader.FailCause.empty() ? SocketCause(TSocketStage::Transfer)
                                                        : reader.FailCause));
  if (reader.ResultCode == 0) return FailAsIs(ProxyCause("no HTTP answer to CONNECT"));
  if (reader.ResultCode < 200 || reader.ResultCode > 299)
    return FailAsIs(ProxyAnswered(reader.ResultCode, reader.ResultString));
  if (!FSock->LineBuffer().empty()) return FailAsIs(ProxyCause("data before the TLS handshake"));
  return true;
}

void THTTPSend::StoreCookies() {
  for (const std::string& line : FHeaders) {
    if (!http::StartsWith(Upper(line), "SET-COOKIE:")) continue;
    std::string pair(http::Trim(http::Before(http::Trim(line.substr(11)), ";")));
    std::string name(http::Before(pair, "="));
    bool replaced = false;
    for (std::string& cookie : Cookies) {
      if (http::Before(cookie, "=") == name) {
        cookie = pair;
        replaced = true;
      }
    }
    if (!replaced) Cookies.push_back(pair);
  }
}

}  // namespace brevak
