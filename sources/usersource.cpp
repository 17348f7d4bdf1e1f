// Sources described in sources.ini: reading their sections, their three kinds of rule, and their
// import through the same frame as the built-in sources. Tested by
// tests/sources/usersource_test.cpp.
#include "sources/usersource.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <optional>
#include <string_view>
#include <type_traits>

#include "base/exception.h"
#include "base/showntext.h"
#include "listfile/codepage.h"
#include "listfile/fileio.h"
#include "listfile/profile.h"
#include "listfile/stringlist.h"
#include "listfile/utf.h"
#include "net/sourceurl.h"
#include "sources/callsign.h"
#include "text/matcher.h"

namespace brevak {
namespace {

constexpr std::string_view kSectionPrefix = "source ";
constexpr int kMaxColumn = 1000;
constexpr int kMaxSkip = 1000000;

// A whole number from low to high, or nothing.
std::optional<int> NumberIn(std::string_view text, int low, int high) {
  int value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || value < low || value > high)
    return std::nullopt;
  return value;
}

// Why name cannot be a source's name: it is typed on the command line (where "," separates names
// and "all" means every source) and written as a section header.
std::string NameProblem(std::string_view name) {
  if (name.empty()) return "the section names no source";
  if (name.size() > 40) return "the name is longer than 40 characters";
  for (unsigned char c : name)
    if (c < 0x20 || c == 0x7F || c == ',' || c == '=' || c == '[' || c == ']')
      return "the name may not hold control characters, ',', '=', '[' or ']'";
  // The name reaches buttons and messages as it is: nothing the filter of outside text would
  // escape (C1 and bidi controls, bytes that are not UTF-8) may be in it.
  if (ShownText(name) != name)
    return "the name may not hold control characters, ',', '=', '[' or ']'";
  if (SameProfileName(name, "all")) return "\"all\" names every source on the command line";
  return {};
}

const TSourceInfo* BuiltInNamed(std::string_view name) {
  for (int i = 0; i < kSourceCount; ++i)
    if (SameProfileName(SourceTable()[i].Name, name)) return &SourceTable()[i];
  return nullptr;
}

// The note a built-in source's entries carry: its suffix without the "=", and without the "№"
// that its numbered entries add.
std::u16string BuiltInNote(const TSourceInfo& info) {
  std::u16string_view note = info.Suffix;
  note.remove_prefix(1);
  if (note.ends_with(u" \u2116")) note.remove_suffix(2);
  return std::u16string(note);
}

// Reads one section's keys into source; false with the key and the reason in problem.
bool ReadSection(const TProfileSection& section, TUserSource& source, std::string& key,
                 std::string& problem) {
  std::optional<std::string> url, rule, pattern, separator, callsign, number, matches;
  bool hasHeader = false, hasNote = false;
  for (const auto& [k, v] : section.Entries) {
    key = k;
    if (SameProfileName(k, "URL")) {
      url = v;
    } else if (SameProfileName(k, "Rule")) {
      rule = v;
    } else if (SameProfileName(k, "Pattern")) {
      pattern = v;
    } else if (SameProfileName(k, "Separator")) {
      separator = v;
    } else if (SameProfileName(k, "Callsign")) {
      callsign = v;
    } else if (SameProfileName(k, "Number")) {
      number = v;
    } else if (SameProfileName(k, "Matches")) {
      matches = v;
    } else if (SameProfileName(k, "Header")) {
      source.Header = Utf8Decode(v);
      hasHeader = true;
    } else if (SameProfileName(k, "Note")) {
      source.Note = Utf8Decode(v);
      hasNote = true;
    } else if (SameProfileName(k, "Skip")) {
      std::optional<int> skip = NumberIn(v, 0, kMaxSkip);
      if (!skip) return problem = "not a number of lines from 0 to 1000000", false;
      source.Skip = *skip;
    } else if (SameProfileName(k, "Encoding")) {
      if (SameProfileName(v, "windows-1251"))
        source.Encoding = TUserEncoding::Ansi;
      else if (SameProfileName(v, "utf-8"))
        source.Encoding = TUserEncoding::Utf8;
      else if (SameProfileName(v, "auto"))
        source.Encoding = TUserEncoding::Auto;
      else
        return problem = "not windows-1251, utf-8 or auto", false;
    } else if (SameProfileName(k, "Callsigns")) {
      if (SameProfileName(v, "only"))
        source.CallsignsOnly = true;
      else if (SameProfileName(v, "any"))
        source.CallsignsOnly = false;
      else
        return problem = "not only or any", false;
    } else {
      return problem = "no such key", false;
    }
  }

  key = "URL";
  if (!url) return problem = "missing", false;
  problem = FetchableUrlProblem(*url);
  if (!problem.empty()) return false;
  source.Url = *url;

  key = "Rule";
  if (!rule) return problem = "missing", false;
  if (SameProfileName(*rule, "lines"))
    source.Rule = TUserRuleKind::Lines;
  else if (SameProfileName(*rule, "columns"))
    source.Rule = TUserRuleKind::Columns;
  else if (SameProfileName(*rule, "pattern"))
    source.Rule = TUserRuleKind::Pattern;
  else
    return problem = "not lines, columns or pattern", false;

  // A key of another kind of rule is a slip the user should hear of, not a silent no-op.
  auto foreign = [&](const char* name, const std::optional<std::string>& value) {
    if (!value) return false;
    key = name;
    problem = "not used by Rule=" + ShownText(*rule);
    return true;
  };
  const bool isColumns = source.Rule == TUserRuleKind::Columns;
  const bool isPattern = source.Rule == TUserRuleKind::Pattern;
  if ((!isColumns && (foreign("Separator", separator) || foreign("Callsign", callsign) ||
                      foreign("Number", number))) ||
      (!isPattern && (foreign("Pattern", pattern) || foreign("Matches", matches))))
    return false;

  if (isColumns) {
    if (separator) {
      key = "Separator";
      std::u16string units = Utf8Decode(*separator);
      if (SameProfileName(*separator, "tab"))
        source.Separator = u'\t';
      else if (units.size() == 1 && units[0] != u'"')
        source.Separator = units[0];
      else
        return problem = "not one character (or tab)", false;
    }
    if (callsign) {
      key = "Callsign";
      std::optional<int> column = NumberIn(*callsign, 1, kMaxColumn);
      if (!column) return problem = "not a column number from 1 to 1000", false;
      source.CallsignColumn = *column;
    }
    if (number) {
      key = "Number";
      std::optional<int> column = NumberIn(*number, 1, kMaxColumn);
      if (!column) return problem = "not a column number from 1 to 1000", false;
      source.NumberColumn = *column;
    }
  }
  if (isPattern) {
    key = "Pattern";
    if (!pattern || pattern->empty()) return problem = "missing", false;
    source.Pattern = Utf8Decode(*pattern);
    TMatcher matcher;
    try {
      matcher.SetExpression(source.Pattern);
      if (!matcher.SearchIsLinear())
        return problem =
                   "only patterns of the forms TEXT(.*?)TEXT, (.*?)TEXT and TEXT(.*?\\d.*?)TEXT, "
                   "or without *, + and ?, are searched in a time that no page can stretch",
               false;
    } catch (const EMatcher& e) {
      return problem = "at position " + std::to_string(e.CompilerErrorPos) + ": " +
                       matcher.ErrorMsg(e.ErrorCode),
             false;
    }
    if (matches) {
      key = "Matches";
      if (SameProfileName(*matches, "first"))
        source.FirstMatchOnly = true;
      else if (SameProfileName(*matches, "all"))
        source.FirstMatchOnly = false;
      else
        return problem = "not all or first", false;
    }
  }

  if (!hasHeader)
    source.Header = source.Replaces ? std::u16string(source.Replaces->Header)
                                    : u"[" + Utf8Decode(source.Name) + u"]";
  if (!hasNote)
    source.Note = source.Replaces ? BuiltInNote(*source.Replaces) : Utf8Decode(source.Name);
  return true;
}

// "[Source NAME]" gives NAME; any other section is none of a source's.
std::optional<std::string_view> SourceSectionName(std::string_view section) {
  if (section.size() < kSectionPrefix.size() ||
      !SameProfileName(section.substr(0, kSectionPrefix.size()), kSectionPrefix))
    return std::nullopt;
  section.remove_prefix(kSectionPrefix.size());
  while (!section.empty() && section.front() == ' ') section.remove_prefix(1);
  return section;
}

// The character a unit of a line stands for; a byte is one of the ANSI code page.
char16_t UnitOf(char16_t c) { return c; }
char16_t UnitOf(char c) { return kAnsiToUnicode[static_cast<unsigned char>(c)]; }

// The rule's common step: the taken text through the callsign filter (when the source asks for
// it), then the entry "callsign=note" or "callsign=note №number". A line of a document in the
// code page may be taken as its bytes (ApplyAnsi), whose pieces go into the list as they are,
// when the code page holds the note and "№": every kind of rule does the same to either form.
class TUserRule : public TLineRule {
public:
  explicit TUserRule(const TUserSource& source)
      : FCallsignsOnly(source.CallsignsOnly),
        FSuffix(u"=" + source.Note),
        FAnsiSuffix(AnsiEncode(FSuffix)),
        FAnsiNumbered(AnsiEncode(FSuffix + std::u16string(kNumberSign))) {
    FTakesAnsi = AnsiDecode(FAnsiNumbered) == FSuffix + std::u16string(kNumberSign);
  }

