// The ten sources side by side: what each button fetches, where its section header goes, which
// lines its rule reads, how it drives the bar, and which rule cuts out its entries.
// Tested by tests/sources/sourcetable_test.cpp.
#pragma once

#include <memory>
#include <string>

#include "listfile/importrun.h"

namespace brevak {

struct TSourceInfo {
  TSourceId Id;
  const char* Name;        // the key in sources.ini and the section name: "5 Ocean"
  const char* Button;      // "btn5Ocean"
  const char* Handler;     // "btn5OceanClick"
  const char16_t* Header;  // "[5 Ocean]"
  const char16_t* Suffix;  // the entry text after the key: "=5 Ocean"; for AGB and KDR the number follows
  const char* Scheme;      // "http" or "https"
  const char* PathAndQuery;
  const char* DefaultHost; // used when sources.ini gives none
  THeaderPlacement HeaderPlacement;
  int FirstLine;
  TProgressMode Progress;
  TMatcherUse Matcher;
  std::unique_ptr<TLineRule> (*MakeRule)();
};

// The row of a source; every TSourceId has one.
const TSourceInfo& SourceInfo(TSourceId id);
// All ten rows, in the order of TSourceId.
const TSourceInfo* SourceTable();
constexpr int kSourceCount = 10;

// The host of a source: the value of its key in section [Hosts] of "sources.ini" beside the
// executable, else its built-in default. Raises an Exception for a value that is not a host,
// host:port or [IPv6]:port.
std::string SourceHost(const TSourceInfo& info);
// scheme "://" host path-and-query.
std::string SourceUrl(const TSourceInfo& info);
// The frame settings of a source, its URL included.
TImportSettings SourceSettings(const TSourceInfo& info);

// The rules, one per source file.
std::unique_ptr<TLineRule> MakeHamlogRule();
std::unique_ptr<TLineRule> MakeSRRRule();
std::unique_ptr<TLineRule> MakeRCWCRule();
std::unique_ptr<TLineRule> MakeAGBRule();
std::unique_ptr<TLineRule> MakeFiveOceanRule();
std::unique_ptr<TLineRule> MakeARCKRule();
std::unique_ptr<TLineRule> MakeKDRRule();
std::unique_ptr<TLineRule> MakeRadioWaveRule();
std::unique_ptr<TLineRule> MakeRCPWRule();
std::unique_ptr<TLineRule> MakeRRCRule();

}  // namespace brevak
