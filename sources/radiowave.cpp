// The RadioWave membership page: the link text of every first-column cell of a line.
// Tested by tests/sources/radiowave_test.cpp.
#include "listfile/stringlist.h"
#include "sources/ruletext.h"
#include "sources/sourcetable.h"

namespace brevak {
namespace {

class TRadioWaveRule : public TSearchingRule {
public:
  using TSearchingRule::TSearchingRule;
  void Apply(std::u16string_view line, TStringList& listFile) override {
    ForEachMatch(patterns::kRadioWaveCell, line, [&](std::u16string_view w) {
      // Past the link's "call=" and the ">" closing its tag; without "call=" the first four
      // characters go, and without "\">" the first one.
      TextDeleteFirst(w, TextPos(FCall, w) + 4);
      TextDeleteFirst(w, TextPos(FTagEnd, w) + 1);
      w = TextTrimView(TextBeforeView(w, u"<"));
      // The column's heading and listeners' rows are not members' callsigns.
      if (TextEquals(w, u"SWL") || TextEquals(w, u"Call")) return;
      listFile.Add(w, FSuffix);
    });
  }

private:
  std::u16string FSuffix = SourceInfo(TSourceId::RadioWave).Suffix;
  const TUnitFinder FCall{u"call="}, FTagEnd{u"\">"};
};

}  // namespace

std::unique_ptr<TLineRule> MakeRadioWaveRule(TMatcher* matcher) {
  return std::make_unique<TRadioWaveRule>(*matcher);
}

}  // namespace brevak