  // A roster has about one entry per line, most of them a callsign: room for that many, so that
  // the list does not move its text again and again as it grows. A page with fewer entries
  // leaves the room it did not use untouched; one of many short or empty lines gets room for a
  // line of every 16 bytes at the most, and the list grows as it must past that.
  void Prepare(int lineCount, std::size_t documentBytes, TStringList& listFile) override {
    constexpr std::size_t kCallsignUnits = 8, kRosterLineBytes = 16;
    const std::size_t lines = std::min(static_cast<std::size_t>(std::max(lineCount, 0)),
                                       documentBytes / kRosterLineBytes);
    listFile.Reserve(static_cast<int>(lines), lines * (kCallsignUnits + FSuffix.size()));
  }

protected:
  template <typename TView>
  void Take(TView text, TStringList& listFile, TView number = {}) {
    const TView call = FCallsignsOnly ? CallsignIn(text, Untagged(text)) : Trimmed(text);
    if (call.empty()) return;
    if constexpr (std::is_same_v<TView, std::u16string_view>) {
      if (number.empty()) {
        listFile.Add(call, FSuffix);
        return;
      }
      FNumbered.assign(FSuffix).append(kNumberSign).append(Trimmed(number));
      listFile.Add(call, FNumbered);
    } else {
      if (number.empty()) {
        listFile.AddAnsi(call, FAnsiSuffix);
        return;
      }
      // The suffix, " №" and the number, the number's room kept from line to line.
      FAnsiNumbered.resize(FAnsiSuffix.size() + kNumberSign.size());
      FAnsiNumbered.append(Trimmed(number));
      listFile.AddAnsi(call, FAnsiNumbered);
    }
  }

