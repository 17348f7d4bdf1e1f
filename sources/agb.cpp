// The AGB list: member number and callsign per line, split at a tab or by words.
// Tested by tests/sources/agb_test.cpp.
#include "listfile/stringlist.h"
#include "sources/sourcetable.h"
#include "text/textops.h"

namespace brevak {
namespace {

class TAGBRule : public TLineRule {
public:
  void Apply(std::u16string_view line, TStringList& listFile) override {
    std::u16string_view number;
    std::u16string_view callsign;
    int tab = TextPos(u"\t", line);
    if (tab > 0) {
      // Number: everything before the first tab, as it stands. Callsign: what follows the tab,
      // up to its first space; a second tab stays inside it.
      number = TextCopyView(line, 1, tab - 1);
      std::u16string_view rest = line;
      TextDeleteFirst(rest, tab);
      int space = TextPos(u" ", rest);
      callsign = space > 0 ? TextCopyView(rest, 1, space - 1) : rest;
    } else {
      // "12 UA1AAA", "12 ex UA1AAA", "12 or UA1AAA": the number, then the callsign, skipping one
      // "ex" or "or" (exactly those, lower case) between them.
      int position = 1;
      ReadWord(line, position, number);
      ReadWord(line, position, callsign);
      if (TextEquals(callsign, u"ex") || TextEquals(callsign, u"or"))
        ReadWord(line, position, callsign);
    }
    FSuffixAndNumber.assign(FSuffix).append(number);
    listFile.Add(callsign, FSuffixAndNumber);
  }

private:
  std::u16string FSuffix = SourceInfo(TSourceId::AGB).Suffix;
  std::u16string FSuffixAndNumber;  // kept from line to line for its room
};

}  // namespace

std::unique_ptr<TLineRule> MakeAGBRule(TMatcher*) { return std::make_unique<TAGBRule>(); }

}  // namespace brevak
