// The plain lists of one callsign per line: Hamlog, SRR and RCWC. Every line gives one entry,
// empty lines included. Tested by tests/sources/plainlists_test.cpp.
#include "listfile/stringlist.h"
#include "sources/sourcetable.h"
#include "text/textops.h"

namespace brevak {
namespace {

// The whole trimmed line is the key; for SRR that is the whole CSV record, separators and all.
class TTrimmedLineRule : public TLineRule {
public:
  explicit TTrimmedLineRule(const char16_t* suffix) : FSuffix(suffix) {}
  void Apply(std::u16string_view line, TStringList& listFile) override {
    listFile.Add(TextTrim(line) + FSuffix);
  }

private:
  std::u16string FSuffix;
};

// RCWC numbers its lines "12.CALL": the key is what follows the first "." of the trimmed line,
// not trimmed again, or the whole line when it holds no ".".
class TRCWCRule : public TLineRule {
public:
  void Apply(std::u16string_view line, TStringList& listFile) override {
    std::u16string t = TextTrim(line);
    int p = TextPos(u".", t);
    listFile.Add(TextCopy(t, p + 1, static_cast<int>(t.size()) - p) + SourceInfo(TSourceId::RCWC).Suffix);
  }
};

}  // namespace

std::unique_ptr<TLineRule> MakeHamlogRule() { return std::make_unique<TTrimmedLineRule>(SourceInfo(TSourceId::Hamlog).Suffix); }
std::unique_ptr<TLineRule> MakeSRRRule() { return std::make_unique<TTrimmedLineRule>(SourceInfo(TSourceId::SRR).Suffix); }
std::unique_ptr<TLineRule> MakeRCWCRule() { return std::make_unique<TRCWCRule>(); }

}  // namespace brevak
