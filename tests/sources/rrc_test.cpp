#include <gtest/gtest.h>

#include "support/ruleharness.h"

namespace brevak {
namespace {

using test::ExpectCases;
using test::RuleOutput;
using Lines = std::vector<std::u16string>;

TEST(RRC, LinksFirstThenPlainPieces) {
  ExpectCases(
      TSourceId::RRC,
      {
          // A typical stretch of the member list
          {u"<p><a href=\"members.asp?ORDER=1\">Sort by Callsign</a></p><table><tr><td valign=top> "
           u"<a href=\"info.asp?c=R0AAA\">R0AAA</a><br> R0AAB<br></td><td valign=top> "
           u"R0AAC<br></td></tr></table>",
           {u"R0AAA=RRC", u"R0AAB=RRC", u"R0AAC=RRC"}},
          // Only the selected line is read
          {u"<td valign=top> R0AAB<br>", {}},
          // Link texts are not filtered
          {u"<p>Sort by Callsign</p><td valign=top><a href=\"members.asp?ORDER=1\">Sort by "
           u"Callsign</a><br>",
           {u"Sort by Callsign=RRC"}},
          // Pieces lose one blank (two with "valign="), and are not trimmed
          {u"Sort by Callsign top>  R0AAB<br>R0AAC<br>", {u" R0AAB=RRC", u"R0AAC=RRC"}},
          // Without "top" only the first three units go
          {u"Sort by Callsign: R0AAL<br> R0AAM<br>", {u"by Callsign: R0AAL=RRC", u"R0AAM=RRC"}},
          {u"Sort by Callsign top> </td><td>R0AAK<br>", {}},
          {u"Sort by Callsign top> <a href=x></a><br>", {}},
      });
}

TEST(RRC, EverySelectedLineIsReadInFull) {
  EXPECT_EQ(RuleOutput(TSourceId::RRC, {u"Sort by Callsign top> R0AAA<br>", u"nothing here",
                                        u"Sort by Callsign top> R0AAB<br>"}),
            (Lines{u"R0AAA=RRC", u"R0AAB=RRC"}));
}

}  // namespace
}  // namespace brevak
