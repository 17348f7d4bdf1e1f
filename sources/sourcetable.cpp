// The table of the ten sources, their hosts from "sources.ini", and the import of one source.
#include "sources/sourcetable.h"

#include <algorithm>
#include <cassert>
#include <cerrno>
#include <functional>
#include <optional>
#include <string_view>
#include <vector>

#include "base/exception.h"
#include "base/showntext.h"
#include "listfile/fileio.h"
#include "listfile/profile.h"
#include "net/hostaddress.h"
#include "net/sourceurl.h"
#include "text/matcher.h"

namespace brevak {
namespace {

using enum THeaderPlacement;
using enum TProgressMode;

// Whether a row's rule searches with the run's matcher.
constexpr bool kWithMatcher = true;
constexpr bool kNoMatcher = false;

// Indexed by TSourceId.
const TSourceInfo kSources[kSourceCount] = {
    {TSourceId::Hamlog, "Hamlog", u"[Hamlog]", u"=User Hamlog", "https", "/list/callsign-all.txt",
     "hamlog.invalid", AfterBody, 0, OnceAfter, kNoMatcher, MakeHamlogRule},
    {TSourceId::SRR, "SRR", u"[SRR]", u"=SRR Member", "http",
     "/wp-content/uploads/2017/08/srr_qslbureau.csv", "srr.invalid", AfterBody, 0, OnceAfter,
     kNoMatcher, MakeSRRRule},
    {TSourceId::KDR, "KDR", u"[KDR]", u"=KDR \u2116", "http", "/index.php?id_page=155",
     "kdr.invalid", BeforeBody, 0, PerLine, kWithMatcher, MakeKDRRule},
    {TSourceId::AGB, "AGB", u"[AGB]", u"=AGB \u2116", "http", "/club/agb-list.txt", "agb.invalid",
     AfterBody, 1, PerLine, kNoMatcher, MakeAGBRule},
    {TSourceId::ARCK, "ARCK", u"[ARCK]", u"=ARCK", "http", "/p0101.htm", "arck.invalid", BeforeBody,
     0, PerLine, kWithMatcher, MakeARCKRule},
    {TSourceId::RCWC, "RCWC", u"[RCWC]", u"=RCWC", "http", "/?do=members&getlist=1", "rcwc.invalid",
     AfterBody, 0, OnceAfter, kNoMatcher, MakeRCWCRule},
    {TSourceId::FiveOcean, "5 Ocean", u"[5 Ocean]", u"=5 Ocean", "http", "/callbook/",
     "5ocean.invalid", BeforeBody, 0, PerLine, kWithMatcher, MakeFiveOceanRule},
    {TSourceId::RRC, "RRC", u"[RRC]", u"=RRC", "http", "/rrc/CLUB/members.asp?ORDER=1",
     "rrc.invalid", AfterBody, 0, PerLine, kWithMatcher, MakeRRCRule},
    // The fragment stays in the address the user sees; the client never sends it.
    {TSourceId::RCPW, "RCPW", u"[RCPW]", u"=RCPW", "http", "/members.html#close", "rcpw.invalid",
     BeforeBody, 0, PerLine, kWithMatcher, MakeRCPWRule},
    {TSourceId::RadioWave, "RadioWave", u"[RadioWave]", u"=Radio Wave", "http", "/membership/",
     "radiowave.invalid", AfterBody, 0, PerLine, kWithMatcher, MakeRadioWaveRule},
};

// A host, host:port or [IPv6]:port, and nothing that would change the rest of the URL.
bool IsHostValue(const std::string& v) {
  if (v.empty() || v.size() > 255) return false;
  for (unsigned char c : v) {
    bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
              c == '.' || c == '-' || c == '_' || c == ':' || c == '[' || c == ']' || c == '%';
    if (!ok) return false;
  }
  std::size_t open = v.find('[');
  if (open != std::string::npos) {
    std::size_t close = v.find(']');
    if (open != 0 || close == std::string::npos || v.find('[', 1) != std::string::npos ||
        v.find(']', close + 1) != std::string::npos)
      return false;
    std::string after = v.substr(close + 1);
    return after.empty() || (after[0] == ':' && IsPortNumber(std::string_view(after).substr(1)));
  }
  if (v.find(']') != std::string::npos) return false;
  std::size_t colon = v.find(':');
  if (colon == std::string::npos) return true;
  return colon > 0 && IsPortNumber(std::string_view(v).substr(colon + 1));
}

// A whole address in place of the source's built-in one.
bool IsUrlValue(const std::string& v) { return v.find("://") != std::string::npos; }

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

std::size_t NameDistance(std::string_view a, std::string_view b) {
  std::vector<std::vector<std::size_t>> d(a.size() + 1, std::vector<std::size_t>(b.size() + 1));
  for (std::size_t i = 0; i <= a.size(); ++i) d[i][0] = i;
  for (std::size_t j = 0; j <= b.size(); ++j) d[0][j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    for (std::size_t j = 1; j <= b.size(); ++j) {
      std::size_t cost = LowerAscii(a[i - 1]) == LowerAscii(b[j - 1]) ? 0 : 1;
      d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + cost});
      if (i > 1 && j > 1 && LowerAscii(a[i - 1]) == LowerAscii(b[j - 2]) &&
          LowerAscii(a[i - 2]) == LowerAscii(b[j - 1]))
        d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
    }
  }
  return d[a.size()][b.size()];
}

