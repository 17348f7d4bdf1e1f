#include <gtest/gtest.h>

#include "listfile/codepage.h"
#include "support/ruleharness.h"

namespace brevak {
namespace {

using test::ExpectCases;
using test::RuleOutput;

TEST(PlainLists, HamlogAndSRRTakeTheWholeTrimmedLine) {
  ExpectCases(
      TSourceId::Hamlog,
      {
          {u"  UA1AAA  ", {u"UA1AAA=User Hamlog"}},
          {u"\tUA1AAA\r", {u"UA1AAA=User Hamlog"}},
          {u"", {u"=User Hamlog"}},
          {u"\u00a0UA1AAA", {u"\u00a0UA1AAA=User Hamlog"}},  // a no-break space is not trimmed
      });
  ExpectCases(TSourceId::SRR,
              {
                  {u"UA1AAA;x;y", {u"UA1AAA;x;y=SRR Member"}},  // the record is not split
                  {u"", {u"=SRR Member"}},
              });
}

TEST(PlainLists, RCWCTakesWhatFollowsTheFirstFullStop) {
  ExpectCases(TSourceId::RCWC, {
                                   {u"12.UA1AAA", {u"UA1AAA=RCWC"}},
                                   {u"12. UA1AAA", {u" UA1AAA=RCWC"}},  // not trimmed after the cut
                                   {u"UA1AAA", {u"UA1AAA=RCWC"}},
                                   {u"1.2.UA1AAA", {u"2.UA1AAA=RCWC"}},
                                   {u"UA1AAA.", {u"=RCWC"}},
                                   {u"  7.UA1AAA  ", {u"UA1AAA=RCWC"}},  // trimmed before the cut
                                   {u"", {u"=RCWC"}},
                               });
}

// A line of a document in the code page goes to the rule as its bytes; the entries must be those
// of the decoded line, byte for byte. Every byte stands at both ends and inside a line, before and
// after a full stop, so that trimming in bytes removes exactly what trimming the units does.
TEST(PlainLists, BytesGiveTheEntriesOfTheDecodedLine) {
  std::vector<std::string> lines = {"",
                                    "   ",
                                    "\t \x01\x1F \t",
                                    "UA1AAA",
                                    "  UA1AAA;x;y \t",
                                    "\xA0UA1AAA\xA0",
                                    "\x98\xC0\xFF\x98",
                                    "12.UA1AAA",
                                    " 7. \xD0\xC0.x ",
                                    "UA1AAA.",
                                    ".",
                                    " . ",
                                    "R0AAA;Member 100000;City 996, a line past a vector's width"};
  for (int b = 1; b < 256; ++b) {
    const char c = static_cast<char>(b);
    lines.push_back({c});
    lines.push_back({c, 'A', c});
    lines.push_back({'1', c, '.', c, 'B', c});
  }
  for (TSourceId id : {TSourceId::Hamlog, TSourceId::SRR, TSourceId::RCWC}) {
    std::unique_ptr<TLineRule> rule = SourceInfo(id).MakeRule(nullptr);
    EXPECT_TRUE(rule->TakesAnsi());
    TStringList byUnits, byBytes;
    for (const std::string& line : lines) {
      rule->Apply(AnsiDecode(line), byUnits);
      rule->ApplyAnsi(line, byBytes);
      ASSERT_EQ(byBytes.Strings(byBytes.Count() - 1), byUnits.Strings(byUnits.Count() - 1))
          << SourceInfo(id).Name << ", line: " << ::testing::PrintToString(line);
    }
    EXPECT_EQ(byBytes.SaveToBytes(), byUnits.SaveToBytes());
  }
}

TEST(PlainLists, EveryLineGivesOneEntryInDocumentOrder) {
  std::vector<std::u16string> lines{u"R0AAB", u"", u"R0AAA", u"R0AAB"};
  EXPECT_EQ(RuleOutput(TSourceId::Hamlog, lines),
            (std::vector<std::u16string>{u"R0AAB=User Hamlog", u"=User Hamlog",
                                         u"R0AAA=User Hamlog", u"R0AAB=User Hamlog"}));
}

}  // namespace
}  // namespace brevak
