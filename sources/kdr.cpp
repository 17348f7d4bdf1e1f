// The KDR member page: a member number from a bold text before a link, carried from line to
// line, and a callsign from each link that opens in a new window.
// Tested by tests/sources/kdr_test.cpp.
#include "listfile/stringlist.h"
#include "sources/ruletext.h"
#include "sources/sourcetable.h"

namespace brevak {
namespace {

class TKDRRule : public TSearchingRule {
public:
  using TSearchingRule::TSearchingRule;
  void Apply(std::u16string_view line, TStringList& listFile) override {
    std::u16string_view n;
    if (FirstMatch(patterns::kKDRNumber, line, n)) {
      // "<b>No. #0123. </b><a href=": the text after the "#" and before the first "<", less its
      // last two characters (". "). Without a "#" the text begins with "<b>" and n is empty.
      CutThrough(n, u"#");
      int p = TextPos(u"<", n);
      FSuffixAndNumber.assign(FSuffix).append(TextTrimView(TextCopyView(n, 1, p - 3)));
    }
    std::u16string_view w;
    if (FirstMatch(patterns::kKDRLink, line, w)) {
      CutThrough(w, u">");
      listFile.Add(TextTrimView(TextBeforeView(w, u"<")), FSuffixAndNumber);
    }
  }

private:
  std::u16string FSuffix = SourceInfo(TSourceId::KDR).Suffix;
  // The suffix, then the number most recently found on the page (none before the first).
  std::u16string FSuffixAndNumber = FSuffix;
};

}  // namespace

std::unique_ptr<TLineRule> MakeKDRRule(TMatcher* matcher) {
  return std::make_unique<TKDRRule>(*matcher);
}

}  // namespace brevak
