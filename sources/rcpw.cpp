// The RCPW member page: the first centred cell of a line that holds a digit.
// Tested by tests/sources/rcpw_test.cpp.
#include "listfile/stringlist.h"
#include "sources/ruletext.h"
#include "sources/sourcetable.h"

namespace brevak {
namespace {

// A cell text longer than this (with its "</td>") is a date or a note, unless a "<br>" shows it
// is a callsign with a remark below it.
constexpr std::size_t kLengthLimit = 14;

class TRCPWRule : public TSearchingRule {
public:
  using TSearchingRule::TSearchingRule;
  void Apply(std::u16string_view line, TStringList& listFile) override {
    std::u16string_view w;
    if (!FirstMatch(patterns::kRCPWCell, line, w)) return;
    if (TextPos(u"#", w) != 0) return;  // a link within the page, not a callsign
    CutThrough(w, u">");
    if (w.size() > kLengthLimit && TextPos(u"<br>", w) == 0) return;
    w = TextTrimView(TextBeforeView(w, u"<"));
    if (w.empty()) return;
    listFile.Add(w, FSuffix);
  }

private:
  std::u16string FSuffix = SourceInfo(TSourceId::RCPW).Suffix;
};

}  // namespace

std::unique_ptr<TLineRule> MakeRCPWRule(TMatcher* matcher) {
  return std::make_unique<TRCPWRule>(*matcher);
}

}  // namespace brevak