  template <typename TView>
  static TView Trimmed(TView text) {
    auto blank = [](auto c) {
      const char16_t u = UnitOf(c);
      return u == u' ' || u == u'\t' || u == u'\u00A0';
    };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    return text;
  }

private:
  static constexpr std::u16string_view kNumberSign = u" \u2116";

  std::u16string& Untagged(std::u16string_view) { return FUntagged; }
  std::string& Untagged(std::string_view) { return FAnsiUntagged; }

  bool FCallsignsOnly;
  std::u16string FUntagged;  // a callsign with its markup removed
  std::string FAnsiUntagged;
  std::u16string FSuffix;
  std::string FAnsiSuffix;
  std::u16string FNumbered;  // kept from line to line for its room
  std::string FAnsiNumbered;
};

class TLinesRule : public TUserRule {
public:
  using TUserRule::TUserRule;
  void Apply(std::u16string_view line, TStringList& listFile) override { ApplyTo(line, listFile); }
  void ApplyAnsi(std::string_view line, TStringList& listFile) override { ApplyTo(line, listFile); }

private:
  template <typename TView>
  void ApplyTo(TView line, TStringList& listFile) {
    line = Trimmed(line);
    std::size_t end = line.find_first_of(Delimiters(line));
    Take(line.substr(0, end), listFile);
  }
  static std::u16string_view Delimiters(std::u16string_view) { return u" \t,;"; }
  static std::string_view Delimiters(std::string_view) { return " \t,;"; }
};

class TColumnsRule : public TUserRule {
public:
  explicit TColumnsRule(const TUserSource& source)
      : TUserRule(source),
        FSeparator(source.Separator),
        FCallsign(source.CallsignColumn),
        FNumber(source.NumberColumn) {
    // The separator's byte, when the code page has one of its own for it.
    char byte = 0;
    FTakesAnsi = FTakesAnsi && AnsiEncodeExactTo(std::u16string_view(&FSeparator, 1), &byte) == 1;
    FAnsiSeparator = byte;
  }

