// Runs a source's rule over document lines the way its import run walks them (the source's line
// range, a matcher handed to the rule when the source searches), in memory, and gives back the
// lines the rule appended to the list file.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "import/importrun.h"
#include "listfile/stringlist.h"
#include "sources/sourcetable.h"
#include "text/matcher.h"

namespace brevak::test {

inline std::vector<std::u16string> RuleOutput(TSourceId id,
                                              const std::vector<std::u16string>& lines) {
  const TSourceInfo& info = SourceInfo(id);
  std::optional<TMatcher> matcher;
  if (info.SearchesWithMatcher) matcher.emplace();
  std::unique_ptr<TLineRule> rule = info.MakeRule(matcher ? &*matcher : nullptr);
  TStringList listFile;
  for (std::size_t i = static_cast<std::size_t>(info.FirstLine); i < lines.size(); ++i)
    rule->Apply(lines[i], listFile);
  std::vector<std::u16string> out;
  out.reserve(static_cast<std::size_t>(listFile.Count()));
  for (int i = 0; i < listFile.Count(); ++i) out.push_back(listFile.Strings(i));
  return out;
}

// One line in, the lines it appends out (for rules that hold nothing from line to line).
struct TLineCase {
  std::u16string Line;
  std::vector<std::u16string> Entries;
};

// Checks every case of a table on its own, as the only line of a document (AGB's cases stand at
// index 1, behind a heading line that the rule never reads).
inline void ExpectCases(TSourceId id, const std::vector<TLineCase>& cases) {
  for (const TLineCase& c : cases) {
    std::vector<std::u16string> lines;
    if (SourceInfo(id).FirstLine == 1) lines.push_back(u"heading");
    lines.push_back(c.Line);
    EXPECT_EQ(RuleOutput(id, lines), c.Entries) << "line: " << ::testing::PrintToString(c.Line);
  }
}

}  // namespace brevak::test
