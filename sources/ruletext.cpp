// Tested through the rules in tests/sources/.
#include "sources/ruletext.h"

#include <cassert>

namespace brevak {

TMatcher& SlotMatcher() {
  TMatcher* m = MatcherSlot();
  assert(m && "a searching rule runs only inside a run that filled the matcher slot");
  return *m;
}

bool FirstMatch(std::u16string_view pattern, std::u16string_view text, std::u16string& match0) {
  TMatcher& m = SlotMatcher();
  m.SetExpression(pattern);
  if (!m.Exec(text)) return false;
  match0 = m.Match(0);
  return true;
}

}  // namespace brevak
