// Small pieces that several line rules share: the cut through a delimiter, and the base of the
// rules that search their lines with the run's matcher.
#pragma once

#include <string>

#include "import/importrun.h"
#include "text/matcher.h"
#include "text/sourcepatterns.h"
#include "text/textops.h"

namespace brevak {

// Deletes everything up to and including the first occurrence of piece; nothing when it is absent.
inline void CutThrough(std::u16string& w, std::u16string_view piece) {
  TextDelete(w, 1, TextPos(piece, w));
}

// A rule that searches with the matcher its run hands it. The matcher outlives the rule.
class TSearchingRule : public TLineRule {
public:
  explicit TSearchingRule(TMatcher& matcher) : FMatcher(matcher) {}

protected:
  // Searches pattern in text once from its start: true with the whole match in match0.
  bool FirstMatch(std::u16string_view pattern, std::u16string_view text, std::u16string& match0) {
    FMatcher.SetExpression(pattern);
    if (!FMatcher.Exec(text)) return false;
    match0 = FMatcher.Match(0);
    return true;
  }

  // Calls onMatch with the whole text of every match of pattern in text, left to right, each
  // search starting where the previous match ended.
  template <typename F>
  void ForEachMatch(std::u16string_view pattern, std::u16string_view text, F&& onMatch) {
    FMatcher.SetExpression(pattern);
    for (bool found = FMatcher.Exec(text); found; found = FMatcher.ExecNext())
      onMatch(FMatcher.Match(0));
  }

private:
  TMatcher& FMatcher;
};

}  // namespace brevak