  void Apply(std::u16string_view line, TStringList& listFile) override { ApplyTo(line, listFile); }
  void ApplyAnsi(std::string_view line, TStringList& listFile) override { ApplyTo(line, listFile); }

private:
  template <typename TView>
  void ApplyTo(TView line, TStringList& listFile) {
    const int last = FCallsign > FNumber ? FCallsign : FNumber;
    TView callsign, number;
    std::size_t at = 0;
    for (int column = 1; column <= last; ++column) {
      if (at > line.size()) return;  // the line has fewer columns
      if (column == FCallsign)
        callsign = ReadField(line, at, &Quoted(line, 0));
      else if (column == FNumber)
        number = ReadField(line, at, &Quoted(line, 1));
      else
        ReadField(line, at, nullptr);
    }
    Take(callsign, listFile, number);
  }

  // The field at at, whose start moves to the next field's (past the line's end after the last).
  // A field in double quotes may hold the separator, and "" in it stands for "; such a field is
  // unquoted into buffer. Without a buffer the field is only passed over (and its text is empty
  // when it is quoted).
  template <typename TView>
  TView ReadField(TView line, std::size_t& at,
                  std::basic_string<typename TView::value_type>* buffer) const {
    std::size_t i = BlanksAfter(line, at);
    TView field;
    if (i < line.size() && line[i] == '"') {
      if (buffer) buffer->clear();
      // The closing quote is the first one not doubled; "" stands for " and goes on.
      for (++i; i < line.size(); ++i) {
        if (line[i] != '"') {
          if (buffer) *buffer += line[i];
        } else if (i + 1 < line.size() && line[i + 1] == '"') {
          if (buffer) *buffer += '"';
          ++i;
        } else {
          ++i;
          break;
        }
      }
      field = buffer ? TView(*buffer) : TView(line.data(), 0);
    } else {
      i = at;
    }
    const std::size_t next = line.find(Separator(line), i);
    if (field.data() == nullptr) field = line.substr(at, next == line.npos ? line.npos : next - at);
    at = next == line.npos ? line.size() + 1 : next + 1;
    return field;
  }

  // Where the blanks before a field that starts at at end (a blank that is the separator is not
  // one).
  template <typename TView>
  std::size_t BlanksAfter(TView line, std::size_t at) const {
    const auto separator = Separator(line);
    while (at < line.size() && (line[at] == ' ' || line[at] == '\t') && line[at] != separator) ++at;
    return at;
  }

  char16_t Separator(std::u16string_view) const { return FSeparator; }
  char Separator(std::string_view) const { return FAnsiSeparator; }
  std::u16string& Quoted(std::u16string_view, int k) { return FQuoted[k]; }
  std::string& Quoted(std::string_view, int k) { return FAnsiQuoted[k]; }

  char16_t FSeparator;
  char FAnsiSeparator;
  int FCallsign, FNumber;
  std::u16string FQuoted[2];  // the callsign's and the number's text
  std::string FAnsiQuoted[2];
};

// The rule's matcher searches with its pattern only, so the pattern is set once. A line in the
// code page is searched as its bytes when the matcher searches them as they are.
class TPatternRule : public TUserRule {
public:
  TPatternRule(const TUserSource& source, TMatcher& matcher)
      : TUserRule(source), FMatcher(matcher), FFirstOnly(source.FirstMatchOnly) {
    FMatcher.SetExpression(source.Pattern);
    std::array<char16_t, 256> units;
    std::copy(std::begin(kAnsiToUnicode), std::end(kAnsiToUnicode), units.begin());
    FMatcher.SetByteUnits(units);
    try {
      FTakesAnsi = FTakesAnsi && FMatcher.SearchesBytes();
    } catch (const EMatcher&) {
      FTakesAnsi = false;  // the first search raises it, as the run expects
    }
  }

  void Apply(std::u16string_view line, TStringList& listFile) override {
    for (bool found = FMatcher.ExecZeroFree(line); found; found = FMatcher.ExecNext()) {
      Take(FMatcher.MatchPos(1) > 0 ? FMatcher.MatchView(1) : FMatcher.MatchView(0), listFile);
      if (FFirstOnly) break;
    }
  }
  void ApplyAnsi(std::string_view line, TStringList& listFile) override {
    for (bool found = FMatcher.ExecBytes(line); found; found = FMatcher.ExecNext()) {
      Take(FMatcher.MatchPos(1) > 0 ? FMatcher.MatchBytes(1) : FMatcher.MatchBytes(0), listFile);
      if (FFirstOnly) break;
    }
  }

private:
  TMatcher& FMatcher;
  bool FFirstOnly;
};

bool IsValidUtf8(std::string_view bytes) {
  std::u16string units(bytes.size(), u'\0');
  return Utf8DecodeStrictTo(bytes, units.data()) != nullptr;
}

// The fetch of a source whose document is UTF-8 without saying so: the lines are read as UTF-8
// when a document opens with the signature, so a document without one gets it in front.
TFetchFn FetchIn(TUserEncoding encoding, const TFetchFn& fetch) {
  if (encoding == TUserEncoding::Ansi) return fetch;
  return [encoding, fetch](const std::string& url, TMemoryStream& document, std::string& cause) {
    if (!fetch(url, document, cause)) return false;
    std::string_view bytes = document.Bytes().substr(document.Position());
    if (bytes.starts_with(kUtf8Signature)) return true;
    if (encoding == TUserEncoding::Auto && !IsValidUtf8(bytes)) return true;
    TMemoryStream marked;
    marked.Write(kUtf8Signature);
    marked.Write(bytes);
    document = std::move(marked);
    return true;
  };
}

}  // namespace

