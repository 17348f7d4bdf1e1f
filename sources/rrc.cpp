// The RRC member list: the one line with "Sort by Callsign" carries every callsign, some as link
// texts, the rest as plain pieces ending in "<br>". Entries are not trimmed.
// Tested by tests/sources/rrc_test.cpp.
#include "listfile/stringlist.h"
#include "sources/ruletext.h"
#include "sources/sourcetable.h"

namespace brevak {
namespace {

class TRRCRule : public TSearchingRule {
public:
  using TSearchingRule::TSearchingRule;
  void Apply(std::u16string_view line, TStringList& listFile) override {
    if (TextPos(FListLine, line) == 0) return;
    // The head of the line ends with the first "valign=top>": cut through "top" and one more.
    std::u16string_view r = line;
    TextDeleteFirst(r, TextPos(u"top", line) + 3);

    // First the link texts ...
    ForEachMatch(patterns::kRRCLink, r, [&](std::u16string_view w) {
      CutThrough(w, u">");
      AddUnlessEmpty(TextBeforeView(w, u"<"), listFile);
    });
    // ... then the plain pieces, each ending in "<br>"; a piece holding a link was taken above.
    ForEachMatch(patterns::kRRCPiece, r, [&](std::u16string_view w) {
      if (TextPos(FLink, w) != 0) return;
      // " CALL<br>" loses its leading blank; "</td><td valign=top> CALL<br>" its cell tags too.
      if (TextPos(FCellTag, w) > 0) CutThrough(w, u" ");
      CutThrough(w, u" ");
      AddUnlessEmpty(TextBeforeView(w, u"<"), listFile);
    });
  }

private:
  void AddUnlessEmpty(std::u16string_view w, TStringList& listFile) const {
    if (!w.empty()) listFile.Add(w, FSuffix);
  }

  std::u16string FSuffix = SourceInfo(TSourceId::RRC).Suffix;
  const TUnitFinder FListLine{u"Sort by Callsign"}, FLink{u"<a href"}, FCellTag{u"valign="};
};

}  // namespace

std::unique_ptr<TLineRule> MakeRRCRule(TMatcher* matcher) {
  return std::make_unique<TRRCRule>(*matcher);
}

}  // namespace brevak
