#include <gtest/gtest.h>

#include "support/ruleharness.h"

namespace brevak {
namespace {

using test::ExpectCases;
using test::RuleOutput;

TEST(AGB, SplitsNumberAndCallsign) {
  ExpectCases(
      TSourceId::AGB,
      {
          // Tab-separated: the number before the first tab as it stands, the callsign up to a space
          {u"12\tUA1AAA", {u"UA1AAA=AGB \u211612"}},
          {u"12\tUA1AAA since 2015", {u"UA1AAA=AGB \u211612"}},
          {u"12\tUA1AAA ex UA1BBB", {u"UA1AAA=AGB \u211612"}},
          {u"12\t UA1AAA", {u"=AGB \u211612"}},
          {u"12\t", {u"=AGB \u211612"}},
          {u"\tUA1AAA", {u"UA1AAA=AGB \u2116"}},
          {u"12 x\tUA1AAA", {u"UA1AAA=AGB \u211612 x"}},
          {u"12\tUA1AAA\tUA1BBB",
           {u"UA1AAA\tUA1BBB=AGB \u211612"}},  // only a space ends it
                                               // Space-separated: words, with "ex" and "or" skipped
                                               // exactly
          {u"12 UA1AAA", {u"UA1AAA=AGB \u211612"}},
          {u"  12   UA1AAA  more", {u"UA1AAA=AGB \u211612"}},
          {u"12 ex UA1AAA", {u"UA1AAA=AGB \u211612"}},
          {u"12 or UA1AAA", {u"UA1AAA=AGB \u211612"}},
          {u"12 EX UA1AAA", {u"EX=AGB \u211612"}},
          {u"12 Ex UA1AAA", {u"Ex=AGB \u211612"}},
          {u"12 ex", {u"=AGB \u211612"}},
          {u"12", {u"=AGB \u211612"}},
          {u"", {u"=AGB \u2116"}},
          {u"   ", {u"=AGB \u2116"}},
      });
}

TEST(AGB, NeverReadsTheFirstLine) {
  EXPECT_EQ(RuleOutput(TSourceId::AGB, {u"1 R0AAA"}), std::vector<std::u16string>{});
  EXPECT_EQ(
      RuleOutput(TSourceId::AGB, {u"1 R0AAA", u"2 R0AAB", u"3\tR0AAC", u"4 R0AAD", u"5 R0AAE"}),
      (std::vector<std::u16string>{u"R0AAB=AGB \u21162", u"R0AAC=AGB \u21163", u"R0AAD=AGB \u21164",
                                   u"R0AAE=AGB \u21165"}));
}

}  // namespace
}  // namespace brevak
