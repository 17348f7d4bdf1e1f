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
    ForEachMatch(patterns::kARCKCall, line, [&](std::u16string_view w) {
      CutThrough(w, u">");
      w = TextBeforeView(w, FNbsp);
      if (TextEquals(w, u"CALL")) return;  // the table's heading
      w = TextTrimView(w);
      if (TextPos(FMarker, w) > 0 || FSuffixNearMarker) {
        AddMarked(w, listFile);
        return;
      }
      listFile.Add(w, FSuffix);
    });
  }

private:
  // The marker is looked for in the callsign with its suffix. Where the suffix can hold no part
  // of it (its own suffix cannot), the callsign alone is enough to know.
  static bool NearMarker(std::u16string_view suffix) {
    const std::u16string_view marker(kMarker, kMarkerLength);
    if (TextPos(marker, suffix) > 0) return true;
    for (std::size_t k = 1; k < marker.size(); ++k)
      if (suffix.starts_with(marker.substr(k))) return true;
    return false;
  }

  void AddMarked(std::u16string_view callsign, TStringList& listFile) const {
    std::u16string w(callsign);
    w += FSuffix;
    if (TextPos(kMarker, w) > 0) {
      // Keep what follows the first "<b>": behind the marker, that is the callsign and suffix.
      int length = static_cast<int>(w.size());
      w = TextCopy(w, TextPos(u"<b>", w) + 3, length - kMarkerLength);
    }
    listFile.Add(w);
  }

  std::u16string FSuffix = SourceInfo(TSourceId::ARCK).Suffix;
  bool FSuffixNearMarker = NearMarker(FSuffix);
  const TUnitFinder FNbsp{u"&nbsp"}, FMarker{kMarker};
};

}  // namespace

std::unique_ptr<TLineRule> MakeARCKRule(TMatcher* matcher) {
  return std::make_unique<TARCKRule>(*matcher);
}

}  // namespace brevak