namespace {

// Keys match source names as profile keys do: ASCII case ignored.
bool IsSourceName(std::string_view key) {
  for (const TSourceInfo& info : kSources)
    if (NameDistance(key, info.Name) == 0) return true;
  return false;
}

// The keys of [Hosts]; a sources.ini that exists but cannot be read is an error, an absent one
// has none.
std::vector<std::string> HostKeys(const std::string& path) {
  std::vector<std::string> keys;
  int err = ReadProfileKeys(path, "Hosts", keys);
  if (err != 0 && err != ENOENT)
    throw Exception("Cannot read file \"" + ShownText(path) + "\". " + FileErrorText(err));
  return keys;
}

// Why a fetch of a source without a configured host failed: nothing was set, and where to set it.
std::string NoHostMessage(const TSourceInfo& info, const std::string& path,
                          const std::string& example) {
  std::string message = std::string("No host is set for \"") + info.Name + "\": add " + info.Name +
                        "=HOST[:PORT] under [Hosts] in " + ShownText(path);
  // A key that names no source but is a slip away from this one was most likely meant for it.
  constexpr std::size_t kNearEdits = 2;
  std::vector<std::string> near;
  for (const std::string& key : HostKeys(path)) {
    const bool comment = key.starts_with(';') || key.starts_with('#');
    if (!comment && key.size() < 64 && !IsSourceName(key) &&
        NameDistance(key, info.Name) <= kNearEdits)
      near.push_back(key);
  }
  if (!near.empty()) {
    message += " (";
    for (std::size_t i = 0; i < near.size(); ++i)
      message += (i ? ", \"" : "\"") + ShownText(near[i]) + "\"";
    message += near.size() == 1 ? " in sources.ini is no source's name)"
                                : " in sources.ini are no source's names)";
  }
  // A new install has no sources.ini yet; the example the package installs lists every key.
  if (!example.empty()) message += ". Every key is listed in " + ShownText(example);
  return message;
}

}  // namespace

const TSourceInfo* SourceTable() { return kSources; }

const TSourceInfo& SourceInfo(TSourceId id) {
  const TSourceInfo& info = kSources[static_cast<int>(id)];
  assert(info.Id == id);
  return info;
}

TImportFiles ImportFilesIn(std::string dir) {
  if (dir.empty() || dir.back() != '/') dir += '/';
  return {dir + "brevak.ini", {dir + "sources.ini"}, dir + "sources.ini", ""};
}

std::string SourcesFile(const TImportFiles& files) {
  for (const std::string& path : files.SourcesFiles)
    if (FileExists(path)) return path;
  return files.NewSourcesFile;
}

