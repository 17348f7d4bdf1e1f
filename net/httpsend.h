// THTTPSend: blocking HTTP requests, one at a time, over a TTCPBlockSocket (TLS for https URLs);
// the program sends GET.
// URL splitting and the request head live here; the response parsing (status line, header block,
// body framing) is in httpresponse.*. Tested by tests/net/httpsend_test.cpp.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/memorystream.h"

namespace brevak {

class TTCPBlockSocket;
class THTTPResponseReader;

// The longest one request may take by default, in ms, from the name lookup to the body's last
// byte, however steadily the server sends.
inline constexpr int kRequestTimeLimit = 600000;

// How the response body is framed.
enum TTransferEncoding { TE_UNKNOWN, TE_IDENTITY, TE_CHUNKED };

// The parts of a URL as the client uses them. Port and target are text, as on the wire.
struct TUrlParts {
  std::string Scheme = "http";
  std::string User;
  std::string Password;
  std::string Host;
  std::string Port = "80";
  std::string Target = "/";  // "/" followed by the path and the query; never a fragment
  bool HostGiven = false;    // the URL names a host (Host is "localhost" when it does not)
  bool PortGiven = false;    // the URL names a port (Port is the scheme's when it does not)
};

// Where the user part of a URL ends, in rest, the URL after its "scheme://": at the last '@'
// before the path, as a password may hold an '@' itself; npos when there is no user part.
std::size_t UserPartEnd(std::string_view rest);

// Splits a URL into scheme, user, password, host, port and request target. A "#" fragment is
// dropped (the user part, taken first, may hold a "#"). Never fails: whatever is missing keeps its
// default; an empty host becomes "localhost".
TUrlParts SplitUrl(const std::string& url);

class THTTPSend {
public:
  THTTPSend();
  // Uses the given socket instead of a new TTCPBlockSocket (a scripted transport in tests).
  explicit THTTPSend(std::unique_ptr<TTCPBlockSocket> sock);
  ~THTTPSend();
  THTTPSend(const THTTPSend&) = delete;
  THTTPSend& operator=(const THTTPSend&) = delete;

  // Sends one request for URL and reads the whole response. True when a complete response was read,
  // whatever its status (404, 301 ... included); false on a network, TLS or framing failure, with
  // ErrorCause() telling why. Never throws.
  bool HTTPMethod(const std::string& method, const std::string& url);

  // The response body (chunk framing removed), read position 0 after HTTPMethod.
  TMemoryStream& Document() { return FDocument; }
  // After a response: the status line, the header lines (folded lines joined) and a final empty
  // line; empty for an answer without a status line.
  const std::vector<std::string>& Headers() const { return FHeaders; }
  // 500 until a status line is read, then its code; 0 when the first line was no status line.
  int ResultCode() const { return FResultCode; }
  const std::string& ResultString() const { return FResultString; }
  // The byte count of the last counted body piece (Content-Length, or the last chunk size).
  int64_t DownloadSize() const { return FDownloadSize; }
  // After a false result: a human-readable cause (UTF-8), e.g. "connection refused"; else empty.
  // Through a proxy it ends in ThroughProxy(), unless it names the proxy itself.
  const std::string& ErrorCause() const { return FErrorCause; }
  // The proxy as messages name it, "HOST:PORT"; empty without one.
  std::string ProxyName() const;
  // " (through proxy HOST:PORT)" when the request goes through a proxy, else empty: what ends a
  // failure's cause, so that a proxy's own error page is not taken for the server's.
  std::string ThroughProxy() const;
  // "proxy HOST:PORT answered CODE REASON": the proxy's own refusal (to CONNECT, or a 407).
  std::string ProxyAnswered(int code, const std::string& reason) const;
  // After a false result: whether WaitHook stopped the request.
  bool Stopped() const { return FStopped; }
  // The trimmed value of the response's first header line named name (any case); "" when none.
  std::string Header(std::string_view name) const;
  const std::string& TargetHost() const { return FTargetHost; }
  const std::string& TargetPort() const { return FTargetPort; }
  TTCPBlockSocket& Sock() { return *FSock; }

