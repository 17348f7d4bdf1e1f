#include <gtest/gtest.h>

#include "support/ruleharness.h"

namespace brevak {
namespace {

using test::ExpectCases;
using test::RuleOutput;
using Lines = std::vector<std::u16string>;

TEST(KDR, CarriesTheNumberFromLineToLine) {
  // A typical stretch of the member page
  EXPECT_EQ(RuleOutput(TSourceId::KDR,
                       {
                           u"<tr><td><b>No. #0123. </b><a href=/member/r0aaa "
                           u"target=\"_blank\">R0AAA<a/></td></tr>",
                           u"<tr><td><a href=/member/r0aab target=\"_blank\">R0AAB<a/></td></tr>",
                           u"<tr><td><b>#0124: </b><a href=/member/r0aac>profile</a></td></tr>",
                           u"<tr><td><a href=/member/r0aad target=\"_blank\">R0AAD<a/></td></tr>",
                       }),
            (Lines{u"R0AAA=KDR \u21160123", u"R0AAB=KDR \u21160123", u"R0AAD=KDR \u21160124"}));

  // Before any number; a bold text without "#" empties the number until the next one
  EXPECT_EQ(RuleOutput(TSourceId::KDR,
                       {
                           u"<a target=\"_blank\">R0AAE<a/>",
                           u"<b>#0125. </b><a href=x>",
                           u"<b>No. 0126. </b><a href=x target=\"_blank\">R0AAF<a/>",
                           u"<a target=\"_blank\">R0AAG<a/>",
                           u"<b>#0127. </b><a href=x>",
                           u"<a target=\"_blank\">R0AAH<a/>",
                       }),
            (Lines{u"R0AAE=KDR \u2116", u"R0AAF=KDR \u2116", u"R0AAG=KDR \u2116",
                   u"R0AAH=KDR \u21160127"}));
}

TEST(KDR, CutsOfNumberAndCallsign) {
  ExpectCases(
      TSourceId::KDR,
      {
          // The number loses two units before the "<" however it is written
          {u"<b>#0125</b><a href=x target=\"_blank\">R0AAA<a/>", {u"R0AAA=KDR \u211601"}},
          {u"<b>#1</b><a href=x target=\"_blank\">R0AAA<a/>", {u"R0AAA=KDR \u2116"}},
          {u"<b>#  42 . </b><a href=x target=\"_blank\">R0AAA<a/>", {u"R0AAA=KDR \u211642"}},
          // Callsign link text
          {u"_blank\"><i>R0AAH</i><a/>", {u"=KDR \u2116"}},
          {u"_blank\"> R0AAH <a/>", {u"R0AAH=KDR \u2116"}},
          {u"_blank\">R0AAH</a>", {}},
          {u"_blank\">R0AAH<a/>_blank\">R0AAJ<a/>", {u"R0AAH=KDR \u2116"}},
      });
}

}  // namespace
}  // namespace brevak
