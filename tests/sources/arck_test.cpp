#include <gtest/gtest.h>

#include "support/ruleharness.h"

namespace brevak {
namespace {

using test::ExpectCases;

TEST(ARCK, CallsignsBetweenLineBreakAndNbsp) {
  ExpectCases(
      TSourceId::ARCK,
      {
          // A typical stretch of the member page
          {u"<br>R0AAB&nbsp;Ivan<br>R0AAC&nbsp;Petr", {u"R0AAB=ARCK", u"R0AAC=ARCK"}},
          {u"<br>CALL&nbsp;NAME", {}},
          {u"<b>Chairman<br></b><span class=\"t3\"><b>R0AAD&nbsp;Oleg</b></span>", {u"R0AAD=ARCK"}},
          {u"R0AAA&nbsp;", {}},
          // Empty cut, heading word tested exactly and before trimming
          {u"<br>&nbsp;", {u"=ARCK"}},
          {u"<br> CALL&nbsp;", {u"CALL=ARCK"}},
          {u"<br>call&nbsp;", {u"call=ARCK"}},
          {u"<br> R0AAB &nbsp;", {u"R0AAB=ARCK"}},
          // The marker: the text after the first "<b>", at most length - 24 units
          {u"<br>Chairman</b><span class=\"t3\"><b>R0AAF&nbsp;", {u"R0AAF=ARCK"}},
          {u"<br><b>Chairman</b><span class=\"t3\"><b>R0AAE&nbsp;", {u"Chairman</b><span cla"}},
          // Not split
          {u"<br>R0AAG, R0AAH&nbsp;", {u"R0AAG, R0AAH=ARCK"}},
          // Each search goes on where the last match ended
          {u"<br>R0AAA<br>R0AAB&nbsp;<br>R0AAC&nbsp", {u"R0AAA<br>R0AAB=ARCK", u"R0AAC=ARCK"}},
      });
}

}  // namespace
}  // namespace brevak
