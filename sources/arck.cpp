// The ARCK member page: every callsign between a "<br>" and a "&nbsp" of a line.
// Tested by tests/sources/arck_test.cpp.
#include "listfile/stringlist.h"
#include "sources/ruletext.h"
#include "sources/sourcetable.h"

namespace brevak {
namespace {

// The board members' callsigns stand after this, inside the same cut.
constexpr char16_t kMarker[] = u"</b><span class=\"t3\"><b>";
constexpr int kMarkerLength = 24;
static_assert(std::char_traits<char16_t>::length(kMarker) == kMarkerLength);

class TARCKRule : public TSearchingRule {
public:
  using TSearchingRule::TSearchingRule;
  void Apply(std::u16string_view line, TStringList& listFile) override {
    ForEachMatch(patterns::kARCKCall, line, [&](std::u16string w) {
      CutThrough(w, u">");
      w = TextBefore(w, u"&nbsp");
      if (TextEquals(w, u"CALL")) return;  // the table's heading
      w = TextTrim(w) + FSuffix;
      if (TextPos(kMarker, w) > 0) {
        // Keep what follows the first "<b>": behind the marker, that is the callsign and suffix.
        int length = static_cast<int>(w.size());
        w = TextCopy(w, TextPos(u"<b>", w) + 3, length - kMarkerLength);
      }
      listFile.Add(w);
    });
  }

private:
  std::u16string FSuffix = SourceInfo(TSourceId::ARCK).Suffix;
};

}  // namespace

std::unique_ptr<TLineRule> MakeARCKRule(TMatcher* matcher) {
  return std::make_unique<TARCKRule>(*matcher);
}

}  // namespace brevak