std::string SourceHost(const TSourceInfo& info, const TImportFiles& files) {
  std::string path = SourcesFile(files);
  // sources.ini chooses the servers: one that another user could have written is refused.
  if (int err = SharedFileError(path)) throw EFOpenError(path, err);
  HostKeys(path);  // refuses a file that exists but cannot be read
  std::string host = ReadProfileString(path, "Hosts", info.Name, "");
  if (host.empty()) return info.DefaultHost;
  if (IsUrlValue(host) ? !IsFetchableUrl(host) : !IsHostValue(host))
    throw Exception("The host \"" + ShownText(host) + "\" of \"" + info.Name + "\" in " +
                    ShownText(path) +
                    " is not a host name, host:port, [IPv6 address]:port or an http:// or "
                    "https:// URL without user name or fragment");
  return host;
}

namespace {

// A whole address stands for itself; a host gets the source's scheme, path and query.
std::string UrlWithHost(const TSourceInfo& info, const std::string& host) {
  if (IsUrlValue(host)) return host;
  return std::string(info.Scheme) + "://" + host + info.PathAndQuery;
}

TImportSettings SettingsWithHost(const TSourceInfo& info, const std::string& host,
                                 const TImportFiles& files) {
  TImportSettings s;
  s.ListFile = files.ListFile;
  s.Name = info.Name;
  s.Header = info.Header;
  s.Url = UrlWithHost(info, host);
  s.HeaderPlacement = info.HeaderPlacement;
  s.FirstLine = info.FirstLine;
  s.Progress = info.Progress;
  return s;
}

}  // namespace

std::string SourceUrl(const TSourceInfo& info, const TImportFiles& files) {
  return UrlWithHost(info, SourceHost(info, files));
}

TImportSettings SourceSettings(const TSourceInfo& info, const TImportFiles& files) {
  return SettingsWithHost(info, SourceHost(info, files), files);
}

namespace {

// What runs the frame for a source: on the list file, or on a list the caller holds.
using TFrameRun = std::function<void(const TImportSettings&, TLineRule&, const TFetchFn&)>;

void ImportSource(TSourceId source, const TImportFiles& files, const TFetchFn& fetch,
                  const TFrameRun& run) {
  const TSourceInfo& info = SourceInfo(source);
  // sources.ini is read once per run: the host gives both the URL and the message for a source
  // left on its built-in name.
  const std::string hostName = SourceHost(info, files);
  TImportSettings settings = SettingsWithHost(info, hostName, files);
  // The matcher lives as long as the run and goes with it.
  std::optional<TMatcher> matcher;
  if (info.SearchesWithMatcher) matcher.emplace();
  std::unique_ptr<TLineRule> rule = info.MakeRule(matcher ? &*matcher : nullptr);
  // A list that moved is not followed; the user learns what to set to fetch it from there.
  bool failed = false;
  auto noted = [&](const std::string& url, TMemoryStream& document, std::string& cause) {
    failed = !fetch(url, document, cause);
    if (const std::string moved = MovedTo(cause); failed && !moved.empty())
      cause += ": to fetch it from there, set " + std::string(info.Name) + "=" + moved +
               " under [Hosts] in " + ShownText(SourcesFile(files));
    return !failed;
  };
  if (hostName != info.DefaultHost) {
    run(settings, *rule, noted);
    return;
  }
  // The built-in host never resolves: when its fetch fails, the user learns what to set instead
  // of "host not found".
  try {
    run(settings, *rule, noted);
  } catch (const EFetchStopped&) {
    throw;
  } catch (const Exception&) {
    if (failed) throw Exception(NoHostMessage(info, SourcesFile(files), files.ExampleFile));
    throw;
  }
}

}  // namespace

void ImportSourceWithFetch(TSourceId source, const TImportFiles& files, TImportHost& host,
                           const TFetchFn& fetch) {
  ImportSource(source, files, fetch,
               [&](const TImportSettings& s, TLineRule& rule, const TFetchFn& f) {
                 RunImportFrame(s, rule, host, f);
               });
}

void ImportSourceIntoList(TSourceId source, const TImportFiles& files, TImportHost& host,
                          const TFetchFn& fetch, TStringList& list) {
  ImportSource(source, files, fetch,
               [&](const TImportSettings& s, TLineRule& rule, const TFetchFn& f) {
                 ImportIntoList(s, rule, host, f, list);
               });
}

void ImportSourceOverHttp(TSourceId source, const TImportFiles& files, TImportHost& host) {
  ImportSourceWithFetch(source, files, host, HTTPFetchFor(host));
}

}  // namespace brevak
