// The ten sources side by side: what each button fetches, where its section header goes, which
// lines its rule reads, how it drives the bar, and which rule cuts out its entries.
// Tested by tests/sources/sourcetable_test.cpp.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "import/importrun.h"

namespace brevak {

class TMatcher;

// The files an import works with, as the program decided them at start-up: the list file, and
// the places sources.ini is looked for.
struct TImportFiles {
  std::string ListFile;                   // brevak.ini
  std::vector<std::string> SourcesFiles;  // the first of these that exists is read
  std::string NewSourcesFile;             // where the user is told to write one when none exists
  std::string ExampleFile;                // the installed sources.ini.example; empty when none
};

// The list file and sources.ini both in dir (ending in '/' or not): a portable copy's files.
TImportFiles ImportFilesIn(std::string dir);

// The ten sources, in the order of the window's buttons' tab order.
enum class TSourceId { Hamlog, SRR, KDR, AGB, ARCK, RCWC, FiveOcean, RRC, RCPW, RadioWave };

struct TSourceInfo {
  TSourceId Id;
  const char* Name;        // the key in sources.ini and the section name: "5 Ocean"
  const char16_t* Header;  // "[5 Ocean]"
  // The entry text after the key: "=5 Ocean"; for AGB and KDR the number follows.
  const char16_t* Suffix;
  const char* Scheme;  // "http" or "https"
  const char* PathAndQuery;
  const char* DefaultHost;  // used when sources.ini gives none
  THeaderPlacement HeaderPlacement;
  int FirstLine;
  TProgressMode Progress;
  // Whether the rule searches its lines with a matcher, which the run then makes for it.
  bool SearchesWithMatcher;
  // The source's rule; matcher is the run's matcher when SearchesWithMatcher, else null.
  std::unique_ptr<TLineRule> (*MakeRule)(TMatcher* matcher);
};

// The row of a source; every TSourceId has one.
const TSourceInfo& SourceInfo(TSourceId id);
// All ten rows, in the order of TSourceId.
const TSourceInfo* SourceTable();
constexpr int kSourceCount = 10;

// Edits (insert, delete, replace, swap of neighbours) between two names, ASCII case ignored.
std::size_t NameDistance(std::string_view a, std::string_view b);

// The sources.ini that is read: the first of files.SourcesFiles that exists, else
// files.NewSourcesFile (which then does not exist either).
std::string SourcesFile(const TImportFiles& files);
// The host of a source: the value of its key in section [Hosts] of SourcesFile, else its built-in
// default. The value may be a whole http:// or https:// URL, used in place of the source's scheme,
// path and query. Raises an Exception for a value that is not a host, host:port, [IPv6]:port or
// such a URL (ports 1 to 65535), and EFOpenError for a sources.ini that cannot be read or is
// refused (SharedFileError: no regular file, someone else's, or writable by others).
std::string SourceHost(const TSourceInfo& info, const TImportFiles& files);
// scheme "://" host path-and-query, or the whole URL that sources.ini gives.
std::string SourceUrl(const TSourceInfo& info, const TImportFiles& files);
// The frame settings of a source, its URL and the list file included.
TImportSettings SourceSettings(const TSourceInfo& info, const TImportFiles& files);

// Runs the import of one source with the fetch supplied by the caller (tests, benchmarks and the
// command line's stand-ins): a matcher when the source searches, its rule, and the frame. When the
// source has no host in sources.ini and its fetch fails, the error says which key to set where;
// when the list has moved (a redirect), it says what to set to fetch it from its new place.
void ImportSourceWithFetch(TSourceId source, const TImportFiles& files, TImportHost& host,
                           const TFetchFn& fetch);

// The same on a list the caller holds, which gets the source's section; the list file is neither
// loaded nor saved (ImportIntoList).
void ImportSourceIntoList(TSourceId source, const TImportFiles& files, TImportHost& host,
                          const TFetchFn& fetch, TStringList& list);

// Runs the import of one source with a real HTTP GET: what a button press does. The host's
// KeepWaiting runs while the fetch waits and may stop it (EFetchStopped).
void ImportSourceOverHttp(TSourceId source, const TImportFiles& files, TImportHost& host);

// The rules, one per source file.
std::unique_ptr<TLineRule> MakeHamlogRule(TMatcher* matcher);
std::unique_ptr<TLineRule> MakeSRRRule(TMatcher* matcher);
std::unique_ptr<TLineRule> MakeRCWCRule(TMatcher* matcher);
std::unique_ptr<TLineRule> MakeAGBRule(TMatcher* matcher);
std::unique_ptr<TLineRule> MakeFiveOceanRule(TMatcher* matcher);
std::unique_ptr<TLineRule> MakeARCKRule(TMatcher* matcher);
std::unique_ptr<TLineRule> MakeKDRRule(TMatcher* matcher);
std::unique_ptr<TLineRule> MakeRadioWaveRule(TMatcher* matcher);
std::unique_ptr<TLineRule> MakeRCPWRule(TMatcher* matcher);
std::unique_ptr<TLineRule> MakeRRCRule(TMatcher* matcher);

}  // namespace brevak
