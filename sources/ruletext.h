// Small pieces that several line rules share: the cut through a delimiter, and the base of the
// rules that search their lines with the run's matcher. Tested through the rules' tests
// (tests/sources/).
#pragma once

#include <string>

#include "import/importrun.h"
#include "text/matcher.h"
#include "text/sourcepatterns.h"
#include "text/textfind.h"
#include "text/textops.h"

namespace brevak {

// Drops everything up to and including the first occurrence of piece; nothing when it is absent.
inline void CutThrough(std::u16string_view& w, std::u16string_view piece) {
  TextDeleteFirst(w, TextPos(piece, w));
}

// A rule that searches with the matcher its run hands it. The matcher outlives the rule. A match
// is handed out as a view into the searched text, so that a rule copies only what it appends.
class TSearchingRule : public TLineRule {
public:
  explicit TSearchingRule(TMatcher& matcher) : FMatcher(matcher) {}

protected:
  // The pattern is one of the constants of text/sourcepatterns.h, which the matcher knows again
  // by its address at every line. text is a document's line or a piece of one, so it holds no
  // U+0000 and the matcher need not look for one.
  // Searches pattern in text once from its start: true with the whole match in match0, a view
  // into text that is valid until the next search.
  bool FirstMatch(TFixedPattern pattern, std::u16string_view text, std::u16string_view& match0) {
    FMatcher.SetExpression(pattern);
    if (!FMatcher.ExecZeroFree(text)) return false;
    match0 = FMatcher.MatchView(0);
    return true;
  }

  // Calls onMatch with the whole text of every match of pattern in text (a view valid until
  // onMatch returns), left to right, each search starting where the previous match ended.
  template <typename F>
  void ForEachMatch(TFixedPattern pattern, std::u16string_view text, F&& onMatch) {
    FMatcher.SetExpression(pattern);
    for (bool found = FMatcher.ExecZeroFree(text); found; found = FMatcher.ExecNext())
      onMatch(FMatcher.MatchView(0));
  }

private:
  TMatcher& FMatcher;
};

}  // namespace brevak
