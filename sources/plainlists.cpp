// The plain lists of one callsign per line: Hamlog, SRR and RCWC. Every line gives one entry,
// empty lines included. Tested by tests/sources/plainlists_test.cpp.
#include "listfile/stringlist.h"
#include "sources/sourcetable.h"
#include "text/textops.h"

namespace brevak {
namespace {

// One entry per line, each no longer than its line and the suffix; a line has at most as many
// units as it has bytes in the document.
class TEntryPerLineRule : public TLineRule {
public:
  explicit TEntryPerLineRule(const char16_t* suffix) : FSuffix(suffix) {}
  void Prepare(int lineCount, std::size_t documentBytes, TStringList& listFile) override {
    listFile.Reserve(lineCount,
                     documentBytes + static_cast<std::size_t>(lineCount) * FSuffix.size());
  }

protected:
  std::u16string FSuffix;
};

// The whole trimmed line is the key; for SRR that is the whole CSV record, separators and all.
class TTrimmedLineRule : public TEntryPerLineRule {
public:
  using TEntryPerLineRule::TEntryPerLineRule;
  void Apply(std::u16string_view line, TStringList& listFile) override {
    listFile.Add(TextTrimView(line), FSuffix);
  }
};

// RCWC numbers its lines "12.CALL": the key is what follows the first "." of the trimmed line,
// not trimmed again, or the whole line when it holds no ".".
class TRCWCRule : public TEntryPerLineRule {
public:
  TRCWCRule() : TEntryPerLineRule(SourceInfo(TSourceId::RCWC).Suffix) {}
  void Apply(std::u16string_view line, TStringList& listFile) override {
    std::u16string_view t = TextTrimView(line);
    std::size_t dot = t.find(u'.');
    listFile.Add(dot == std::u16string_view::npos ? t : t.substr(dot + 1), FSuffix);
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
