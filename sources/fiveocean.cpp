// The 5 Ocean callbook page: the texts of two kinds of links, at most one of each per line.
// Tested by tests/sources/fiveocean_test.cpp.
#include "listfile/stringlist.h"
#include "sources/ruletext.h"
#include "sources/sourcetable.h"

namespace brevak {
namespace {

class TFiveOceanRule : public TSearchingRule {
public:
  using TSearchingRule::TSearchingRule;
  void Apply(std::u16string_view line, TStringList& listFile) override {
    std::u16string_view w;
    // Links that open in a new window: the text up to the first tag. An unusable text (empty, or
    // beginning with a tag) still appends a line, the empty one.
    if (FirstMatch(patterns::kFiveOceanBlankLink, line, w)) {
      w = LinkText(w);
      AddEntry(w, !w.empty(), listFile);
    }
    // Styled links: "CALL, CALL2" and "CALL ex OLDCALL" keep only the first callsign.
    if (FirstMatch(patterns::kFiveOceanStyledLink, line, w)) {
      w = LinkText(w);
      const bool usable = !w.empty();  // what is left after the cuts below gets the suffix too
      if (usable) {
        if (TextPos(u",", w) > 0) w = TextTrimView(TextBeforeView(w, u","));
        if (TextPos(FEx, w) > 0) w = TextTrimView(TextBeforeView(w, FEx));
      }
      AddEntry(w, usable, listFile);
    }
  }

private:
  std::u16string FSuffix = SourceInfo(TSourceId::FiveOcean).Suffix;
  const TUnitFinder FEx{u"ex"};
  // The text after the match's first ">" and before the next "<".
  static std::u16string_view LinkText(std::u16string_view w) {
    CutThrough(w, u">");
    return TextBeforeView(w, u"<");
  }
  // A usable link's text trimmed, with the suffix; an unusable one as the empty line.
  void AddEntry(std::u16string_view w, bool usable, TStringList& listFile) const {
    if (usable)
      listFile.Add(TextTrimView(w), FSuffix);
    else
      listFile.Add(u"");
  }
};

}  // namespace

std::unique_ptr<TLineRule> MakeFiveOceanRule(TMatcher* matcher) {
  return std::make_unique<TFiveOceanRule>(*matcher);
}

}  // namespace brevak
