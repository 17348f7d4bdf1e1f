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
    std::u16string n;
    if (FirstMatch(patterns::kKDRNumber, line, n)) {
      // "<b>No. #0123. </b><a href=": the text after the "#" and before the first "<", less its
      // last two characters (". "). Without a "#" the text begins with "<b>" and n is empty.
      CutThrough(n, u"#");
      int p = TextPos(u"<", n);
      FNumber = TextTrim(TextCopy(n, 1, p - 3));
    }
    std::u16string w;
    if (FirstMatch(patterns::kKDRLink, line, w)) {
      CutThrough(w, u">");
      w = TextBefore(w, u"<");
      listFile.Add(TextTrim(w) + FSuffix + FNumber);
    }
  }

private:
  std::u16string FSuffix = SourceInfo(TSourceId::KDR).Suffix;
  std::u16string FNumber;  // the number most recently found on the page
};

}  // namespace

std::unique_ptr<TLineRule> MakeKDRRule(TMatcher* matcher) {
  return std::make_unique<TKDRRule>(*matcher);
}

}  // namespace brevak
