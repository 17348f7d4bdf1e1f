// The table of the ten sources, their hosts from "sources.ini", and the import of one source.
#include "sources/sourcetable.h"

#include <cassert>
#include <optional>

#include "base/exception.h"
#include "base/paths.h"
#include "listfile/fileio.h"
#include "listfile/profile.h"
#include "text/matcher.h"

namespace brevak {
namespace {

using enum THeaderPlacement;
using enum TProgressMode;
using enum TMatcherUse;

// Indexed by TSourceId.
const TSourceInfo kSources[kSourceCount] = {
    {TSourceId::Hamlog, "Hamlog", "btnHamlog", "btnHamlogClick", u"[Hamlog]", u"=User Hamlog",
     "https", "/list/callsign-all.txt", "hamlog.invalid", hpAfterBody, 0, pmOnceAfter, muNone,
     MakeHamlogRule},
    {TSourceId::SRR, "SRR", "btnSRR", "btnSRRClick", u"[SRR]", u"=SRR Member", "http",
     "/wp-content/uploads/2017/08/srr_qslbureau.csv", "srr.invalid", hpAfterBody, 0, pmOnceAfter,
     muNone, MakeSRRRule},
    {TSourceId::KDR, "KDR", "btnKDR", "btnKDRClick", u"[KDR]", u"=KDR \u2116", "http",
     "/index.php?id_page=155", "kdr.invalid", hpBeforeBody, 0, pmPerLine, muCreatedFirst,
     MakeKDRRule},
    {TSourceId::AGB, "AGB", "btnAGB", "btnAGBClick", u"[AGB]", u"=AGB \u2116", "http",
     "/club/agb-list.txt", "agb.invalid", hpAfterBody, 1, pmPerLine, muNone, MakeAGBRule},
    {TSourceId::ARCK, "ARCK", "btnARCK", "btnARCKClick", u"[ARCK]", u"=ARCK", "http", "/p0101.htm",
     "arck.invalid", hpBeforeBody, 0, pmPerLine, muCreatedFirst, MakeARCKRule},
    {TSourceId::RCWC, "RCWC", "btnRCWC", "btnRCWCClick", u"[RCWC]", u"=RCWC", "http",
     "/?do=members&getlist=1", "rcwc.invalid", hpAfterBody, 0, pmOnceAfter, muNone, MakeRCWCRule},
    {TSourceId::FiveOcean, "5 Ocean", "btn5Ocean", "btn5OceanClick", u"[5 Ocean]", u"=5 Ocean",
     "http", "/callbook/", "5ocean.invalid", hpBeforeBody, 0, pmPerLine, muCreatedFirst,
     MakeFiveOceanRule},
    {TSourceId::RRC, "RRC", "btnRDXC", "btnRDXCClick", u"[RRC]", u"=RRC", "http",
     "/rrc/CLUB/members.asp?ORDER=1", "rrc.invalid", hpAfterBody, 0, pmPerLine, muCreatedLast,
     MakeRRCRule},
    // The fragment is part of what the club's page is fetched with; the client sends it as it is.
    {TSourceId::RCPW, "RCPW", "btnRCPW", "btnRCPWClick", u"[RCPW]", u"=RCPW", "http",
     "/members.html#close", "rcpw.invalid", hpBeforeBody, 0, pmPerLine, muCreatedFirst,
     MakeRCPWRule},
    {TSourceId::RadioWave, "RadioWave", "btnRadioWave", "btnRadioWaveClick", u"[RadioWave]",
     u"=Radio Wave", "http", "/membership/", "radiowave.invalid", hpAfterBody, 0, pmPerLine,
     muCreatedFirst, MakeRadioWaveRule},
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
    return after.empty() || (after.size() > 1 && after[0] == ':' &&
                             after.find_first_not_of("0123456789", 1) == std::string::npos);
  }
  if (v.find(']') != std::string::npos) return false;
  std::size_t colon = v.find(':');
  if (colon == std::string::npos) return true;
  std::string port = v.substr(colon + 1);
  return colon > 0 && !port.empty() && port.find_first_not_of("0123456789") == std::string::npos;
}

}  // namespace

const TSourceInfo* SourceTable() { return kSources; }

const TSourceInfo& SourceInfo(TSourceId id) {
  const TSourceInfo& info = kSources[static_cast<int>(id)];
  assert(info.Id == id);
  return info;
}

std::string SourceHost(const TSourceInfo& info) {
  std::string path = SourcesFilePath();
  RefuseNonRegularFile(path);
  std::string host = ReadProfileString(path, "Hosts", info.Name, "");
  if (host.empty()) return info.DefaultHost;
  if (!IsHostValue(host))
    throw Exception("The host \"" + host + "\" of \"" + info.Name + "\" in " + path +
                    " is not a host name, host:port or [IPv6 address]:port");
  return host;
}

std::string SourceUrl(const TSourceInfo& info) {
  return std::string(info.Scheme) + "://" + SourceHost(info) + info.PathAndQuery;
}

TImportSettings SourceSettings(const TSourceInfo& info) {
  TImportSettings s;
  s.Name = info.Name;
  s.Header = info.Header;
  s.Url = SourceUrl(info);
  s.HeaderPlacement = info.HeaderPlacement;
  s.FirstLine = info.FirstLine;
  s.Progress = info.Progress;
  return s;
}

void ImportSourceWithFetch(TSourceId source, TImportHost& host, const TFetchFn& fetch) {
  const TSourceInfo& info = SourceInfo(source);
  TImportSettings settings = SourceSettings(info);
  // The matcher lives as long as the run and goes with it; see TMatcherUse for its order.
  std::optional<TMatcher> matcher;
  if (info.Matcher != TMatcherUse::muNone) matcher.emplace();
  std::unique_ptr<TLineRule> rule = info.MakeRule(matcher ? &*matcher : nullptr);
  RunImportFrame(settings, *rule, host, fetch);
}

void ImportSourceOverHttp(TSourceId source, TImportHost& host) {
  ImportSourceWithFetch(source, host, HTTPFetch);
}

}  // namespace brevak
