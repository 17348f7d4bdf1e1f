// Every source the program offers: the ten built-in ones and the clubs sources.ini describes, with
// what the window and the command line need of each (its name, its address, its import). Tested
// by tests/sources/sourcelist_test.cpp.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "import/importrun.h"
#include "sources/sourcetable.h"
#include "sources/usersource.h"

namespace brevak {

class TStringList;

struct TSource {
  std::string Name;                      // as typed on the command line and named in the list
  const TSourceInfo* BuiltIn = nullptr;  // the built-in row; null for a club of the user's
  const TUserSource* User = nullptr;     // its description in sources.ini, which replaces the row
};

class TSourceList {
public:
  // Reads the "[Source NAME]" sections of the sources.ini that files name. A sources.ini that
  // exists but cannot be read, or is refused (ReadUserSources), raises an Exception naming it; a
  // faulty section is left out and said in Errors.
  explicit TSourceList(TImportFiles files);
  TSourceList(const TSourceList&) = delete;
  TSourceList& operator=(const TSourceList&) = delete;

  // The ten in the window's order, then sources.ini's own in the file's order.
  const std::vector<TSource>& Sources() const { return FSources; }
  // Whether sources.ini describes clubs beyond the ten.
  bool HasOwnSources() const { return FSources.size() > static_cast<std::size_t>(kSourceCount); }
  const std::vector<std::string>& Errors() const { return FUser.Errors; }
  // The name of the section each of Errors is about, as written.
  const std::vector<std::string>& FaultyNames() const { return FUser.FaultyNames; }
  const TImportFiles& Files() const { return FFiles; }

  const TSource& BuiltIn(TSourceId id) const { return FSources[static_cast<std::size_t>(id)]; }
  // The source named name, ASCII case ignored; null when there is none.
  const TSource* Find(std::string_view name) const;

  // Where a source is fetched from (for a built-in row, SourceUrl, which raises for a [Hosts]
  // value it refuses), what cuts its entries ("built in", "lines", "columns" or "pattern"), and
  // where it is described ("built in" or the sources.ini's path).
  std::string Url(const TSource& source) const;
  static std::string RuleName(const TSource& source);
  static std::string Origin(const TSource& source);
  // The header line its import writes: a description's own, else the built-in one.
  static std::u16string_view Header(const TSource& source);

  // The import of a source on the list file, with a real HTTP GET (a button) or the fetch given.
  void ImportOverHttp(const TSource& source, TImportHost& host) const;
  void ImportWithFetch(const TSource& source, TImportHost& host, const TFetchFn& fetch) const;
  // The same on a list the caller holds; the list file is neither loaded nor saved.
  void ImportIntoList(const TSource& source, TImportHost& host, const TFetchFn& fetch,
                      TStringList& list) const;

private:
  TImportFiles FFiles;
  TUserSources FUser;
  std::vector<TSource> FSources;
};

}  // namespace brevak
