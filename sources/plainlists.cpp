// The plain lists of one callsign per line: Hamlog, SRR and RCWC. Every line gives one entry,
// empty lines included. Tested by tests/sources/plainlists_test.cpp.
#include "listfile/codepage.h"
#include "listfile/stringlist.h"
#include "sources/sourcetable.h"
#include "text/textops.h"

namespace brevak {
namespace {

// The bytes of a line in the ANSI code page that TextTrimView keeps of its characters: the code
// page has the characters up to U+0020 at the bytes up to 0x20, and only there.
[[gnu::always_inline]] inline std::string_view AnsiTrimView(std::string_view line) {
  auto trimmed = [](char c) { return static_cast<unsigned char>(c) <= 0x20; };
  std::size_t first = 0;
  while (first < line.size() && trimmed(line[first])) ++first;
  std::size_t last = line.size();
  while (last > first && trimmed(line[last - 1])) --last;
  return line.substr(first, last - first);
}

// What follows the first "." of text, or all of it when it holds none; for units and for bytes in
// the code page alike, which has "." at its one byte 0x2E.
template <typename TView>
TView AfterFirstFullStop(TView text) {
  std::size_t dot = text.find('.');
  return dot == TView::npos ? text : text.substr(dot + 1);
}

// One entry per line, each no longer than its line and the suffix; a line has at most as many
// units as it has bytes in the document. The entries are pieces of the line and the suffix, so a
// line in the code page is taken as bytes when the code page holds the suffix.
class TEntryPerLineRule : public TLineRule {
public:
  explicit TEntryPerLineRule(const char16_t* suffix)
      : FSuffix(suffix), FAnsiSuffix(AnsiEncode(FSuffix)) {
    FTakesAnsi = AnsiDecode(FAnsiSuffix) == FSuffix;
  }
  void Prepare(int lineCount, std::size_t documentBytes, TStringList& listFile) override {
    listFile.Reserve(lineCount,
                     documentBytes + static_cast<std::size_t>(lineCount) * FSuffix.size());
  }

protected:
  std::u16string FSuffix;
  std::string FAnsiSuffix;
};

// The whole trimmed line is the key; for SRR that is the whole CSV record, separators and all.
class TTrimmedLineRule : public TEntryPerLineRule {
public:
  using TEntryPerLineRule::TEntryPerLineRule;
  void Apply(std::u16string_view line, TStringList& listFile) override {
    listFile.Add(TextTrimView(line), FSuffix);
  }
  void ApplyAnsi(std::string_view line, TStringList& listFile) override {
    listFile.AddAnsi(AnsiTrimView(line), FAnsiSuffix);
  }
};

// RCWC numbers its lines "12.CALL": the key is what follows the first "." of the trimmed line,
// not trimmed again, or the whole line when it holds no ".".
class TRCWCRule : public TEntryPerLineRule {
public:
  TRCWCRule() : TEntryPerLineRule(SourceInfo(TSourceId::RCWC).Suffix) {}
  void Apply(std::u16string_view line, TStringList& listFile) override {
    listFile.Add(AfterFirstFullStop(TextTrimView(line)), FSuffix);
  }
  void ApplyAnsi(std::string_view line, TStringList& listFile) override {
    listFile.AddAnsi(AfterFirstFullStop(AnsiTrimView(line)), FAnsiSuffix);
  }
};

}  // namespace

std::unique_ptr<TLineRule> MakeHamlogRule(TMatcher*) {
  return std::make_unique<TTrimmedLineRule>(SourceInfo(TSourceId::Hamlog).Suffix);
}
std::unique_ptr<TLineRule> MakeSRRRule(TMatcher*) {
  return std::make_unique<TTrimmedLineRule>(SourceInfo(TSourceId::SRR).Suffix);
}
std::unique_ptr<TLineRule> MakeRCWCRule(TMatcher*) { return std::make_unique<TRCWCRule>(); }

}  // namespace brevak