  // Settings.
  std::string Protocol = "1.0";
  std::string UserAgent = "Mozilla/4.0 (compatible; Brevak)";
  bool KeepAlive = true;
  int KeepAliveTimeout = 300;  // seconds, written in the Keep-Alive header
  // ms: the name lookup, connecting, sending, the TLS handshake and each wait for data
  int Timeout = 90000;
  // ms for the whole request, from the name lookup to the body's last byte; 0: no limit. Past it
  // the request fails with "timed out after N s".
  int MaxTime = kRequestTimeLimit;
  // Runs between the short slices of every wait of the request; false stops it (the connection
  // is closed, HTTPMethod returns false and Stopped() is true). Empty: nothing runs.
  std::function<bool()> WaitHook;
  bool AddPortNumberToHost = true;
  bool Status100 = false;  // not consulted: no request asks for 100 Continue
  // The Content-Type sent with a request body; after a response, the response's Content-Type.
  std::string MimeType = "text/html";
  int64_t RangeStart = 0;
  int64_t RangeEnd = 0;
  std::vector<std::string> Cookies;  // name=value
  std::string UserName;
  std::string Password;
  // An HTTP proxy for the request; empty: straight to the URL's host. An https URL goes through
  // a CONNECT tunnel. ProxyUser (and ProxyPass) add Proxy-Authorization: Basic.
  std::string ProxyHost;
  std::string ProxyPort = "8080";
  std::string ProxyUser;
  std::string ProxyPass;
  std::string IPInterface = "0.0.0.0";  // not consulted: the socket binds no local address

  // Largest response body accepted; a larger one makes HTTPMethod fail.
  int64_t MaxBodySize = int64_t(256) << 20;

private:
  bool DoHTTPMethod(const std::string& method, const std::string& url);
  // Leaves the socket connected to the URL's place (through the proxy, and TLS for tls): the
  // connection of the last request when it may serve again, else a new one. False after Fail.
  bool ConnectOrReuse(const TUrlParts& parts, bool tls, bool viaProxy);
  // Copies the response's status, counted size and Content-Type from reader, Document rewound.
  void TakeResult(const THTTPResponseReader& reader);
  // Closes the connection and forgets its place, so that the next request connects anew.
  void DropConnection();
  // The request head: request line, header lines, empty line, each ending in CR LF.
  // absoluteTarget: the request goes to an HTTP proxy, which is asked for the whole URL.
  std::string ComposeHead(const std::string& method, const TUrlParts& url, std::size_t bodySize,
                          bool absoluteTarget) const;
  // Through the proxy, a tunnel to the URL's host and port (CONNECT): false (after Fail) unless
  // the proxy answered 2xx.
  bool OpenTunnel(const TUrlParts& url);
  // A failure on the way to the proxy, named as the proxy's.
  std::string ProxyCause(const std::string& cause) const;
  // What the socket was doing when it failed: a TLS failure reads differently at the handshake.
  enum class TSocketStage { Handshake, Transfer };
  // The socket's last error in words.
  std::string SocketCause(TSocketStage stage) const;
  // Records the cause (with ThroughProxy() after it), drops the connection and returns false.
  bool Fail(std::string cause);
  // The same for a cause that names the proxy itself, or no party at all.
  bool FailAsIs(std::string cause);
  // Keeps the name=value pair of each Set-Cookie line in Cookies.
  void StoreCookies();

  std::unique_ptr<TTCPBlockSocket> FSock;
  TMemoryStream FDocument;
  std::vector<std::string> FHeaders;
  int FResultCode = 500;
  std::string FResultString;
  int64_t FDownloadSize = 0;
  std::string FErrorCause;
  bool FStopped = false;
  bool FOverTime = false;  // the request ran past MaxTime
  std::string FTargetHost;
  std::string FTargetPort;
  std::string FAliveHost;  // host and port of the connection left open, empty when none
  std::string FAlivePort;
};

}  // namespace brevak