TUserSources ReadUserSources(const std::string& path) {
  TUserSources result;
  // The sections choose servers and rules, as [Hosts] does: a file others could write is refused.
  if (int err = SharedFileError(path)) throw EFOpenError(path, err);
  std::vector<TProfileSection> sections;
  if (int err = ReadProfileSections(path, sections); err != 0 && err != ENOENT)
    throw Exception("Cannot read file \"" + ShownText(path) + "\". " + std::strerror(err));
  for (const TProfileSection& section : sections) {
    std::optional<std::string_view> name = SourceSectionName(section.Name);
    if (!name) continue;
    const std::string where = ShownText(path) + ", line " + std::to_string(section.Line) + ": [" +
                              ShownText(section.Name) + "]";
    if (std::string problem = NameProblem(*name); !problem.empty()) {
      result.Errors.push_back(where + ": " + problem);
      result.FaultyNames.emplace_back(*name);
      continue;
    }
    bool duplicate = false;
    for (const TUserSource& earlier : result.Sources)
      duplicate |= SameProfileName(earlier.Name, *name);
    if (duplicate) {
      result.Errors.push_back(where + ": a source of this name is described above");
      result.FaultyNames.emplace_back(*name);
      continue;
    }
    TUserSource source;
    source.Name = std::string(*name);
    source.File = path;
    source.Replaces = BuiltInNamed(*name);
    if (source.Replaces) source.Name = source.Replaces->Name;
    std::string key, problem;
    if (!ReadSection(section, source, key, problem)) {
      result.Errors.push_back(where + " " + ShownText(key) + ": " + problem);
      result.FaultyNames.emplace_back(*name);
      continue;
    }
    result.Sources.push_back(std::move(source));
  }
  return result;
}

TImportSettings UserSourceSettings(const TUserSource& source, const std::string& listFile) {
  TImportSettings s;
  s.ListFile = listFile;
  s.Name = source.Name;
  s.Header = source.Header;
  s.Url = source.Url;
  s.HeaderPlacement = THeaderPlacement::AfterBody;
  s.FirstLine = source.Skip;
  s.Progress = TProgressMode::PerLine;
  return s;
}

std::unique_ptr<TLineRule> MakeUserRule(const TUserSource& source, TMatcher& matcher) {
  switch (source.Rule) {
    case TUserRuleKind::Lines:
      return std::make_unique<TLinesRule>(source);
    case TUserRuleKind::Columns:
      return std::make_unique<TColumnsRule>(source);
    case TUserRuleKind::Pattern:
      return std::make_unique<TPatternRule>(source, matcher);
  }
  return nullptr;
}

void ImportUserSourceWithFetch(const TUserSource& source, const std::string& listFile,
                               TImportHost& host, const TFetchFn& fetch) {
  TMatcher matcher;
  std::unique_ptr<TLineRule> rule = MakeUserRule(source, matcher);
  RunImportFrame(UserSourceSettings(source, listFile), *rule, host,
                 FetchIn(source.Encoding, fetch));
}

void ImportUserSourceIntoList(const TUserSource& source, TImportHost& host, const TFetchFn& fetch,
                              TStringList& list) {
  TMatcher matcher;
  std::unique_ptr<TLineRule> rule = MakeUserRule(source, matcher);
  ImportIntoList(UserSourceSettings(source, {}), *rule, host, FetchIn(source.Encoding, fetch),
                 list);
}

void ImportUserSourceOverHttp(const TUserSource& source, const std::string& listFile,
                              TImportHost& host) {
  ImportUserSourceWithFetch(source, listFile, host, HTTPFetchFor(host));
}

}  // namespace brevak
