#include <gtest/gtest.h>

#include "support/ruleharness.h"

namespace brevak {
namespace {

using test::ExpectCases;

TEST(FiveOcean, LinkTexts) {
  ExpectCases(
      TSourceId::FiveOcean,
      {
          // A typical stretch of the callbook page
          {u"<td><a href=/callbook/r0aaa.html target=\"_blank\">R0AAA</a></td>",
           {u"R0AAA=5 Ocean"}},
          {u"<td><a href=/callbook/r0aab.html style=\"color:navy;\">R0AAB, R0AAC</a></td>",
           {u"R0AAB=5 Ocean"}},
          {u"<td><a href=/callbook/r0aad.html style=\"color:navy;\">R0AAD ex R0AAE</a></td>",
           {u"R0AAD=5 Ocean"}},
          {u"<td><a href=/callbook/r0aaf.html target=\"_blank\"><img src=r0aaf.png></a></td>",
           {u""}},
          {u"<td>no link here</td>", {}},
          // Cuts at the first tag, the comma and "ex" anywhere
          {u"target=\"_blank\"> R0AAA </a>", {u"R0AAA=5 Ocean"}},
          {u"target=\"_blank\"><b>R0AAA</b></a>", {u""}},
          {u"style=\"x;\">R0AAB, ex R0AAC</a>", {u"R0AAB=5 Ocean"}},
          {u"style=\"x;\">, R0AAB</a>", {u"=5 Ocean"}},
          {u"style=\"x;\">Alex R0AAB</a>", {u"Al=5 Ocean"}},
          {u"style=\"x;\"></a>", {u""}},
          {u"style=\"x;\">R0AAB EX R0AAC</a>", {u"R0AAB EX R0AAC=5 Ocean"}},
          // Both kinds on a line: pattern A's first; only the first link of each kind
          {u"<a style=\"x;\">R0AAB</a><a target=\"_blank\">R0AAA</a>",
           {u"R0AAA=5 Ocean", u"R0AAB=5 Ocean"}},
          {u"<a target=\"_blank\">R0AAA</a><a target=\"_blank\">R0AAG</a>", {u"R0AAA=5 Ocean"}},
          // A link split over two lines is not found
          {u"<a target=\"_blank\">R0AAA", {}},
      });
}

}  // namespace
}  // namespace brevak
