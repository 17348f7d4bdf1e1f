// Sources the user describes in sources.ini, one "[Source NAME]" section each: where the list is,
// which rule cuts the callsigns out of its lines, and what the entries say. A section named after a
// built-in source replaces that source's address and rule. Tested by
// tests/sources/usersource_test.cpp.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "import/importrun.h"
#include "sources/sourcetable.h"

namespace brevak {

class TMatcher;

enum class TUserRuleKind {
  Lines,    // each line's first word
  Columns,  // one column of a separated line (CSV)
  Pattern,  // the matcher's matches
};

enum class TUserEncoding {
  Ansi,  // the code page, as the built-in sources read their documents
  Utf8,
  Auto,  // UTF-8 when the document has the signature or is valid UTF-8, else the code page
};

struct TUserSource {
  std::string Name;  // "CWClub"
  std::string Url;
  std::string File;  // the sources.ini that describes it
  std::u16string Header;
  std::u16string Note;
  TUserRuleKind Rule = TUserRuleKind::Lines;
  int Skip = 0;  // lines skipped at the top
  char16_t Separator = u',';
  int CallsignColumn = 1;  // 1-based
  int NumberColumn = 0;    // 1-based; 0: the note has no number
  std::u16string Pattern;
  bool FirstMatchOnly = false;
  TUserEncoding Encoding = TUserEncoding::Ansi;
  bool CallsignsOnly = true;
  const TSourceInfo* Replaces = nullptr;  // the built-in source of the same name
};

struct TUserSources {
  std::vector<TUserSource> Sources;  // in file order
  // One line per section that was left out, naming the file, the section's line, the section, the
  // key at fault (none for a bad or repeated name) and the reason.
  std::vector<std::string> Errors;
  // The name each of those sections gives after "Source ", as written, in the order of Errors: a
  // name typed on the command line is refused when its description was left out.
  std::vector<std::string> FaultyNames;
};

// The "[Source NAME]" sections of the sources.ini at path. A file that exists but cannot be read,
// or that is refused (SharedFileError: no regular file, someone else's, or writable by others),
// raises an Exception naming it; an absent file describes no source.
TUserSources ReadUserSources(const std::string& path);

// The frame settings and the rule of a user source. The rule sets its pattern on matcher once and
// searches with it alone, so the matcher serves this rule only.
TImportSettings UserSourceSettings(const TUserSource& source, const std::string& listFile);
std::unique_ptr<TLineRule> MakeUserRule(const TUserSource& source, TMatcher& matcher);

// One import of a user source with the fetch supplied (tests, the command line's check), or over
// HTTP (a button), on the list file at listFile.
void ImportUserSourceWithFetch(const TUserSource& source, const std::string& listFile,
                               TImportHost& host, const TFetchFn& fetch);
void ImportUserSourceOverHttp(const TUserSource& source, const std::string& listFile,
                              TImportHost& host);
// The same on a list the caller holds; the list file is neither loaded nor saved.
void ImportUserSourceIntoList(const TUserSource& source, TImportHost& host, const TFetchFn& fetch,
                              TStringList& list);

}  // namespace brevak
