// The frame of one import run. Tested by tests/import/importrun_test.cpp.
#include "import/importrun.h"

#include <cstdint>
#include <utility>

#include "base/exception.h"
#include "base/showntext.h"
#include "listfile/codepage.h"
#include "listfile/listfile.h"
#include "listfile/stringlist.h"
#include "net/httpsend.h"
#include "net/proxy.h"
#include "net/sourceurl.h"

namespace brevak {
namespace {

// i * 100 div d, truncating toward zero. The product is taken in 64 bits so that a document of
// more than 21 million lines does not wrap around into a negative value.
int PercentOf(std::int64_t i, std::int64_t d) { return static_cast<int>(i * 100 / d); }

// A line of the document, as units or as bytes, and the rule's step for it.
bool NextLine(TDocumentLines& lines, std::u16string_view& line) { return lines.Next(line); }
bool NextLine(TDocumentLines& lines, std::string_view& line) { return lines.NextAnsi(line); }
void ApplyRule(TLineRule& rule, std::u16string_view line, TStringList& listFile) {
  rule.Apply(line, listFile);
}
void ApplyRule(TLineRule& rule, std::string_view line, TStringList& listFile) {
  rule.ApplyAnsi(line, listFile);
}

// The line loop and the bar, with the lines taken as TView.
template <typename TView>
void ApplyToLines(const TImportSettings& s, TLineRule& rule, TImportHost& host,
                  TDocumentLines& lines, TStringList& listFile) {
  const int n = lines.Count();
  TView line;
  for (int i = 0; NextLine(lines, line); ++i) {
    if (i < s.FirstLine) continue;
    ApplyRule(rule, line, listFile);
    if (s.Progress == TProgressMode::PerLine) {
      host.SetPercent(PerLinePercent(i, n));
      host.ProcessMessages();
    }
  }
}

// The middle of a run: fetch, header and body in the source's order, the line loop and the bar.
// Returns false when the fetch failed, with its cause. The lines are decoded as the loop reaches
// them, from the body's bytes, which go as soon as the last lines are decoded: the entries of a
// long last line are then appended while its bytes are already free. A rule that takes the bytes
// of a document in the code page gets them undecoded, and they go after the last line.
bool FetchAndRead(const TImportSettings& s, TLineRule& rule, TImportHost& host,
                  const TFetchFn& fetch, TMemoryStream& document, TDocumentLines& lines,
                  TStringList& listFile, std::string& cause) {
  if (!fetch(s.Url, document, cause)) return false;
  const std::size_t documentBytes = document.Size() - document.Position();
  if (s.HeaderPlacement == THeaderPlacement::BeforeBody) {
    listFile.Add(s.Header);
    lines.LoadFromStream(std::move(document));
  } else {
    lines.LoadFromStream(std::move(document));
    listFile.Add(s.Header);
  }
  const int n = lines.Count();
  rule.Prepare(n, documentBytes, listFile);
  if (rule.TakesAnsi() && lines.InAnsiCodePage()) {
    ApplyToLines<std::string_view>(s, rule, host, lines, listFile);
  } else {
    ApplyToLines<std::u16string_view>(s, rule, host, lines, listFile);
  }
  if (s.Progress == TProgressMode::OnceAfter) {
    host.SetPercent(OnceAfterPercent(n));
    host.ProcessMessages();
  }
  return true;
}

}  // namespace

void TLineRule::ApplyAnsi(std::string_view line, TStringList& listFile) {
  Apply(AnsiDecode(line), listFile);
}

int PerLinePercent(int i, int n) { return n == 1 ? 100 : PercentOf(i, n - 1); }

int OnceAfterPercent(int n) {
  if (n == 0) return 0;
  if (n == 1) return 100;
  return PercentOf(n, n - 1);
}

namespace {

constexpr std::string_view kMovedTo = ". The list is now at ";

}  // namespace

std::string StatusCause(int code, std::string_view reason, std::string_view location,
                        std::string_view url, std::string_view through) {
  if (code == 0 || (code >= 200 && code <= 299)) return {};
  std::string cause = "the server answered " + std::to_string(code);
  // Appended piece by piece: GCC 12 at -O3 takes " " + std::string(...) for an overlapping copy
  // (-Wrestrict) that cannot happen.
  if (!reason.empty()) cause.append(" ").append(ShownText(reason));
  cause.append(through);
  const bool redirect = code == 301 || code == 302 || code == 303 || code == 307 || code == 308;
  if (!redirect || location.empty()) return cause;
  const std::string moved = ResolveLocation(url, location);
  if (IsFetchableUrl(moved)) return cause.append(kMovedTo).append(moved);
  return cause.append(" (the list is now at ").append(ShownText(location)).append(")");
}

std::string MovedTo(std::string_view cause) {
  const std::size_t at = cause.rfind(kMovedTo);
  if (at == std::string_view::npos) return {};
  const std::string_view url = cause.substr(at + kMovedTo.size());
  return IsFetchableUrl(url) ? std::string(url) : std::string();
}

bool HTTPFetchWaiting(const std::string& url, TMemoryStream& document, std::string& cause,
                      const std::function<bool()>& keepWaiting, int maxTime) {
  THTTPSend http;
  http.WaitHook = keepWaiting;
  http.MaxTime = maxTime;
  TProxySetting proxy;
  if (!ProxyForUrl(url, ProcessEnvironment, proxy, cause)) return false;
  if (!proxy.Host.empty()) {
    http.ProxyHost = proxy.Host;
    http.ProxyPort = proxy.Port;
    http.ProxyUser = proxy.User;
    http.ProxyPass = proxy.Password;
  }
  if (!http.HTTPMethod("GET", url)) {
    if (http.Stopped()) throw EFetchStopped();
    cause = http.ErrorCause();
    return false;
  }
  cause = StatusCause(http.ResultCode(), http.ResultString(), http.Header("Location"), url,
                      http.ThroughProxy());
  if (cause.empty()) {
    document = std::move(http.Document());
    document.SetPosition(0);
    return true;
  }
  // Through a proxy, its own refusal is not the server's answer; any other error page may be the
  // proxy's (502, 503, 504) as well as the server's, which the cause says.
  if (!proxy.Host.empty() && http.ResultCode() == 407)
    cause = http.ProxyAnswered(407, http.ResultString());
  return false;
}

TFetchFn HTTPFetchFor(TImportHost& host) {
  return [&host](const std::string& url, TMemoryStream& document, std::string& cause) {
    return HTTPFetchWaiting(
        url, document, cause, [&host] { return host.KeepWaiting(); }, kRequestTimeLimit);
  };
}

TFetchFn HTTPFetchWithin(int maxTime) {
  return [maxTime](const std::string& url, TMemoryStream& document, std::string& cause) {
    return HTTPFetchWaiting(url, document, cause, nullptr, maxTime);
  };
}

bool HTTPFetch(const std::string& url, TMemoryStream& document, std::string& cause) {
  return HTTPFetchWaiting(url, document, cause, nullptr, kRequestTimeLimit);
}

namespace {

Exception FetchFailed(const TImportSettings& s, const std::string& cause) {
  return Exception("Could not fetch \"" + s.Name + "\" from " + s.Url + ": " +
                   (cause.empty() ? "unknown error" : cause));
}

}  // namespace

void ImportIntoList(const TImportSettings& s, TLineRule& rule, TImportHost& host,
                    const TFetchFn& fetch, TStringList& listFile) {
  host.SetPercent(0);
  TMemoryStream document;
  TDocumentLines lines;
  std::string cause;
  if (!FetchAndRead(s, rule, host, fetch, document, lines, listFile, cause))
    throw FetchFailed(s, cause);
}

void RunImportFrame(const TImportSettings& s, TLineRule& rule, TImportHost& host,
                    const TFetchFn& fetch) {
  host.SetPercent(0);
  auto document = std::make_unique<TMemoryStream>();
  auto lines = std::make_unique<TDocumentLines>();
  TStringList listFile;
  LoadListFile(s.ListFile, listFile);  // an error here leaves the file as it was: nothing to save

  // The body and its lines go before the save, on every way out, so that their memory is free
  // while the list file is encoded.
  auto finish = [&] {
    lines.reset();
    document.reset();
    SaveListFile(s.ListFile, listFile);
  };
  std::string cause;
  bool fetched = false;
  try {
    fetched = FetchAndRead(s, rule, host, fetch, *document, *lines, listFile, cause);
  } catch (...) {
    finish();
    throw;
  }
  finish();
  if (!fetched) throw FetchFailed(s, cause);
}

}  // namespace brevak
