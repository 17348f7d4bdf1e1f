// Small pieces that several line rules share: the cut through a delimiter and the walk over every
// match of a pattern in a line.
#pragma once

#include <string>

#include "listfile/importrun.h"
#include "text/matcher.h"
#include "text/textops.h"

namespace brevak {

// Deletes everything up to and including the first occurrence of piece; nothing when it is absent.
inline void CutThrough(std::u16string& w, std::u16string_view piece) { TextDelete(w, 1, TextPos(piece, w)); }

// The matcher of the run in progress; rules that search are only run with a filled slot.
TMatcher& SlotMatcher();

// Searches pattern in text once from its start: true with the whole match in match0.
bool FirstMatch(std::u16string_view pattern, std::u16string_view text, std::u16string& match0);

// Calls onMatch with the whole text of every match of pattern in text, left to right, each
// search starting where the previous match ended.
template <typename F>
void ForEachMatch(std::u16string_view pattern, std::u16string_view text, F&& onMatch) {
  TMatcher& m = SlotMatcher();
  m.SetExpression(pattern);
  for (bool found = m.Exec(text); found; found = m.ExecNext()) onMatch(m.Match(0));
}

}  // namespace brevak
