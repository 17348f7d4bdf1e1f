#include <gtest/gtest.h>

#include "ruleharness.h"

namespace brevak {
namespace {

using testing::ExpectCases;
using testing::RuleOutput;

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

TEST(PlainLists, EveryLineGivesOneEntryInDocumentOrder) {
  std::vector<std::u16string> lines{u"R0AAB", u"", u"R0AAA", u"R0AAB"};
  EXPECT_EQ(RuleOutput(TSourceId::Hamlog, lines),
            (std::vector<std::u16string>{u"R0AAB=User Hamlog", u"=User Hamlog",
                                         u"R0AAA=User Hamlog", u"R0AAB=User Hamlog"}));
}

}  // namespace
}  // namespace brevak
